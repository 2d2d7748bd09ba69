#pragma once
// The pure parts of corvane-headless-client: its command line and the line it prints per headline.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "connection/Category.h"
#include "connection/Connection.h"
#include "connection/NewsItem.h"

struct ClientArguments {
    std::string host;  // dotted IPv4 address
    std::uint16_t port = 0;
    const CategoryInfo* category = &kStocks;
    unsigned count = 0;      // exit 0 after this many headlines; 0: run until the connection ends
    unsigned timeoutMs = 0;  // give up after this long; 0: no limit
    std::string directory;   // working directory for the banners the server pushes; empty: the current one
};

struct ParsedClientArguments {
    ClientArguments arguments;
    bool help = false;
    std::string error;  // empty when the command line was understood
};

// host port [category] [--count N] [--timeout-ms N] [--dir DIR]
ParsedClientArguments ParseClientArguments(std::span<const std::string_view> arguments);

std::string ClientUsage();

// Why connecting to "host:port" failed, as the client says it on its error line.
std::string ConnectFailureText(ConnectOutcome outcome, const ClientArguments& arguments, unsigned connectTimeoutMs);

// "YYYY-MM-DD HH:MM:SS" in local time; "@seconds" for a time the platform cannot convert.
std::string LocalTimeText(std::int64_t secondsSince1970);

// The category's name, "history" for the null category, the GUID in braces for any other.
std::string CategoryLabel(const Guid& category);

// Time, category, title and link, tab-separated, in UTF-8, without a line end. Tabs, line breaks and other
// control characters inside the texts become spaces, so one headline is always one line of four fields.
std::string HeadlineLine(const NewsItem& item);
