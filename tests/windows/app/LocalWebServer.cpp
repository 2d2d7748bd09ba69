#include "LocalWebServer.h"

#include <ws2tcpip.h>

namespace {

struct WinsockSession {
    WinsockSession() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockSession() { WSACleanup(); }
};

void EnsureWinsock() { static WinsockSession session; }

SOCKET ListenOnLoopback(unsigned short& port) {
    EnsureWinsock();
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

const char* Reason(int status) { return status == 200 ? "OK" : status == 404 ? "Not Found" : "Error"; }

}  // namespace

LocalWebServer::LocalWebServer(int status, std::string body)
    : status_(status), body_(std::move(body)), promisedLength_(body_.size()) {
    listener_ = ListenOnLoopback(port_);
    listen(listener_, 4);
    thread_ = std::thread([this] { Serve(); });
}

LocalWebServer::LocalWebServer(std::string body, std::size_t promisedLength)
    : status_(200), body_(std::move(body)), promisedLength_(promisedLength) {
    listener_ = ListenOnLoopback(port_);
    listen(listener_, 4);
    thread_ = std::thread([this] { Serve(); });
}

LocalWebServer::~LocalWebServer() {
    closesocket(listener_);  // ends the accept loop
    thread_.join();
}

std::vector<std::string> LocalWebServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

unsigned short LocalWebServer::UnusedPort() {
    unsigned short port = 0;
    closesocket(ListenOnLoopback(port));
    return port;
}

void LocalWebServer::Serve() {
    for (;;) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        std::string request;
        char buffer[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int received = recv(client, buffer, sizeof buffer, 0);
            if (received <= 0) break;
            request.append(buffer, static_cast<std::size_t>(received));
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const std::string response = "HTTP/1.1 " + std::to_string(status_) + " " + Reason(status_) +
                                     "\r\nContent-Type: text/html\r\nContent-Length: " +
                                     std::to_string(promisedLength_) + "\r\nConnection: close\r\n\r\n" + body_;
        send(client, response.data(), static_cast<int>(response.size()), 0);
        if (promisedLength_ != body_.size()) {
            Sleep(200);  // the client is reading the body by now
            const linger reset{1, 0};
            setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof reset);
            closesocket(client);
            continue;
        }
        shutdown(client, SD_SEND);
        while (recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        closesocket(client);
    }
}
