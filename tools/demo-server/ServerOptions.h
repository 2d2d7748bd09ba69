#pragma once
// The demo server's command line.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct ServerOptions {
    std::uint16_t port = 15500;      // the client's default server port; 0 picks a free one
    std::uint16_t httpPort = 15580;  // the version page; 0 serves none
    unsigned paceMs = 4000;          // one live headline per pace, the categories in turn
    std::string dataFile;            // the sample headlines
    std::string bannerDir;           // banner1.jpg .. banner3.jpg
    std::string version = "1.0.1";   // the values the version page names
    std::string serverIp = "127.0.0.1";
    unsigned history = 20;           // headlines sent for a category request
    unsigned maxClients = 1000;      // news clients served at once; more are turned away
};

struct ParsedServerOptions {
    ServerOptions options;
    bool help = false;
    std::string error;  // empty when the command line was understood
};

// Reads "--name value" and "--name=value" pairs over the given defaults.
ParsedServerOptions ParseServerOptions(std::span<const std::string_view> arguments, const ServerOptions& defaults);

// The text shown for --help and after a command-line error.
std::string ServerUsage();
