// The demo server and the headless client as programs: history first, then live headlines from every
// category, banners stored on the way, and a clean end when either side goes.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/core/support/TempWorkingDirectory.h"
#include "ChildProcess.h"
#include "framework/platform/Socket.h"
#include "framework/platform/Text.h"
#include "settings/SettingsFile.h"
#include "tools/demo-server/HeadlineBook.h"
#include "tools/headless-client/HeadlessClient.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kPatience = 20s;  // generous for a loaded machine under the sanitizers

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

class ToolsEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        // Eight stocks headlines make the history cut visible; one of each other category is enough for live.
        std::string sample = "# test headlines\n";
        for (int i = 1; i <= 8; ++i)
            sample += "stocks\t股票" + std::to_string(i) + "\thttps://news.example.com/s/" + std::to_string(i) + "\n";
        sample += "futures\t期货1\thttps://news.example.com/f/1\nforex\t外汇1\thttps://news.example.com/x/1\n";
        sample += "gold\t黄金1\thttps://news.example.com/g/1\nbonds\tnot a category\tx\n";
        WriteFile(dir_.Path() / "headlines.tsv", sample);
        fs::create_directories(dir_.Path() / "art");
        WriteFile(dir_.Path() / "art" / "banner1.jpg", std::string("first\0banner\xFF", 13));
        WriteFile(dir_.Path() / "art" / "banner3.jpg", "third banner");
        std::vector<std::string> problems;
        book_ = *LoadHeadlineBook((dir_.Path() / "headlines.tsv").string(), problems);
    }

    std::unique_ptr<ChildProcess> StartServer() {
        auto server = std::make_unique<ChildProcess>(std::vector<std::string>{
            CORVANE_DEMO_SERVER, "--port", "0", "--http-port", "0", "--pace-ms", "150", "--history", "5", "--data",
            (dir_.Path() / "headlines.tsv").string(), "--banners", (dir_.Path() / "art").string()});
        std::optional<std::string> line = server->WaitForLine("news: listening on 127.0.0.1:", kPatience);
        EXPECT_TRUE(line) << server->Output() << server->Errors();
        if (line) port_ = line->substr(line->rfind(':') + 1);
        return server;
    }

    std::unique_ptr<ChildProcess> StartClient(std::vector<std::string> extra) {
        std::vector<std::string> command{CORVANE_HEADLESS_CLIENT, "127.0.0.1", port_, "stocks", "--dir",
                                         (dir_.Path() / "client").string()};
        command.insert(command.end(), extra.begin(), extra.end());
        return std::make_unique<ChildProcess>(command);
    }

    TempWorkingDirectory dir_;
    HeadlineBook book_;
    std::string port_ = "0";
};

TEST_F(ToolsEndToEnd, HistoryArrivesOldestFirstThenLiveHeadlinesOfEveryCategory) {
    auto server = StartServer();
    const std::int64_t started = std::time(nullptr);
    auto client = StartClient({"--count", "14", "--timeout-ms", "60000"});
    ASSERT_EQ(client->WaitForExit(kPatience * 3), 0) << client->Errors();
    const std::int64_t ended = std::time(nullptr);

    std::vector<std::string> lines = Split(client->Output(), '\n');
    ASSERT_EQ(lines.size(), 15u) << client->Output();
    EXPECT_EQ(lines.back(), "");
    lines.pop_back();
    struct Line {
        std::string time, category, title, link;
    };
    std::vector<Line> parsed;
    for (const std::string& text : lines) {
        std::vector<std::string> fields = Split(text, '\t');
        ASSERT_EQ(fields.size(), 4u) << text;
        ASSERT_EQ(fields[0].size(), 19u) << text;
        parsed.push_back({fields[0], fields[1], fields[2], fields[3]});
    }

    // Live headlines that crossed the request on the wire count as history too; the server's own history
    // is the last five "history" lines: the newest five stocks headlines, oldest first, before the present.
    std::size_t historyLines = 0;
    while (historyLines < parsed.size() && parsed[historyLines].category == "history") ++historyLines;
    ASSERT_GE(historyLines, 5u);
    ASSERT_LT(historyLines, parsed.size());
    const std::vector<TimedHeadline> expected = book_.History(kStocks, 5, started);
    for (std::size_t i = 0; i < 5; ++i) {
        const Line& line = parsed[historyLines - 5 + i];
        EXPECT_EQ(line.title, platform::ToUtf8(expected[i].headline->title));
        EXPECT_EQ(line.link, platform::ToUtf8(expected[i].headline->link));
        EXPECT_LT(line.time, LocalTimeText(started));
        if (i > 0) {
            EXPECT_LT(parsed[historyLines - 6 + i].time, line.time);
        }
    }

    // Then the live stream in the server's order, every category in turn, stamped with the present.
    const std::size_t early = historyLines - 5;
    for (std::size_t i = historyLines; i < parsed.size(); ++i) {
        const SampleHeadline* live = book_.Live(early + (i - historyLines));
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(parsed[i].category, live->category->name);
        EXPECT_EQ(parsed[i].title, platform::ToUtf8(live->title));
        EXPECT_GE(parsed[i].time, LocalTimeText(started));
        EXPECT_LE(parsed[i].time, LocalTimeText(ended));
    }

    // The banners went out first and were kept as the program keeps them; the missing one was skipped.
    const fs::path kept = dir_.Path() / "client";
    EXPECT_EQ(ReadFile(kept / "1.jpg"), std::string("first\0banner\xFF", 13));
    EXPECT_EQ(ReadFile(kept / "3.jpg"), "third banner");
    EXPECT_FALSE(fs::exists(kept / "2.jpg"));
    const std::wstring settings = platform::FromUtf8((kept / "Setting.ini").string());
    EXPECT_EQ(settings::ReadString(L"Connection", L"url1", L"", 2048, settings.c_str()),
              L"https://example.com/offers/banner1.html");
    EXPECT_EQ(settings::ReadString(L"Connection", L"url2", L"none", 2048, settings.c_str()), L"none");

    server->Signal(SIGTERM);
    EXPECT_EQ(server->WaitForExit(kPatience), 0);
    EXPECT_NE(server->Output().find("headlines.tsv: line 13: "), std::string::npos) << "the bad sample line is reported";
    EXPECT_NE(server->Output().find("banner 2: no file"), std::string::npos);
    EXPECT_NE(server->Output().find("stopped"), std::string::npos);
}

TEST_F(ToolsEndToEnd, TheClientFailsWhenTheServerGoesAndTheServerStopsCleanly) {
    auto server = StartServer();
    auto client = StartClient({"--timeout-ms", "60000"});
    ASSERT_TRUE(client->WaitForLine("\tstocks\t", kPatience)) << client->Errors();
    server->Signal(SIGTERM);
    EXPECT_EQ(server->WaitForExit(kPatience), 0);
    EXPECT_EQ(client->WaitForExit(kPatience), 1);
    EXPECT_NE(client->Errors().find("connection to 127.0.0.1:" + port_ + " lost"), std::string::npos) << client->Errors();
}

TEST_F(ToolsEndToEnd, TheClientFailsWhenNoServerListens) {
    std::uint16_t freePort = 0;
    platform::CloseSocket(platform::ListenTcp("127.0.0.1", 0, &freePort));
    port_ = std::to_string(freePort);
    auto client = StartClient({});
    EXPECT_EQ(client->WaitForExit(kPatience), 1);
    EXPECT_NE(client->Errors().find("cannot connect to 127.0.0.1:" + port_), std::string::npos) << client->Errors();
    EXPECT_NE(client->Errors().find("refused"), std::string::npos) << client->Errors();
    EXPECT_EQ(client->Errors().find("dotted"), std::string::npos) << "the address was fine";
    EXPECT_EQ(client->Output(), "");
}

TEST_F(ToolsEndToEnd, TheClientsTimeOutCoversConnecting) {
    // A listener whose one-place backlog is taken answers no further connection request.
    std::uint16_t port = 0;
    platform::SocketHandle listener = platform::ListenTcp("127.0.0.1", 0, &port, 0);
    platform::SocketHandle filler = platform::OpenTcpSocket();
    ASSERT_TRUE(platform::ConnectIPv4(filler, "127.0.0.1", port));
    port_ = std::to_string(port);
    const auto start = std::chrono::steady_clock::now();
    auto client = StartClient({"--timeout-ms", "500"});
    EXPECT_EQ(client->WaitForExit(kPatience), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_NE(client->Errors().find("no answer within 500 ms"), std::string::npos) << client->Errors();
    platform::CloseSocket(filler);
    platform::CloseSocket(listener);
}

TEST_F(ToolsEndToEnd, TheServerRefusesDataThatHoldsNoHeadlines) {
    WriteFile(dir_.Path() / "empty.tsv", "");
    const struct {
        fs::path data;
        const char* says;
    } cases[] = {{dir_.Path(), "is a folder"}, {dir_.Path() / "empty.tsv", "holds no headlines"}};
    for (const auto& c : cases) {
        ChildProcess server({CORVANE_DEMO_SERVER, "--port", "0", "--http-port", "0", "--data", c.data.string()});
        EXPECT_EQ(server.WaitForExit(kPatience), 1) << c.data;
        EXPECT_NE(server.Errors().find(c.says), std::string::npos) << server.Errors();
        EXPECT_EQ(server.Output().find("listening"), std::string::npos) << "it did not run with no headlines";
    }
}

}  // namespace
