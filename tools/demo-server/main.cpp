// corvane-demo-server: a news server and version page on 127.0.0.1 for trying out and testing the client.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "EventLog.h"
#include "HeadlineBook.h"
#include "NewsServer.h"
#include "ServerOptions.h"
#include "VersionSite.h"

namespace {

// Set from the signal handler; everything else polls it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void RequestStop(int) { stopRequested = true; }

void InstallStopHandlers() {
    struct sigaction action{};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions defaults;
    defaults.dataFile = CORVANE_DEMO_DATA_DIR "/headlines.tsv";
    defaults.bannerDir = CORVANE_DEMO_DATA_DIR;
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    ParsedServerOptions parsed = ParseServerOptions(arguments, defaults);
    if (parsed.help) {
        std::fputs(ServerUsage().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "corvane-demo-server: %s\n%s", parsed.error.c_str(), ServerUsage().c_str());
        return 2;
    }
    const ServerOptions& options = parsed.options;

    EventLog log;
    std::vector<std::string> problems;
    std::string refusal;
    std::optional<HeadlineBook> book = LoadHeadlineBook(options.dataFile, problems, &refusal);
    if (!book) {
        std::fprintf(stderr, "corvane-demo-server: --data %s %s\n", options.dataFile.c_str(), refusal.c_str());
        return 1;
    }
    for (const std::string& problem : problems) log.Line(options.dataFile + ": " + problem + ", skipped");
    log.Line("headlines: " + std::to_string(book->Size()) + " from " + options.dataFile);

    InstallStopHandlers();
    std::uint16_t newsPort = 0;
    platform::SocketHandle newsListener = platform::ListenTcp("127.0.0.1", options.port, &newsPort);
    if (newsListener == platform::kNoSocket) {
        std::fprintf(stderr, "corvane-demo-server: cannot listen on 127.0.0.1:%u\n", options.port);
        return 1;
    }
    log.Line("news: listening on 127.0.0.1:" + std::to_string(newsPort));

    std::thread site;
    platform::SocketHandle siteListener = platform::kNoSocket;
    const VersionPageValues page{options.version, options.serverIp, newsPort};
    if (options.httpPort != 0) {
        std::uint16_t sitePort = 0;
        siteListener = platform::ListenTcp("127.0.0.1", options.httpPort, &sitePort);
        if (siteListener == platform::kNoSocket) {
            std::fprintf(stderr, "corvane-demo-server: cannot listen on 127.0.0.1:%u\n", options.httpPort);
            platform::CloseSocket(newsListener);
            return 1;
        }
        log.Line("http: listening on 127.0.0.1:" + std::to_string(sitePort) + ", /version.html names " + options.version +
                 " at " + options.serverIp + ":" + std::to_string(newsPort));
        site = std::thread([&] { ServeVersionSite(siteListener, page, stopRequested, log); });
    }

    SessionPlan plan;
    plan.paceMs = options.paceMs;
    plan.history = options.history;
    NewsServer(*book, LoadBanners(options.bannerDir, log), plan, log, options.maxClients).Run(newsListener, stopRequested);

    if (site.joinable()) site.join();
    platform::CloseSocket(siteListener);
    platform::CloseSocket(newsListener);
    log.Line("stopped");
    return 0;
}
