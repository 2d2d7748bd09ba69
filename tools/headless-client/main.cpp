// corvane-headless-client: the client's connection without its windows. It selects a category and prints
// every headline it takes from the news queue, one line each, as the main window would receive them.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "HeadlessClient.h"
#include "connection/Connection.h"
#include "framework/platform/Clock.h"

namespace {

constexpr unsigned kPollMs = 100;  // the main window's queue tick

void PrepareUtf8Output() {
#ifdef _WIN32
    // Bytes go out as written: UTF-8 with plain line feeds, and a console shows them as UTF-8.
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
#endif
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "corvane-headless-client: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> words(argv + 1, argv + argc);
    ParsedClientArguments parsed = ParseClientArguments(words);
    if (parsed.help) {
        std::fputs(ClientUsage().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "corvane-headless-client: %s\n%s", parsed.error.c_str(), ClientUsage().c_str());
        return 2;
    }
    const ClientArguments& arguments = parsed.arguments;
    if (!arguments.directory.empty()) {
        // The connection keeps banners in its working directory, as the program does beside itself.
        std::error_code error;
        std::filesystem::create_directories(arguments.directory, error);
        std::filesystem::current_path(arguments.directory, error);
        if (error) return Fail("cannot work in " + arguments.directory + ": " + error.message());
    }
    PrepareUtf8Output();

    // --timeout-ms counts from here, connecting included.
    const std::uint32_t start = platform::TickCount();
    ConnectionTimings timings;
    if (arguments.timeoutMs != 0) timings.connectTimeoutMs = std::min(timings.connectTimeoutMs, arguments.timeoutMs);
    CConnection connection(timings);
    const std::string server = arguments.host + ":" + std::to_string(arguments.port);
    const ConnectOutcome outcome = connection.TryConnect(arguments.host.c_str(), arguments.port);
    if (outcome != ConnectOutcome::Connected) return Fail(ConnectFailureText(outcome, arguments, timings.connectTimeoutMs));
    connection.RequestCategory(arguments.category->guid);

    unsigned printed = 0;
    NewsItem item;
    for (;;) {
        while (connection.PopNews(item)) {
            const std::string line = HeadlineLine(item) + "\n";
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
            if (arguments.count != 0 && ++printed == arguments.count) {
                connection.StopAndWait();
                return 0;
            }
        }
        if (!connection.IsConnected()) return Fail("connection to " + server + " lost");
        if (arguments.timeoutMs != 0 && platform::TickCount() - start >= arguments.timeoutMs) {
            connection.StopAndWait();
            if (arguments.count == 0) return 0;
            return Fail("timed out after " + std::to_string(printed) + " of " + std::to_string(arguments.count) + " headlines");
        }
        platform::SleepMilliseconds(kPollMs);
    }
}
