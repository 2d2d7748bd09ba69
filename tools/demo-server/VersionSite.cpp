#include "VersionSite.h"

#include <poll.h>

#include <chrono>
#include <list>
#include <system_error>
#include <thread>

#include "EventLog.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxRequestHead = 8192;

std::string_view StatusText(int status) {
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    default: return "Error";
    }
}

std::string SmallPage(std::string_view title, std::string_view text) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + std::string(title) +
           "</title></head>\n<body><p>" + std::string(text) + "</p></body></html>\n";
}

// The path of a request target: an absolute URL loses its scheme and host, and the query goes.
std::string_view TargetPath(std::string_view target) {
    if (std::size_t scheme = target.find("://"); scheme != std::string_view::npos && target.find('/') > scheme) {
        std::size_t path = target.find('/', scheme + 3);
        target = path == std::string_view::npos ? std::string_view("/") : target.substr(path);
    }
    return target.substr(0, target.find_first_of("?#"));
}

// A request line as it may be logged: control characters from the peer become spaces.
std::string Printable(std::string_view text) {
    std::string out(text.substr(0, 200));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return out;
}

bool ReadyToRead(platform::SocketHandle socket, int timeoutMs) {
    pollfd entry{socket, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// One request, start to end before the deadline: a client that is slower gets what was read by then.
void ServeRequest(platform::SocketHandle client, const VersionPageValues& values, EventLog& log, unsigned deadlineMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(deadlineMs);
    std::string head;
    char chunk[1024];
    // The head ends at an empty line; a client that sends more, or stops early, gets what we have.
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead &&
           ReadyToRead(client, MillisecondsLeft(deadline))) {
        int received = platform::ReceiveSome(client, chunk, sizeof chunk);
        if (received <= 0) break;
        head.append(chunk, static_cast<std::size_t>(received));
    }
    HttpReply reply = ReplyTo(head, values);
    std::string text = FormatHttpReply(reply, !head.starts_with("HEAD "));
    for (std::size_t sent = 0; sent < text.size();) {
        pollfd entry{client, POLLOUT, 0};
        if (poll(&entry, 1, MillisecondsLeft(deadline)) <= 0) break;
        int result = platform::SendSome(client, text.data() + sent, text.size() - sent);
        if (result <= 0) break;
        sent += static_cast<std::size_t>(result);
    }
    platform::CloseSocket(client);
    log.Line("http: " + Printable(std::string_view(head).substr(0, head.find("\r\n"))) + " -> " + std::to_string(reply.status));
}

}  // namespace

std::string VersionPageBody(const VersionPageValues& values) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>version</title></head>\n<body>\n<version>" +
           values.version + "</version><serverip>" + values.serverIp + "</serverip><port>" + std::to_string(values.port) +
           "</port>\n</body></html>\n";
}

HttpReply ReplyTo(std::string_view requestHead, const VersionPageValues& values) {
    std::string_view line = requestHead.substr(0, requestHead.find("\r\n"));
    std::size_t firstSpace = line.find(' ');
    std::size_t secondSpace = firstSpace == std::string_view::npos ? firstSpace : line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos || !line.substr(secondSpace + 1).starts_with("HTTP/"))
        return {400, SmallPage("400", "Bad request.")};
    std::string_view method = line.substr(0, firstSpace);
    if (method != "GET" && method != "HEAD") return {405, SmallPage("405", "Only GET and HEAD are served.")};
    std::string_view path = TargetPath(line.substr(firstSpace + 1, secondSpace - firstSpace - 1));
    if (path == "/version.html") return {200, VersionPageBody(values)};
    if (path == "/" || path == "/about.html")
        return {200, SmallPage("Corvane demo", "The demo news server of Corvane. It serves /version.html for the client.")};
    return {404, SmallPage("404", "No such page.")};
}

std::string FormatHttpReply(const HttpReply& reply, bool withBody) {
    std::string text = "HTTP/1.1 " + std::to_string(reply.status) + " " + std::string(StatusText(reply.status)) +
                       "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + std::to_string(reply.body.size()) +
                       "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
    if (withBody) text += reply.body;
    return text;
}

void ServeVersionSite(platform::SocketHandle listener, const VersionPageValues& values,
                      const std::atomic<bool>& stopping, EventLog& log, unsigned deadlineMs) {
    struct Request {
        std::atomic<bool> finished{false};
        std::thread thread;
    };
    std::list<Request> requests;
    auto reap = [&requests] {
        requests.remove_if([](Request& request) {
            if (!request.finished) return false;
            request.thread.join();
            return true;
        });
    };
    while (!stopping) {
        reap();
        // At the cap the next request waits in the backlog until one is done, at most one deadline.
        if (requests.size() >= kRequestsAtOnce) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (!ReadyToRead(listener, 200)) continue;
        platform::SocketHandle client = platform::AcceptConnection(listener);
        if (client == platform::kNoSocket) continue;
        Request& request = requests.emplace_back();
        try {
            request.thread = std::thread([client, &values, &log, deadlineMs, &request] {
                ServeRequest(client, values, log, deadlineMs);
                request.finished = true;
            });
        } catch (const std::system_error&) {  // no thread to be had: this request goes unanswered
            platform::CloseSocket(client);
            requests.pop_back();
        }
    }
    for (Request& request : requests) request.thread.join();
}
