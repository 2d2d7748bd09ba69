#pragma once
// The steps a test scripts for the end-to-end news server, one per line, read as they come (a file, or a
// pipe the test keeps writing to). A line is words separated by spaces; a word in double quotes may hold
// spaces and the escapes \" \\ \n; a line starting with # is a comment.
//
//   accept [TIMEOUT_MS]              wait for the next client; it becomes the current one
//   expect-category [NAME|any] [TIMEOUT_MS]   wait for the current client's next category request
//   history NAME COUNT [TITLE]       COUNT headlines of the category back to back ("TITLE 1" ...)
//   history-end
//   news NAME TITLE [LINK]           one headline
//   stream PERIOD_MS COUNT [NAME...] in the background, COUNT headlines (0: no end), one per period,
//                                    the categories in turn, to whichever client is current
//   stream-stop
//   auto-history COUNT [END_MS|never]  answer every category request with COUNT headlines, then the
//                                    history end after END_MS (default 0) or never; "auto-history off"
//   echo-heartbeats on|off           answer each heartbeat of the client (on at start)
//   heartbeat | signature-request | signature VALUE
//   banner SLOT LINK FILE            a banner whose picture is the file's bytes
//   header N                         a frame header announcing N bytes, and nothing after it
//   frame HEX                        a frame around these payload bytes
//   raw HEX                          these bytes as they are
//   sleep MS
//   close                            close the current client's connection
//   wait-close [TIMEOUT_MS]          wait until the client closes the current connection
//   refuse | listen                  stop listening (connections are refused) | listen again, same port
//   version-page none|TEXT           the body of /version.html; none answers 404
//   exit
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "connection/Guid.h"

namespace e2e {

inline constexpr unsigned kDefaultWaitMs = 15000;

struct Accept { unsigned timeoutMs = kDefaultWaitMs; };
struct ExpectCategory {
    std::optional<Guid> category;  // none: any
    unsigned timeoutMs = kDefaultWaitMs;
};
struct History { Guid category; unsigned count = 0; std::string title; };
struct HistoryEnd {};
struct News { Guid category; std::string title; std::string link; };
struct Stream { unsigned periodMs = 0; unsigned count = 0; std::vector<Guid> categories; };
struct StreamStop {};
struct AutoHistory { bool on = false; unsigned count = 0; std::optional<unsigned> endAfterMs; };
struct EchoHeartbeats { bool on = true; };
struct Heartbeat {};
struct SignatureRequest {};
struct Signature { std::uint32_t value = 0; };
struct Banner { std::uint32_t slot = 0; std::string link; std::string file; };
struct Header { std::uint32_t length = 0; };
struct Frame { std::vector<std::uint8_t> payload; };
struct Raw { std::vector<std::uint8_t> bytes; };
struct Sleep { unsigned ms = 0; };
struct Close {};
struct WaitClose { unsigned timeoutMs = kDefaultWaitMs; };
struct Refuse {};
struct Listen {};
struct VersionPage { std::optional<std::string> body; };  // none: 404
struct Exit {};

using Step = std::variant<Accept, ExpectCategory, History, HistoryEnd, News, Stream, StreamStop, AutoHistory,
                          EchoHeartbeats, Heartbeat, SignatureRequest, Signature, Banner, Header, Frame, Raw, Sleep,
                          Close, WaitClose, Refuse, Listen, VersionPage, Exit>;

struct ParsedLine {
    std::optional<Step> step;  // none for a blank line, a comment or an error
    std::string error;         // empty unless the line was not understood
};

ParsedLine ParseScriptLine(std::string_view line);

// The words of a line, quotes and escapes resolved; none when a quote is left open.
std::optional<std::vector<std::string>> SplitWords(std::string_view line);

// The category's name as the tools write it ("stocks", ...), or its 32 hex digits when it is none of the four.
std::string CategoryName(const Guid& guid);

}  // namespace e2e
