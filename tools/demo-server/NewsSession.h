#pragma once
// One client of the demo server, served on its own thread: banners on arrival, history on request,
// heartbeats both ways, live headlines at the chosen pace and now and then a signature exchange.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "HeadlineBook.h"
#include "framework/platform/Socket.h"

class EventLog;
struct ClientMessage;

struct Banner {
    std::uint32_t slot = 0;
    std::wstring link;
    std::vector<std::uint8_t> image;
};

// banner1.jpg .. banner3.jpg from the folder; a missing or unreadable file is left out with a log line.
std::vector<Banner> LoadBanners(const std::string& folder, EventLog& log);

struct SessionPlan {
    unsigned paceMs = 4000;
    unsigned history = 20;
    unsigned heartbeatMs = 1500;        // below the client's 2 s, so it never waits long for traffic
    unsigned signatureEvery = 5;        // a new signature value after this many live headlines
    unsigned signatureRequestEvery = 8; // a signature request after this many
};

// The poll time-out for a beat due after `untilDue`: whole milliseconds rounded up, so a beat less than a
// millisecond away is waited for rather than polled for in a busy loop; 0 once it is due.
int PollTimeoutMs(std::chrono::steady_clock::duration untilDue);

class NewsSession {
public:
    NewsSession(int number, platform::SocketHandle socket, const HeadlineBook& book, const std::vector<Banner>& banners,
                SessionPlan plan, EventLog& log);

    // Until the client leaves, a send fails or `stopping` is set. The caller owns and closes the socket.
    void Run(const std::atomic<bool>& stopping);

private:
    bool SendPayloads(const std::vector<std::vector<std::uint8_t>>& payloads);
    bool Handle(const ClientMessage& message);
    bool SendHistory(const Guid& category);
    bool SendLiveBeat();
    void Log(const std::string& text);

    const int number_;
    const platform::SocketHandle socket_;
    const HeadlineBook& book_;
    const std::vector<Banner>& banners_;
    const SessionPlan plan_;
    EventLog& log_;
    std::size_t tick_ = 0;
    std::uint32_t signature_ = 0;  // the value last sent; a client answers with it
};
