#include "ServerOptions.h"

#include <limits>
#include <optional>

#include "tools/common/Decimal.h"

ParsedServerOptions ParseServerOptions(std::span<const std::string_view> arguments, const ServerOptions& defaults) {
    ParsedServerOptions parsed{defaults, false, {}};
    ServerOptions& options = parsed.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        if (name == "--help" || name == "-h") {
            parsed.help = true;
            return parsed;
        }
        std::optional<std::string_view> value;
        if (std::size_t equals = name.find('='); name.starts_with("--") && equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        }
        auto fail = [&](const std::string& why) {
            parsed.error = why;
            return parsed;
        };
        const bool known = name == "--port" || name == "--http-port" || name == "--pace-ms" || name == "--history" ||
                           name == "--max-clients" || name == "--data" || name == "--banners" || name == "--version" || name == "--server-ip";
        if (!known) return fail("unknown option " + std::string(name));
        if (!value) return fail(std::string(name) + " needs a value");

        if (name == "--port" || name == "--http-port") {
            std::optional<unsigned> port = ParseDecimal(*value, std::numeric_limits<std::uint16_t>::max());
            if (!port) return fail(std::string(name) + " needs a port number from 0 to 65535");
            (name == "--port" ? options.port : options.httpPort) = static_cast<std::uint16_t>(*port);
        } else if (name == "--pace-ms") {
            std::optional<unsigned> pace = ParseDecimal(*value, 24u * 3600u * 1000u);
            if (!pace || *pace == 0) return fail("--pace-ms needs a number of milliseconds above 0");
            options.paceMs = *pace;
        } else if (name == "--history") {
            std::optional<unsigned> count = ParseDecimal(*value, 100000);
            if (!count) return fail("--history needs a count from 0 to 100000");
            options.history = *count;
        } else if (name == "--max-clients") {
            std::optional<unsigned> count = ParseDecimal(*value, 100000);
            if (!count || *count == 0) return fail("--max-clients needs a count from 1 to 100000");
            options.maxClients = *count;
        } else if (value->empty()) {
            return fail(std::string(name) + " needs a value");
        } else if (name == "--data") {
            options.dataFile = *value;
        } else if (name == "--banners") {
            options.bannerDir = *value;
        } else if (name == "--version") {
            options.version = *value;
        } else {
            options.serverIp = *value;
        }
    }
    return parsed;
}

std::string ServerUsage() {
    return "usage: corvane-demo-server [options]\n"
           "  --port N         news server port on 127.0.0.1 (default 15500; 0 picks a free port)\n"
           "  --http-port N    version page port (default 15580; 0 serves no version page)\n"
           "  --pace-ms N      one live headline every N ms, the categories in turn (default 4000)\n"
           "  --history N      headlines sent for a category request (default 20)\n"
           "  --max-clients N  news clients served at once, more are turned away (default 1000)\n"
           "  --data FILE      sample headlines: category, title, link per line, tab-separated\n"
           "  --banners DIR    folder of banner1.jpg .. banner3.jpg\n"
           "  --version TEXT   version the version page names (default 1.0.1)\n"
           "  --server-ip TEXT server address the version page names (default 127.0.0.1)\n";
}
