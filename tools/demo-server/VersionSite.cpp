#include "VersionSite.h"

#include <poll.h>

#include "EventLog.h"

namespace {

constexpr std::size_t kMaxRequestHead = 8192;
constexpr unsigned kRequestTimeoutMs = 2000;

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
                      const std::atomic<bool>& stopping, EventLog& log) {
    while (!stopping) {
        if (!ReadyToRead(listener, 200)) continue;
        platform::SocketHandle client = platform::AcceptConnection(listener);
        if (client == platform::kNoSocket) continue;
        platform::SetSocketTimeouts(client, kRequestTimeoutMs);
        // The head ends at an empty line; a client that sends more, or stops early, gets what we have.
        std::string head;
        char chunk[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead &&
               ReadyToRead(client, static_cast<int>(kRequestTimeoutMs))) {
            int received = platform::ReceiveSome(client, chunk, sizeof chunk);
            if (received <= 0) break;
            head.append(chunk, static_cast<std::size_t>(received));
        }
        HttpReply reply = ReplyTo(head, values);
        std::string text = FormatHttpReply(reply, !head.starts_with("HEAD "));
        for (std::size_t sent = 0; sent < text.size();) {
            int result = platform::SendSome(client, text.data() + sent, text.size() - sent);
            if (result <= 0) break;
            sent += static_cast<std::size_t>(result);
        }
        platform::CloseSocket(client);
        log.Line("http: " + Printable(std::string_view(head).substr(0, head.find("\r\n"))) + " -> " + std::to_string(reply.status));
    }
}
