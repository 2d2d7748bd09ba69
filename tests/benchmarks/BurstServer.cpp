#include "BurstServer.h"

#include <poll.h>

#include "connection/Protocol.h"

namespace {

bool SendAll(platform::SocketHandle socket, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        int result = platform::SendSome(socket, bytes.data() + sent, bytes.size() - sent);
        if (result <= 0) return false;
        sent += static_cast<std::size_t>(result);
    }
    return true;
}

bool Readable(platform::SocketHandle socket, int timeoutMs) {
    pollfd entry{socket, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
}

}  // namespace

BurstServer::BurstServer(std::vector<std::uint8_t> burst) : burst_(std::move(burst)) {
    listener_ = platform::ListenTcp("127.0.0.1", 0, &port_);
    thread_ = std::thread([this] { Serve(); });
}

BurstServer::~BurstServer() {
    // The client has gone first, so a burst still being sent fails at once and the thread sees the flag.
    stopping_ = true;
    thread_.join();
    platform::CloseSocket(listener_);
}

void BurstServer::Serve() {
    std::vector<std::uint8_t> heartbeat;
    const std::vector<std::uint8_t> heartbeatPayload = wire::HeartbeatPayload();
    wire::AppendFrame(heartbeat, heartbeatPayload.data(), heartbeatPayload.size());
    std::vector<std::uint8_t> frame;
    while (!stopping_) {
        if (!Readable(listener_, 50)) continue;
        platform::SocketHandle client = platform::AcceptConnection(listener_);
        while (!stopping_ && client != platform::kNoSocket) {
            if (!Readable(client, 50)) continue;
            if (wire::ReadFrame(frame, client) <= 0 || frame.size() < 4) break;
            const std::uint32_t type = frame[0] | frame[1] << 8 | frame[2] << 16 | static_cast<std::uint32_t>(frame[3]) << 24;
            if (type == wire::MSG_CATEGORY_REQUEST && !SendAll(client, burst_)) break;
            if (type == wire::MSG_HEARTBEAT && !SendAll(client, heartbeat)) break;
        }
        platform::CloseSocket(client);
    }
}
