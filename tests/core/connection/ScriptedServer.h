#pragma once
// A news server on 127.0.0.1 that follows the test's script: it sends the bytes the test chooses, in the
// pieces it chooses, and reads what the client sends. Everything runs on the calling thread.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "framework/platform/Socket.h"

using Bytes = std::vector<std::uint8_t>;

// A 32-bit value as it travels: four bytes, little-endian.
Bytes U32(std::uint32_t value);
// The 4-byte length followed by the payload, as it travels.
Bytes Framed(const Bytes& payload);
// Byte blocks back to back, such as several frames that go out in one send call.
Bytes operator+(Bytes left, const Bytes& right);

class ScriptedServer {
public:
    ScriptedServer();  // listening on a free port
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t Port() const { return port_; }

    // Takes the client that connected (closing the one before). Reads time out after timeoutMs.
    void Accept(unsigned timeoutMs = 5000);
    // Opens a plain client socket to this server and accepts it, for tests that read frames themselves.
    platform::SocketHandle ConnectPlainClient(unsigned clientTimeoutMs);

    void Send(std::span<const std::uint8_t> bytes);
    void SendFrame(const Bytes& payload) { Send(Framed(payload)); }
    // Sends the bytes in pieces of the given sizes (the rest in one piece), pausing between them.
    void SendInPieces(std::span<const std::uint8_t> bytes, std::initializer_list<std::size_t> pieces, unsigned pauseMs);

    // The client's next frame; none when it closed or nothing came in time.
    std::optional<Bytes> ReadFrame();
    // The client's next frame that is not a heartbeat.
    std::optional<Bytes> NextRequest();
    // Reads until the client closes: the heartbeats it sent before, or none when it did not close in time.
    std::optional<int> HeartbeatsUntilClose();

    void CloseClient();

private:
    platform::SocketHandle listener_ = platform::kNoSocket;
    platform::SocketHandle client_ = platform::kNoSocket;
    std::uint16_t port_ = 0;
};

// Polls the condition every millisecond until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs = 5000);

// Collects the diagnostic lines written while it lives.
class DiagnosticCapture {
public:
    DiagnosticCapture();
    ~DiagnosticCapture();
    std::vector<std::wstring> Lines() const;
};
