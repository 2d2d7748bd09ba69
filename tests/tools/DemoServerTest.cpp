// The demo server's pure parts: command line, sample headlines, client frames and the version site.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "connection/Protocol.h"
#include "tests/core/support/TempWorkingDirectory.h"
#include "tools/demo-server/ClientMessages.h"
#include "tools/demo-server/EventLog.h"
#include "tools/demo-server/HeadlineBook.h"
#include "tools/demo-server/NewsServer.h"
#include "tools/demo-server/NewsSession.h"
#include "tools/demo-server/ServerOptions.h"
#include "tools/demo-server/VersionSite.h"

namespace {

ParsedServerOptions Parse(std::vector<std::string_view> words) { return ParseServerOptions(words, ServerOptions{}); }

TEST(DemoServerOptions, ReadsEveryOptionInBothSpellings) {
    ParsedServerOptions parsed = Parse({"--port", "0", "--http-port=8080", "--pace-ms", "250", "--history=5", "--data",
                                        "h.tsv", "--banners=art", "--version", "2.0", "--server-ip=10.0.0.7",
                                        "--max-clients", "300"});
    ASSERT_EQ(parsed.error, "");
    const ServerOptions& o = parsed.options;
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.httpPort, 8080);
    EXPECT_EQ(o.paceMs, 250u);
    EXPECT_EQ(o.history, 5u);
    EXPECT_EQ(o.dataFile, "h.tsv");
    EXPECT_EQ(o.bannerDir, "art");
    EXPECT_EQ(o.version, "2.0");
    EXPECT_EQ(o.serverIp, "10.0.0.7");
    EXPECT_EQ(o.maxClients, 300u);
}

TEST(DemoServerOptions, KeepsTheDefaultsAndRefusesBadValues) {
    ParsedServerOptions none = Parse({});
    EXPECT_EQ(none.error, "");
    EXPECT_EQ(none.options.port, 15500);
    EXPECT_EQ(none.options.httpPort, 15580);
    EXPECT_EQ(none.options.version, "1.0.1");
    EXPECT_TRUE(Parse({"--help"}).help);

    const std::vector<std::vector<std::string_view>> bad = {
        {"--port", "65536"}, {"--port", "-1"},       {"--port"},          {"--http-port", "x"}, {"--pace-ms", "0"},
        {"--pace-ms", "1.5"}, {"--history", "-2"},   {"--data", ""},      {"--version="},       {"--colour", "red"},
        {"15500"},            {"--port", "15500 "},  {"--max-clients", "0"},
    };
    for (const auto& words : bad) {
        SCOPED_TRACE(std::string(words.front()));
        EXPECT_NE(Parse(words).error, "");
    }
}

TEST(SampleHeadlines, ParsesLinesAndRejectsBrokenOnes) {
    using Kind = HeadlineLine::Kind;
    struct Case {
        std::string line;
        Kind kind;
        const CategoryInfo* category;
        std::wstring title;
    };
    const Case cases[] = {
        {"gold\t金价走高\thttps://news.example.com/g/1", Kind::Headline, &kGold, L"金价走高"},
        {"stocks\tA\tl\r", Kind::Headline, &kStocks, L"A"},
        {"", Kind::Nothing, nullptr, L""},
        {"# a comment\twith\ttabs", Kind::Nothing, nullptr, L""},
        {"bonds\tA\tl", Kind::Bad, nullptr, L""},
        {"Gold\tA\tl", Kind::Bad, nullptr, L""},
        {"gold\tA", Kind::Bad, nullptr, L""},
        {"gold\tA\tl\textra", Kind::Bad, nullptr, L""},
        {"gold\t\tl", Kind::Bad, nullptr, L""},
        {"gold\tA\t", Kind::Bad, nullptr, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        HeadlineLine parsed = ParseHeadlineLine(c.line);
        EXPECT_EQ(parsed.kind, c.kind);
        if (c.kind == Kind::Headline) {
            EXPECT_EQ(parsed.headline.category, c.category);
            EXPECT_EQ(parsed.headline.title, c.title);
        }
    }
}

HeadlineBook BookOf(const std::vector<std::pair<const CategoryInfo*, std::wstring>>& titles) {
    HeadlineBook book;
    for (const auto& [category, title] : titles) book.Add({category, title, L"https://news.example.com/" + title});
    return book;
}

TEST(SampleHeadlines, HistoryIsTheNewestOfTheCategoryOldestFirstWithRisingTimes) {
    HeadlineBook book = BookOf({{&kStocks, L"s1"}, {&kGold, L"g1"}, {&kStocks, L"s2"}, {&kStocks, L"s3"}, {&kStocks, L"s4"}});
    const std::int64_t now = 1700000000;
    struct Case {
        std::size_t count;
        std::vector<std::wstring> titles;
    };
    const Case cases[] = {{2, {L"s3", L"s4"}}, {4, {L"s1", L"s2", L"s3", L"s4"}}, {10, {L"s1", L"s2", L"s3", L"s4"}}, {0, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<TimedHeadline> history = book.History(kStocks, c.count, now);
        std::vector<std::wstring> titles;
        for (const TimedHeadline& item : history) titles.push_back(item.headline->title);
        EXPECT_EQ(titles, c.titles);
        for (std::size_t i = 0; i < history.size(); ++i) {
            EXPECT_LT(history[i].publishTime, now);
            if (i > 0) {
                EXPECT_LT(history[i - 1].publishTime, history[i].publishTime);
            }
        }
    }
    EXPECT_TRUE(book.History(kForex, 5, now).empty());
}

TEST(SampleHeadlines, LiveHeadlinesTakeTheFilledCategoriesInTurn) {
    HeadlineBook book = BookOf({{&kStocks, L"s1"}, {&kStocks, L"s2"}, {&kForex, L"x1"}, {&kGold, L"g1"}, {&kGold, L"g2"}});
    std::vector<std::wstring> titles;
    for (std::size_t tick = 0; tick < 8; ++tick) titles.push_back(book.Live(tick)->title);
    // Futures has nothing and is passed over; each category starts again at its oldest when it runs out.
    EXPECT_EQ(titles, (std::vector<std::wstring>{L"s1", L"x1", L"g1", L"s2", L"x1", L"g2", L"s1", L"x1"}));
    EXPECT_EQ(HeadlineBook().Live(0), nullptr);
}

TEST(SampleHeadlines, TheBundledFileIsCleanAndFillsEveryCategory) {
    std::vector<std::string> problems;
    std::optional<HeadlineBook> book =
        LoadHeadlineBook(std::string(CORVANE_DEMO_DATA_DIR) + "/headlines.tsv", problems);
    ASSERT_TRUE(book);
    EXPECT_EQ(problems, std::vector<std::string>{});
    for (const CategoryInfo& category : kCategories) {
        SCOPED_TRACE(category.name);
        EXPECT_GE(book->CountOf(category), 40u);
        std::set<std::wstring> titles;
        for (const TimedHeadline& item : book->History(category, 1000, 0)) {
            EXPECT_TRUE(titles.insert(item.headline->title).second) << "repeated headline";
            EXPECT_EQ(item.headline->link.rfind(L"https://news.example.com/", 0), 0u);
        }
    }
}

TEST(SampleHeadlines, AMissingFileIsNoBook) {
    std::vector<std::string> problems;
    EXPECT_FALSE(LoadHeadlineBook("/nonexistent/headlines.tsv", problems));
}

TEST(SampleHeadlines, AFolderOrAFileWithoutHeadlinesIsRefusedWithItsReason) {
    TempWorkingDirectory folder;
    std::ofstream("empty.tsv").flush();
    std::ofstream("comments.tsv") << "# nothing but a comment\n\nbonds\tnot a category\tx\n";
    std::filesystem::create_directory("data");
    const struct {
        const char* path;
        const char* reason;
    } cases[] = {
        {"data", "is a folder"},
        {"empty.tsv", "holds no headlines"},
        {"comments.tsv", "holds no headlines"},
        {"missing.tsv", "cannot be read"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> problems;
        std::string refusal;
        EXPECT_FALSE(LoadHeadlineBook(c.path, problems, &refusal)) << c.path;
        EXPECT_NE(refusal.find(c.reason), std::string::npos) << c.path << ": " << refusal;
    }
}

TEST(SessionPace, PollTimeOutsRoundUpSoASmallPaceIsWaitedForNotSpunFor) {
    using namespace std::chrono;
    const struct {
        steady_clock::duration untilDue;
        int timeoutMs;
    } cases[] = {
        {microseconds(300), 1}, {microseconds(1), 1}, {microseconds(2500), 3}, {milliseconds(100), 100},
        {steady_clock::duration::zero(), 0}, {-milliseconds(5), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(PollTimeoutMs(c.untilDue), c.timeoutMs) << c.untilDue.count();
}

TEST(ClientFrames, RecognisesWhatAClientSends) {
    struct Case {
        std::vector<std::uint8_t> payload;
        ClientMessageKind kind;
    };
    const std::vector<std::uint8_t> request = wire::CategoryRequestPayload(kFutures.guid);
    const std::vector<std::uint8_t> signature = wire::SignaturePayload(0xA1B2C3D4);
    const Case cases[] = {
        {request, ClientMessageKind::CategoryRequest},
        {std::vector<std::uint8_t>(request.begin(), request.end() - 1), ClientMessageKind::Malformed},
        {wire::HeartbeatPayload(), ClientMessageKind::Heartbeat},
        {signature, ClientMessageKind::Signature},
        {std::vector<std::uint8_t>(signature.begin(), signature.end() - 1), ClientMessageKind::Malformed},
        {wire::SignatureRequestPayload(), ClientMessageKind::Unknown},
        {wire::HistoryEndPayload(), ClientMessageKind::Unknown},
        {{0x62, 0x61, 0, 0, 0x64}, ClientMessageKind::Unknown},
        {{0x30, 0, 0}, ClientMessageKind::Malformed},
        {{}, ClientMessageKind::Malformed},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(DecodeClientMessage(cases[i].payload).kind, cases[i].kind);
    }
    EXPECT_EQ(DecodeClientMessage(request).category, kFutures.guid);
    EXPECT_EQ(DecodeClientMessage(signature).signature, 0xA1B2C3D4u);
}

const VersionPageValues kPage{"1.0.1", "127.0.0.1", 15500};

TEST(VersionSite, ServesTheVersionPageAndLittleElse) {
    struct Case {
        std::string head;
        int status;
    };
    const Case cases[] = {
        {"GET /version.html HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 200},
        {"GET /version.html?t=1 HTTP/1.0\r\n\r\n", 200},
        {"GET http://127.0.0.1:15580/version.html HTTP/1.1\r\n\r\n", 200},
        {"HEAD /version.html HTTP/1.1\r\n\r\n", 200},
        {"GET / HTTP/1.1\r\n\r\n", 200},
        {"GET /about.html HTTP/1.1\r\n\r\n", 200},
        {"GET /Version.html HTTP/1.1\r\n\r\n", 404},
        {"GET /version.html/x HTTP/1.1\r\n\r\n", 404},
        {"POST /version.html HTTP/1.1\r\n\r\n", 405},
        {"GET /version.html\r\n\r\n", 400},
        {"", 400},
        {"\x01\x02 garbage", 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(ReplyTo(c.head, kPage).status, c.status);
    }
}

TEST(VersionSite, ThePageCarriesTheThreeTagPairs) {
    EXPECT_NE(VersionPageBody(kPage).find("<version>1.0.1</version><serverip>127.0.0.1</serverip><port>15500</port>"),
              std::string::npos);
    HttpReply reply = ReplyTo("GET /version.html HTTP/1.1\r\n\r\n", kPage);
    EXPECT_EQ(reply.body, VersionPageBody(kPage));

    const std::string withBody = FormatHttpReply(reply, true);
    EXPECT_EQ(withBody.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(withBody.find("Content-Length: " + std::to_string(reply.body.size()) + "\r\n"), std::string::npos);
    EXPECT_EQ(withBody.substr(withBody.find("\r\n\r\n") + 4), reply.body);
    const std::string headOnly = FormatHttpReply(reply, false);
    EXPECT_EQ(headOnly.size(), headOnly.find("\r\n\r\n") + 4);
}

// What the peer sends until it closes the connection or the socket's time-out ends the wait.
std::string ReceiveUntilClosed(platform::SocketHandle socket) {
    std::string answer;
    char chunk[512];
    for (int received; (received = platform::ReceiveSome(socket, chunk, sizeof chunk)) > 0;) answer.append(chunk, received);
    return answer;
}

// One request over a real socket, as the client's HTTP reader makes it.
std::string Fetch(std::uint16_t port, const std::string& request) {
    platform::SocketHandle socket = platform::OpenTcpSocket();
    EXPECT_TRUE(platform::ConnectIPv4(socket, "127.0.0.1", port));
    platform::SetSocketTimeouts(socket, 5000);
    platform::SendSome(socket, request.data(), request.size());
    const std::string answer = ReceiveUntilClosed(socket);
    platform::CloseSocket(socket);
    return answer;
}

// The version site on a loopback port of its own, served on a thread of its own until the object goes.
class RunningVersionSite {
public:
    explicit RunningVersionSite(unsigned deadlineMs = kRequestDeadlineMs)
        : listener_(platform::ListenTcp("127.0.0.1", 0, &port_)), sink_(std::tmpfile()), log_(sink_) {
        if (listener_ != platform::kNoSocket)
            site_ = std::thread([this, deadlineMs] { ServeVersionSite(listener_, kPage, stopping_, log_, deadlineMs); });
    }
    ~RunningVersionSite() {
        stopping_ = true;
        if (site_.joinable()) site_.join();
        platform::CloseSocket(listener_);
        std::fclose(sink_);
    }
    bool Listening() const { return listener_ != platform::kNoSocket; }
    std::uint16_t Port() const { return port_; }

private:
    std::uint16_t port_ = 0;
    platform::SocketHandle listener_;
    std::FILE* sink_;
    EventLog log_;
    std::atomic<bool> stopping_{false};
    std::thread site_;
};

TEST(VersionSite, ASlowClientHoldsUpNobodyAndIsCutOffAtItsDeadline) {
    using Clock = std::chrono::steady_clock;
    constexpr unsigned kDeadlineMs = 1000;
    const RunningVersionSite site(kDeadlineMs);
    ASSERT_TRUE(site.Listening());
    const std::uint16_t port = site.Port();

    // A byte every 100 ms: never silent long enough for a per-read time-out.
    platform::SocketHandle slow = platform::OpenTcpSocket();
    ASSERT_TRUE(platform::ConnectIPv4(slow, "127.0.0.1", port));
    const auto slowStart = Clock::now();
    std::atomic<bool> cutOff{false};
    std::thread dripper([&] {
        const std::string request = "GET /version.html HTTP/1.1\r\nX-Padding: " + std::string(200, 'p');
        for (std::size_t at = 0; at < request.size() && !cutOff; ++at) {
            if (platform::SendSome(slow, request.data() + at, 1) <= 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    const auto fetchStart = Clock::now();
    EXPECT_EQ(Fetch(port, "GET /version.html HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
    EXPECT_LT(Clock::now() - fetchStart, std::chrono::milliseconds(kDeadlineMs / 2)) << "answered beside the slow one";

    platform::SetSocketTimeouts(slow, 5000);
    const std::string answer = ReceiveUntilClosed(slow);
    const auto slowTook = Clock::now() - slowStart;
    cutOff = true;
    EXPECT_GE(slowTook, std::chrono::milliseconds(kDeadlineMs - 50));
    EXPECT_LT(slowTook, std::chrono::milliseconds(kDeadlineMs + 800)) << "one deadline for the whole request";
    EXPECT_EQ(answer.rfind("HTTP/1.1 400", 0), 0u) << "the unfinished head is answered as it stands";
    dripper.join();
    platform::CloseSocket(slow);
}

TEST(VersionSite, AnswersOverTheNetworkUntilStopped) {
    const RunningVersionSite site;
    ASSERT_TRUE(site.Listening());
    const std::uint16_t port = site.Port();

    const std::string page = Fetch(port, "GET /version.html HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(page, FormatHttpReply(ReplyTo("GET /version.html HTTP/1.1\r\n\r\n", kPage), true));
    // A request that arrives in pieces, and one that never ends its head, both get an answer.
    EXPECT_EQ(Fetch(port, "GET /nothing.html HTTP/1.1\r\n").rfind("HTTP/1.1 404", 0), 0u);
    EXPECT_EQ(Fetch(port, "GET /version.html HTTP/1.1\r\n\r\n").rfind("HTTP/1.1 200", 0), 0u);
}

}  // namespace

namespace {

TEST(NewsServerClients, ManyConnectAtOnceWithoutWaitingAndThoseBeyondTheCapAreTurnedAway) {
    using Clock = std::chrono::steady_clock;
    constexpr unsigned kCap = 60;
    std::uint16_t port = 0;
    platform::SocketHandle listener = platform::ListenTcp("127.0.0.1", 0, &port);
    ASSERT_NE(listener, platform::kNoSocket);
    std::FILE* sink = std::tmpfile();
    EventLog log(sink);
    const HeadlineBook book;
    SessionPlan plan;
    plan.heartbeatMs = 50;
    std::atomic<bool> stopping{false};
    NewsServer server(book, {}, plan, log, kCap);
    std::thread serving([&] { server.Run(listener, stopping); });

    // One after another, without waiting for the server to take them: the backlog holds them all, so none
    // waits for the second try a dropped connection request costs.
    std::vector<platform::SocketHandle> clients;
    Clock::duration slowest{};
    for (unsigned i = 0; i < kCap; ++i) {
        platform::SocketHandle client = platform::OpenTcpSocket();
        const auto start = Clock::now();
        ASSERT_TRUE(platform::ConnectIPv4(client, "127.0.0.1", port)) << "client " << i;
        slowest = std::max(slowest, Clock::now() - start);
        platform::SetSocketTimeouts(client, 5000);
        clients.push_back(client);
    }
    EXPECT_LT(slowest, std::chrono::milliseconds(800));

    // Every one of them is served: a heartbeat comes.
    for (platform::SocketHandle client : clients) {
        std::vector<std::uint8_t> frame;
        EXPECT_EQ(wire::ReadFrame(frame, client), 8);
        EXPECT_EQ(frame, wire::HeartbeatPayload());
    }
    // One more is closed at once.
    platform::SocketHandle extra = platform::OpenTcpSocket();
    ASSERT_TRUE(platform::ConnectIPv4(extra, "127.0.0.1", port));
    platform::SetSocketTimeouts(extra, 5000);
    std::vector<std::uint8_t> frame;
    EXPECT_EQ(wire::ReadFrame(frame, extra), 0);
    platform::CloseSocket(extra);

    stopping = true;
    serving.join();
    for (platform::SocketHandle client : clients) platform::CloseSocket(client);
    platform::CloseSocket(listener);
    std::fclose(sink);
}

}  // namespace
