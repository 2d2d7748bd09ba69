#pragma once
// The news server the end-to-end tests script: it listens on 127.0.0.1, makes each client that connects
// the current one, carries out the steps it is given against that client, and writes a log line for every
// frame the client sends and every step it takes, stamped with the wall-clock time, so a test can compare
// the server's moments with what it saw on the screen. It also serves the version page over HTTP.
//
// Log lines: "<ms since 1970, 3 decimals> <event> [<client>] [details]", for example
//   1765370000123.456 accept 1
//   1765370000125.010 recv 1 heartbeat
//   1765370000130.700 recv 1 category stocks
//   1765370005131.002 sent 1 news forex "标题 7"
//   1765370006000.000 client-closed 1
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ServerScript.h"
#include "framework/platform/Socket.h"

namespace e2e {

class EventLog {
public:
    explicit EventLog(std::FILE* out) : out_(out) {}
    void Line(const std::string& text);

private:
    std::mutex mutex_;
    std::FILE* out_;
};

// The title as the log writes it: in double quotes, with quotes, backslashes and line breaks escaped.
std::string Quoted(const std::string& text);

class ScriptedNewsServer {
public:
    // Port 0 picks a free one; an HTTP port of 0 picks a free one as well.
    ScriptedNewsServer(std::uint16_t newsPort, std::uint16_t httpPort, EventLog& log);
    ~ScriptedNewsServer();
    ScriptedNewsServer(const ScriptedNewsServer&) = delete;
    ScriptedNewsServer& operator=(const ScriptedNewsServer&) = delete;

    bool Listening() const { return newsPort_ != 0; }
    std::uint16_t NewsPort() const { return newsPort_; }
    std::uint16_t HttpPort() const { return httpPort_; }

    // Carries out one step; false when it failed (the log says why). Exit is carried out by the caller.
    bool Run(const Step& step);

private:
    struct Client;

    void AcceptLoop();
    void ServeClient(std::shared_ptr<Client> client);
    void StreamLoop(Stream plan, std::shared_ptr<std::atomic<bool>> stopped);
    void ServeHttp();
    bool OpenListener();
    void CloseListener();
    std::shared_ptr<Client> Current();
    // Sends to the current client and logs "sent <client> <what>"; false when there is none or it failed.
    bool SendToCurrent(const std::vector<std::uint8_t>& bytes, const std::string& what);
    bool SendTo(Client& client, const std::vector<std::uint8_t>& bytes, const std::string& what);
    void StopStream();

    EventLog& log_;
    std::atomic<bool> stopping_{false};
    std::uint16_t newsPort_ = 0;
    std::uint16_t httpPort_ = 0;

    std::mutex listenerMutex_;
    platform::SocketHandle listener_ = platform::kNoSocket;
    platform::SocketHandle httpListener_ = platform::kNoSocket;

    // Clients, their requests and their ends: the steps wait on `changed_`.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::shared_ptr<Client>> clients_;
    int acceptedSeen_ = 0;  // the last client an accept step took
    std::atomic<bool> echoHeartbeats_{true};
    AutoHistory autoHistory_;
    std::string versionPage_;
    bool versionPageServed_ = true;

    std::shared_ptr<std::atomic<bool>> streamStopped_;
    std::thread stream_;
    std::thread acceptor_;
    std::thread http_;
};

}  // namespace e2e
