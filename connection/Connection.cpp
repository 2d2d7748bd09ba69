#include "Connection.h"

#include <charconv>
#include <exception>
#include <new>

#include "framework/platform/Clock.h"
#include "framework/platform/Diagnostics.h"

namespace {

constexpr std::uint16_t kSocketsVersion = 0x0102;

std::wstring SignatureUpdatedLine(std::uint32_t signature) {
    char digits[8];
    const std::to_chars_result hex = std::to_chars(digits, digits + sizeof digits, signature, 16);
    std::wstring line = L"[客户端]：更新签名 ";
    line.append(digits, hex.ptr);
    line += L'\n';
    return line;
}

bool AppendPayload(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& payload) {
    return wire::AppendFrame(out, payload.data(), payload.size());
}

}  // namespace

CConnection::CConnection(ConnectionTimings timings) : timings(timings) {}

CConnection::~CConnection() { StopAndWait(); }

bool CConnection::Connect(const char* host, std::uint16_t port) {
    std::thread finished;
    {
        std::lock_guard lock(queueLock);
        if (recvThreadRunning) return false;
        finished = std::move(recvThread);
    }
    // The last loop has cleared its flag as its final step, so this join returns at once.
    if (finished.joinable()) finished.join();

    {
        std::lock_guard lock(sendLock);
        outBuffer.clear();
    }
    loading = false;
    // Cleared before the receive thread exists, so that a stop the owner asks for from here on ends the loop.
    stop = false;
    if (!platform::StartSockets(kSocketsVersion)) {
        AbandonAttempt();
        return false;
    }
    sock = platform::OpenTcpSocket();
    if (sock == platform::kNoSocket || !platform::ConnectIPv4(sock, host, port)) {
        AbandonAttempt();
        return false;
    }

    std::lock_guard lock(queueLock);  // the loop clears recvThreadRunning under it, so never before this is done
    recvThreadRunning = true;
    try {
        recvThread = std::thread(ReceiveLoop, this);
    } catch (const std::exception&) {  // no thread could be made (std::system_error) or no memory for it
        recvThreadRunning = false;
        AbandonAttempt();
        return false;
    }
    return true;
}

void CConnection::AbandonAttempt() {
    platform::CloseSocket(sock);
    sock = platform::kNoSocket;
    stop = true;
}

void CConnection::RequestCategory(const Guid& category) {
    loading = true;
    {
        std::lock_guard lock(categoryLock);
        currentCategory = category;
    }
    ClearNews();
    const std::vector<std::uint8_t> request = wire::CategoryRequestPayload(category);
    std::lock_guard lock(sendLock);
    AppendPayload(outBuffer, request);  // when it fails nothing is sent and loading stays set until the next Connect
}

bool CConnection::PopNews(NewsItem& item) {
    if (!recvThreadRunning) return false;
    std::lock_guard lock(queueLock);
    if (newsQueue.empty()) return false;
    item = std::move(newsQueue.front());
    newsQueue.pop_front();
    return true;
}

void CConnection::ClearNews() {
    std::lock_guard lock(queueLock);
    newsQueue.clear();
}

Guid CConnection::CurrentCategory() const {
    std::lock_guard lock(categoryLock);
    return currentCategory;
}

void CConnection::StoreBanner(std::uint32_t slot, const std::wstring& link, std::span<const std::uint8_t> image) {
    banners.Store(slot, link, image);
}

void CConnection::StopAndWait() {
    stop = true;
    std::thread running;
    {
        std::lock_guard lock(queueLock);
        running = std::move(recvThread);
    }
    if (running.joinable()) running.join();
}

int CConnection::ReceiveLoop(CConnection* connection) {
    try {
        connection->RunPasses();
    } catch (const std::bad_alloc&) {
        // Memory ran out while a frame was handled: this connection ends, the program goes on.
    }
    connection->EndConnection();
    return 0;
}

void CConnection::RunPasses() {
    platform::SetSocketTimeouts(sock, timings.socketTimeoutMs);
    std::vector<std::uint8_t> frame;
    std::uint32_t lastTraffic = platform::TickCount();
    std::uint32_t lastHeartbeat = lastTraffic - timings.heartbeatMs - 1;  // the first send step sends one
    unsigned silentPasses = 0;
    bool skipPause = false;
    while (!stop) {
        if (!skipPause) platform::SleepMilliseconds(timings.pauseMs);
        platform::Readiness ready;
        const int waited = platform::WaitReady(sock, timings.selectMicroseconds, ready);
        skipPause = false;
        if (waited < 0) return;
        if (waited == 0) continue;
        const std::uint32_t now = platform::TickCount();
        if (now - lastTraffic > timings.trafficLimitMs) return;
        if (ready.readable) {
            silentPasses = 0;
            lastTraffic = now;
            if (wire::ReadFrame(frame, sock) <= 0) return;
            HandleMessage(wire::DecodeMessage(frame), skipPause);
        } else if (silentPasses > timings.silentPassLimit) {  // tested before it grows
            return;
        } else {
            ++silentPasses;
        }
        if (!SendStep(ready.writable, lastHeartbeat)) return;
    }
}

void CConnection::HandleMessage(wire::Message&& message, bool& skipPause) {
    switch (message.kind) {
    case wire::MessageKind::News: {
        const bool history = loading;
        NewsItem item{history ? Guid{} : message.news.category, message.news.publishTime, std::move(message.news.title),
                      std::move(message.news.link)};
        {
            std::lock_guard lock(queueLock);
            newsQueue.push_back(std::move(item));
        }
        if (history) skipPause = true;  // a burst of history is read without pauses
        break;
    }
    case wire::MessageKind::HistoryEnd:
        loading = false;
        break;
    case wire::MessageKind::Heartbeat:
        skipPause = true;
        break;
    case wire::MessageKind::SignatureRequest:
        signatureRequested = true;
        platform::DiagnosticLine(L"[客户端]：服务器要求发送签名\n");
        break;
    case wire::MessageKind::Signature:
        signature = message.signature;
        platform::DiagnosticLine(SignatureUpdatedLine(signature));
        break;
    case wire::MessageKind::Banner:
        StoreBanner(message.banner.slot, message.banner.link, message.banner.image);
        break;
    case wire::MessageKind::Unknown:
    case wire::MessageKind::Malformed:
        break;
    }
}

bool CConnection::SendStep(bool writable, std::uint32_t& lastHeartbeat) {
    std::lock_guard lock(sendLock);
    const std::uint32_t now = platform::TickCount();
    if (now - lastHeartbeat > timings.heartbeatMs) {
        lastHeartbeat = now;
        if (!AppendPayload(outBuffer, wire::HeartbeatPayload())) return false;
    }
    if (signatureRequested) {
        signatureRequested = false;
        if (!AppendPayload(outBuffer, wire::SignaturePayload(signature))) return false;
    }
    if (!writable) return true;
    for (std::size_t sent = 0; sent < outBuffer.size();) {
        const int result = platform::SendSome(sock, outBuffer.data() + sent, outBuffer.size() - sent);
        if (result <= 0) return false;
        sent += static_cast<std::size_t>(result);
    }
    outBuffer.clear();
    return true;
}

void CConnection::EndConnection() {
    stop = true;
    platform::CloseSocket(sock);
    sock = platform::kNoSocket;
    std::lock_guard lock(queueLock);
    newsQueue.clear();
    recvThreadRunning = false;
}
