#include "NewsServer.h"

#include <poll.h>

#include <string>
#include <thread>

#include "EventLog.h"

// The server, not the session, owns the socket: a stop may shut it down to wake a session blocked in
// a send, and only after the session's thread has ended is the handle closed and free for reuse.
struct NewsServer::Client {
    platform::SocketHandle socket = platform::kNoSocket;
    std::atomic<bool> finished{false};
    std::thread thread;
};

NewsServer::NewsServer(const HeadlineBook& book, std::vector<Banner> banners, SessionPlan plan, EventLog& log,
                       unsigned maxClients)
    : book_(book), banners_(std::move(banners)), plan_(plan), log_(log), maxClients_(maxClients) {}

// Run has ended every session before it returns.
NewsServer::~NewsServer() = default;

void NewsServer::ReapFinished() {
    std::erase_if(clients_, [](const std::unique_ptr<Client>& client) {
        if (!client->finished) return false;
        client->thread.join();
        platform::CloseSocket(client->socket);
        return true;
    });
}

void NewsServer::Run(platform::SocketHandle listener, const std::atomic<bool>& stopping) {
    while (!stopping) {
        ReapFinished();
        pollfd entry{listener, POLLIN, 0};
        if (poll(&entry, 1, 200) <= 0) continue;
        platform::SocketHandle socket = platform::AcceptConnection(listener);
        if (socket == platform::kNoSocket) continue;
        if (clients_.size() >= maxClients_) {
            platform::CloseSocket(socket);
            log_.Line("a client beyond the " + std::to_string(maxClients_) + " served at once was turned away");
            continue;
        }
        auto client = std::make_unique<Client>();
        client->socket = socket;
        Client* raw = client.get();
        const int number = ++accepted_;
        raw->thread = std::thread([this, raw, number, &stopping] {
            NewsSession(number, raw->socket, book_, banners_, plan_, log_).Run(stopping);
            raw->finished = true;
        });
        clients_.push_back(std::move(client));
    }
    for (const auto& client : clients_) platform::ShutdownSocket(client->socket);
    for (const auto& client : clients_) {
        client->thread.join();
        platform::CloseSocket(client->socket);
    }
    clients_.clear();
}
