#include "HeadlessClient.h"

#include <cstdio>
#include <ctime>
#include <limits>
#include <optional>

#include "framework/platform/Clock.h"
#include "framework/platform/Text.h"
#include "tools/common/Decimal.h"

namespace {

std::string OneLine(const std::wstring& text) {
    std::wstring clean = text;
    for (wchar_t& unit : clean)
        if (unit < 0x20 || unit == 0x7F) unit = L' ';
    return platform::ToUtf8(clean);
}

}  // namespace

ParsedClientArguments ParseClientArguments(std::span<const std::string_view> arguments) {
    ParsedClientArguments parsed;
    ClientArguments& result = parsed.arguments;
    auto fail = [&](std::string why) {
        parsed.error = std::move(why);
        return parsed;
    };
    std::size_t positional = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            return parsed;
        }
        if (argument.starts_with("--")) {
            if (argument != "--count" && argument != "--timeout-ms" && argument != "--dir")
                return fail("unknown option " + std::string(argument));
            if (i + 1 == arguments.size()) return fail(std::string(argument) + " needs a value");
            std::string_view value = arguments[++i];
            if (argument == "--dir") {
                if (value.empty()) return fail("--dir needs a folder");
                result.directory = value;
                continue;
            }
            std::optional<unsigned> number = ParseDecimal(value, std::numeric_limits<int>::max());
            if (!number || *number == 0) return fail(std::string(argument) + " needs a number above 0");
            (argument == "--count" ? result.count : result.timeoutMs) = *number;
            continue;
        }
        switch (positional++) {
        case 0:
            result.host = argument;
            break;
        case 1: {
            std::optional<unsigned> port = ParseDecimal(argument, std::numeric_limits<std::uint16_t>::max());
            if (!port || *port == 0) return fail("the port must be a number from 1 to 65535");
            result.port = static_cast<std::uint16_t>(*port);
            break;
        }
        case 2:
            result.category = FindCategoryNamed(argument);
            if (!result.category) return fail("the category must be stocks, futures, forex or gold");
            break;
        default:
            return fail("unexpected argument " + std::string(argument));
        }
    }
    if (positional < 2) return fail("a host and a port are needed");
    return parsed;
}

std::string ClientUsage() {
    return "usage: corvane-headless-client HOST PORT [stocks|futures|forex|gold] [options]\n"
           "  HOST             the news server's dotted IPv4 address\n"
           "  --count N        exit 0 after N headlines\n"
           "  --timeout-ms N   give up after N ms, connecting included (an error when --count was not reached)\n"
           "  --dir DIR        where banners from the server are kept (1.jpg..3.jpg, Setting.ini)\n"
           "Prints one line per headline: local time, category (\"history\" while history loads), title, link.\n";
}

std::string ConnectFailureText(ConnectOutcome outcome, const ClientArguments& arguments, unsigned connectTimeoutMs) {
    const std::string server = arguments.host + ":" + std::to_string(arguments.port);
    switch (outcome) {
    case ConnectOutcome::BadAddress:
        return "cannot connect to " + server + ": " + arguments.host + " is not a dotted IPv4 address";
    case ConnectOutcome::Refused:
        return "cannot connect to " + server + ": the connection was refused (is the server running?)";
    case ConnectOutcome::TimedOut:
        return "cannot connect to " + server + ": no answer within " + std::to_string(connectTimeoutMs) + " ms";
    default:
        return "cannot connect to " + server;
    }
}

std::string LocalTimeText(std::int64_t secondsSince1970) {
    std::tm local{};
    char text[32];
    if (!platform::ToLocalTime(secondsSince1970, local) || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0)
        return std::string("@").append(std::to_string(secondsSince1970));
    return text;
}

std::string CategoryLabel(const Guid& category) {
    if (category.IsNull()) return "history";
    if (const CategoryInfo* info = FindCategory(category)) return info->name;
    const auto& b = category.bytes;
    char text[40];
    std::snprintf(text, sizeof text, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3], b[2],
                  b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

std::string HeadlineLine(const NewsItem& item) {
    return LocalTimeText(item.publishTime) + "\t" + CategoryLabel(item.category) + "\t" + OneLine(item.title) + "\t" +
           OneLine(item.link);
}
