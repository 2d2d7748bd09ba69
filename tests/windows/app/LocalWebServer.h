#pragma once
// A one-page web server on 127.0.0.1 for tests: answers every request with the same status and body
// and keeps the requests it received.
#include <winsock2.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalWebServer {
public:
    LocalWebServer(int status, std::string body);
    // Announces promisedLength bytes but sends only the body, then resets the connection.
    LocalWebServer(std::string body, std::size_t promisedLength);
    ~LocalWebServer();
    LocalWebServer(const LocalWebServer&) = delete;
    LocalWebServer& operator=(const LocalWebServer&) = delete;

    unsigned short Port() const { return port_; }
    std::vector<std::string> Requests() const;

    // A port on 127.0.0.1 where nothing listens.
    static unsigned short UnusedPort();

private:
    void Serve();

    int status_;
    std::string body_;
    std::size_t promisedLength_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};
