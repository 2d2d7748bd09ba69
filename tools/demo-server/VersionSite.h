#pragma once
// The vendor's small web site as the demo server plays it: the version page that tells the client
// its current version and news server, and a home page. Plain HTTP/1.0-style, one request per connection.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/platform/Socket.h"

class EventLog;

struct VersionPageValues {
    std::string version;
    std::string serverIp;
    std::uint16_t port = 0;
};

struct HttpReply {
    int status = 200;
    std::string body;  // text/html, UTF-8
};

// The page body with the three tag pairs the client looks for.
std::string VersionPageBody(const VersionPageValues& values);

// The reply to a request head ("GET /version.html HTTP/1.1\r\n..."): the version page, the home page at
// "/" and "/about.html", 404 for other paths, 405 for methods other than GET and HEAD, 400 for a broken line.
HttpReply ReplyTo(std::string_view requestHead, const VersionPageValues& values);

// Status line, headers and (unless `withBody` is false, as for HEAD) the body.
std::string FormatHttpReply(const HttpReply& reply, bool withBody);

// Serves requests on the listening socket until `stopping` is set: each on a thread of its own, a few at once,
// and each within one deadline from its arrival, so a client that sends its request slowly or not at all
// holds up nobody else and its own thread only that long.
inline constexpr unsigned kRequestDeadlineMs = 2000;
inline constexpr unsigned kRequestsAtOnce = 32;
void ServeVersionSite(platform::SocketHandle listener, const VersionPageValues& values,
                      const std::atomic<bool>& stopping, EventLog& log, unsigned deadlineMs = kRequestDeadlineMs);
