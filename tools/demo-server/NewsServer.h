#pragma once
// The demo server's news port: accepts clients and serves each on a thread of its own.
#include <atomic>
#include <memory>
#include <vector>

#include "NewsSession.h"

class NewsServer {
public:
    NewsServer(const HeadlineBook& book, std::vector<Banner> banners, SessionPlan plan, EventLog& log);
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
    std::vector<std::unique_ptr<Client>> clients_;
    int accepted_ = 0;
};
