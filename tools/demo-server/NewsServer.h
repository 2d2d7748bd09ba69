#pragma once
// The demo server's news port: accepts clients and serves each on a thread of its own, up to a cap, so
// that a flood of idle connections cannot make threads without bound; a client beyond it is closed at once.
#include <atomic>
#include <memory>
#include <vector>

#include "NewsSession.h"

class NewsServer {
public:
    static constexpr unsigned kDefaultMaxClients = 1000;

    NewsServer(const HeadlineBook& book, std::vector<Banner> banners, SessionPlan plan, EventLog& log,
               unsigned maxClients = kDefaultMaxClients);
    ~NewsServer();
    NewsServer(const NewsServer&) = delete;
    NewsServer& operator=(const NewsServer&) = delete;

    // Accepts on the listening socket until `stopping` is set; then ends every session and waits for it.
    void Run(platform::SocketHandle listener, const std::atomic<bool>& stopping);

private:
    struct Client;
    void ReapFinished();

    const HeadlineBook& book_;
    const std::vector<Banner> banners_;
    const SessionPlan plan_;
    EventLog& log_;
    const unsigned maxClients_;
    std::vector<std::unique_ptr<Client>> clients_;
    int accepted_ = 0;
};
