#include "ScriptedServer.h"

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "connection/Protocol.h"
#include "framework/platform/Diagnostics.h"

namespace {

bool ReceiveExactly(platform::SocketHandle socket, std::uint8_t* destination, std::size_t count) {
    for (std::size_t received = 0; received < count;) {
        int result = platform::ReceiveSome(socket, destination + received, count - received);
        if (result <= 0) return false;
        received += static_cast<std::size_t>(result);
    }
    return true;
}

std::mutex diagnosticMutex;
std::vector<std::wstring> diagnosticLines;

void CollectDiagnostic(const std::wstring& text) {
    std::lock_guard lock(diagnosticMutex);
    diagnosticLines.push_back(text);
}

}  // namespace

Bytes Framed(const Bytes& payload) {
    Bytes frame;
    wire::AppendFrame(frame, payload.data(), payload.size());
    return frame;
}

Bytes U32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 24)};
}

Bytes operator+(Bytes left, const Bytes& right) {
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

ScriptedServer::ScriptedServer() {
    platform::StartSockets(0x0202);
    listener_ = platform::ListenTcp("127.0.0.1", 0, &port_);
    if (listener_ == platform::kNoSocket) throw std::runtime_error("cannot listen on 127.0.0.1");
}

ScriptedServer::~ScriptedServer() {
    CloseClient();
    platform::CloseSocket(listener_);
}

void ScriptedServer::Accept(unsigned timeoutMs) {
    CloseClient();
    client_ = platform::AcceptConnection(listener_);
    if (client_ == platform::kNoSocket) throw std::runtime_error("accept failed");
    platform::SetSocketTimeouts(client_, timeoutMs);
}

platform::SocketHandle ScriptedServer::ConnectPlainClient(unsigned clientTimeoutMs) {
    platform::SocketHandle socket = platform::OpenTcpSocket();
    if (!platform::ConnectIPv4(socket, "127.0.0.1", port_)) throw std::runtime_error("connect failed");
    platform::SetSocketTimeouts(socket, clientTimeoutMs);
    Accept();
    return socket;
}

void ScriptedServer::Send(std::span<const std::uint8_t> bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        int result = platform::SendSome(client_, bytes.data() + sent, bytes.size() - sent);
        if (result <= 0) throw std::runtime_error("send failed");
        sent += static_cast<std::size_t>(result);
    }
}

void ScriptedServer::SendInPieces(std::span<const std::uint8_t> bytes, std::initializer_list<std::size_t> pieces,
                                  unsigned pauseMs) {
    std::size_t at = 0;
    for (std::size_t piece : pieces) {
        Send(bytes.subspan(at, piece));
        at += piece;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    Send(bytes.subspan(at));
}

std::optional<Bytes> ScriptedServer::ReadFrame() {
    std::uint8_t header[4];
    if (!ReceiveExactly(client_, header, sizeof header)) return std::nullopt;
    const std::size_t length = header[0] | header[1] << 8 | header[2] << 16 | static_cast<std::size_t>(header[3]) << 24;
    Bytes payload(length);
    if (!ReceiveExactly(client_, payload.data(), length)) return std::nullopt;
    return payload;
}

std::optional<Bytes> ScriptedServer::NextRequest() {
    const Bytes heartbeat = wire::HeartbeatPayload();
    std::optional<Bytes> frame;
    do {
        frame = ReadFrame();
    } while (frame && *frame == heartbeat);
    return frame;
}

std::optional<int> ScriptedServer::HeartbeatsUntilClose() {
    const Bytes heartbeat = wire::HeartbeatPayload();
    int heartbeats = 0;
    for (;;) {
        std::uint8_t header[4];
        int result = platform::ReceiveSome(client_, header, 1);
        if (result == 0) return heartbeats;
        if (result < 0 || !ReceiveExactly(client_, header + 1, 3)) return std::nullopt;
        Bytes payload(header[0]);
        if (header[1] || header[2] || header[3] || !ReceiveExactly(client_, payload.data(), payload.size()) ||
            payload != heartbeat)
            return std::nullopt;
        ++heartbeats;
    }
}

void ScriptedServer::CloseClient() {
    if (client_ == platform::kNoSocket) return;
    platform::ShutdownSocket(client_);
    platform::CloseSocket(client_);
    client_ = platform::kNoSocket;
}

bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

DiagnosticCapture::DiagnosticCapture() {
    {
        std::lock_guard lock(diagnosticMutex);
        diagnosticLines.clear();
    }
    platform::SetDiagnosticSink(CollectDiagnostic);
}

DiagnosticCapture::~DiagnosticCapture() { platform::SetDiagnosticSink(nullptr); }

std::vector<std::wstring> DiagnosticCapture::Lines() const {
    std::lock_guard lock(diagnosticMutex);
    return diagnosticLines;
}
