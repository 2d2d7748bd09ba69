#pragma once
// A news server on 127.0.0.1 for the benchmarks: one client at a time; it answers every category request
// with the same prepared burst of frames and every heartbeat with a heartbeat, so the client stays up.
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "framework/platform/Socket.h"

class BurstServer {
public:
    explicit BurstServer(std::vector<std::uint8_t> burst);
    ~BurstServer();
    BurstServer(const BurstServer&) = delete;
    BurstServer& operator=(const BurstServer&) = delete;

    std::uint16_t Port() const { return port_; }
    std::size_t BurstBytes() const { return burst_.size(); }

private:
    void Serve();

    const std::vector<std::uint8_t> burst_;
    platform::SocketHandle listener_ = platform::kNoSocket;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
