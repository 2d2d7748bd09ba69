// The end-to-end news server: its script lines, and a session against a plain socket client that checks
// the bytes it sends and the log lines the tests read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "connection/Category.h"
#include "connection/Protocol.h"
#include "framework/platform/Text.h"
#include "tests/e2e/server/ScriptedNewsServer.h"

namespace {

using e2e::ParseScriptLine;

TEST(ServerScript, UnderstandsEveryStepAndRejectsBrokenLines) {
    const std::vector<std::string> good = {
        "accept",
        "accept 2000",
        "expect-category stocks 500",
        "expect-category any",
        "history forex 20 \"外汇 历史\"",
        "history-end",
        "news gold \"Gold \\\"up\\\"\" http://127.0.0.1/g",
        "stream 50 0",
        "stream 100 10 forex futures",
        "auto-history 20 never",
        "auto-history 5 300",
        "auto-history off",
        "echo-heartbeats off",
        "signature 0xCAFE",
        "banner 2 file:///C:/x.exe /tmp/b.jpg",
        "header 4294967295",
        "frame 4c000000 0102",
        "raw 00",
        "sleep 10",
        "close",
        "wait-close 100",
        "refuse",
        "listen",
        "version-page \"<version>2.0</version>\"",
        "version-page none",
        "exit",
    };
    for (const std::string& line : good) {
        SCOPED_TRACE(line);
        auto parsed = ParseScriptLine(line);
        EXPECT_EQ(parsed.error, "");
        EXPECT_TRUE(parsed.step.has_value());
    }
    for (const char* line : {"", "   ", "# a comment"}) EXPECT_FALSE(ParseScriptLine(line).step.has_value());

    const std::vector<std::string> bad = {
        "jump", "accept soon", "history crypto 3", "history stocks", "news stocks", "stream 0 5", "stream 50",
        "stream 50 5 crypto", "auto-history some", "echo-heartbeats maybe", "header", "header -1", "frame 4c0",
        "frame zz", "raw", "sleep", "close now", "news stocks \"open quote", "signature 0xZZ", "auto-history off 5",
    };
    for (const std::string& line : bad) {
        SCOPED_TRACE(line);
        auto parsed = ParseScriptLine(line);
        EXPECT_NE(parsed.error, "");
        EXPECT_FALSE(parsed.step.has_value());
    }
    auto news = ParseScriptLine("news gold \"Gold \\\"up\\\"\\nnow\"");
    ASSERT_TRUE(news.step);
    EXPECT_EQ(std::get<e2e::News>(*news.step).title, "Gold \"up\"\nnow");
    EXPECT_EQ(std::get<e2e::News>(*news.step).category, kGold.guid);
}

// A nameless file opened for appending: the server's threads write at its end while the test reads it.
std::FILE* AppendOnlyTemporaryFile() {
    char path[] = "/tmp/corvane-e2e-log-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) return nullptr;
    unlink(path);
    return fdopen(descriptor, "a+");
}

class ScriptedNewsServerSession : public ::testing::Test {
protected:
    ScriptedNewsServerSession() : logFile_(AppendOnlyTemporaryFile(), &std::fclose), log_(logFile_.get()), server_(0, 0, log_) {}
    ~ScriptedNewsServerSession() override { platform::CloseSocket(client_); }

    void Run(const std::string& line) {
        auto parsed = ParseScriptLine(line);
        ASSERT_TRUE(parsed.step) << parsed.error;
        ASSERT_TRUE(server_.Run(*parsed.step)) << line << "\n" << Log();
    }
    platform::SocketHandle Connect() {
        platform::SocketHandle socket = platform::OpenTcpSocket();
        if (!platform::ConnectIPv4(socket, "127.0.0.1", server_.NewsPort())) {
            platform::CloseSocket(socket);
            return platform::kNoSocket;
        }
        platform::SetSocketTimeouts(socket, 3000);
        return socket;
    }
    void ClientSends(const std::vector<std::uint8_t>& payload) {
        std::vector<std::uint8_t> frame;
        wire::AppendFrame(frame, payload.data(), payload.size());
        ASSERT_EQ(platform::SendSome(client_, frame.data(), frame.size()), static_cast<int>(frame.size()));
    }
    wire::Message ClientReads() {
        buffer_.clear();
        EXPECT_GT(wire::ReadFrame(buffer_, client_), 0);
        return wire::DecodeMessage(buffer_);
    }
    std::string Log() {
        std::FILE* file = logFile_.get();
        std::fflush(file);
        std::rewind(file);
        std::string text;
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
        std::fseek(file, 0, SEEK_END);
        return text;
    }
    bool LogSoonHas(const std::string& text) {
        for (int i = 0; i < 200; ++i) {
            if (Log().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Declared first, so the file outlives the server's threads, which log until the server is gone.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> logFile_;
    e2e::EventLog log_;
    e2e::ScriptedNewsServer server_;
    platform::SocketHandle client_ = platform::kNoSocket;
    std::vector<std::uint8_t> buffer_;
};

TEST_F(ScriptedNewsServerSession, LogsWhatTheClientSendsAndServesTheScriptedHeadlines) {
    client_ = Connect();
    ASSERT_NE(client_, platform::kNoSocket);
    Run("accept 2000");
    ClientSends(wire::HeartbeatPayload());
    EXPECT_EQ(ClientReads().kind, wire::MessageKind::Heartbeat);  // echoed
    ClientSends(wire::CategoryRequestPayload(kForex.guid));
    ClientSends(wire::SignaturePayload(0xBEEF));
    Run("expect-category forex 2000");
    Run("history forex 2 旧闻");
    Run("history-end");
    Run("news gold \"金价 上涨\" http://127.0.0.1/g");

    for (const char* title : {"旧闻 1", "旧闻 2"}) {
        wire::Message m = ClientReads();
        ASSERT_EQ(m.kind, wire::MessageKind::News);
        EXPECT_EQ(m.news.category, kForex.guid);
        EXPECT_EQ(m.news.title, platform::FromUtf8(title));
    }
    EXPECT_EQ(ClientReads().kind, wire::MessageKind::HistoryEnd);
    wire::Message live = ClientReads();
    EXPECT_EQ(live.news.category, kGold.guid);
    EXPECT_EQ(live.news.link, L"http://127.0.0.1/g");

    ASSERT_TRUE(LogSoonHas("recv 1 signature 0xbeef"));
    const std::string log = Log();
    for (const char* line : {"accept 1", "recv 1 heartbeat", "recv 1 category forex", "sent 1 history forex 2",
                             "sent 1 history-end", "sent 1 news gold \"金价 上涨\""})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_F(ScriptedNewsServerSession, SendsHostileBytesExactlyAsScripted) {
    client_ = Connect();
    Run("accept 2000");
    Run("header 0");
    Run("frame 4c000000 01");
    Run("raw ff ff ff ff");
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 5, 0, 0, 0, 0x4c, 0, 0, 0, 1, 0xff, 0xff, 0xff, 0xff};
    std::vector<std::uint8_t> got(expected.size());
    ASSERT_EQ(wire::RecvAll(got.data(), got.size(), client_), static_cast<int>(got.size()));
    EXPECT_EQ(got, expected);
}

TEST_F(ScriptedNewsServerSession, AnswersCategoryRequestsOnItsOwnWhenToldTo) {
    Run("auto-history 3 200");
    client_ = Connect();
    Run("accept 2000");
    ClientSends(wire::CategoryRequestPayload(kStocks.guid));
    const auto asked = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ClientReads().news.category, kStocks.guid);
    EXPECT_EQ(ClientReads().kind, wire::MessageKind::HistoryEnd);
    EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(190));
}

TEST_F(ScriptedNewsServerSession, StreamsHeadlinesInTheBackgroundUntilToldToStop) {
    client_ = Connect();
    Run("accept 2000");
    Run("stream 10 3 forex gold");
    const std::vector<Guid> expected = {kForex.guid, kGold.guid, kForex.guid};
    for (const Guid& category : expected) EXPECT_EQ(ClientReads().news.category, category);
    Run("stream 10 0");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ClientReads().kind, wire::MessageKind::News);
    Run("stream-stop");
    EXPECT_TRUE(LogSoonHas("sent 1 news gold \"快讯 2\""));
}

TEST_F(ScriptedNewsServerSession, ClosesRefusesAndListensAgainOnTheSamePort) {
    client_ = Connect();
    Run("accept 2000");
    Run("close");
    std::uint8_t byte;
    EXPECT_EQ(platform::ReceiveSome(client_, &byte, 1), 0);
    EXPECT_TRUE(LogSoonHas("server-closed 1"));

    Run("refuse");
    EXPECT_EQ(Connect(), platform::kNoSocket);
    Run("listen");
    platform::CloseSocket(client_);
    client_ = Connect();
    ASSERT_NE(client_, platform::kNoSocket);
    Run("accept 2000");
    platform::CloseSocket(client_);
    client_ = platform::kNoSocket;
    Run("wait-close 2000");
    EXPECT_TRUE(LogSoonHas("client-closed 2"));
}

TEST_F(ScriptedNewsServerSession, FailsAStepThatWaitsInVain) {
    EXPECT_FALSE(server_.Run(e2e::Accept{50}));
    client_ = Connect();
    ASSERT_TRUE(server_.Run(e2e::Accept{2000}));
    EXPECT_FALSE(server_.Run(e2e::ExpectCategory{std::nullopt, 50}));
    EXPECT_NE(Log().find("fail accept"), std::string::npos);
}

std::string HttpGet(std::uint16_t port, const std::string& path) {
    platform::SocketHandle socket = platform::OpenTcpSocket();
    if (!platform::ConnectIPv4(socket, "127.0.0.1", port)) return "";
    platform::SetSocketTimeouts(socket, 3000);
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    platform::SendSome(socket, request.data(), request.size());
    std::string reply;
    char chunk[1024];
    for (int n; (n = platform::ReceiveSome(socket, chunk, sizeof chunk)) > 0;) reply.append(chunk, static_cast<std::size_t>(n));
    platform::CloseSocket(socket);
    return reply;
}

TEST_F(ScriptedNewsServerSession, ServesTheScriptedVersionPage) {
    const std::string first = HttpGet(server_.HttpPort(), "/version.html");
    EXPECT_NE(first.find("200 OK"), std::string::npos);
    EXPECT_NE(first.find("<port>" + std::to_string(server_.NewsPort()) + "</port>"), std::string::npos);
    Run("version-page \"<p>no tags</p>\"");
    EXPECT_NE(HttpGet(server_.HttpPort(), "/version.html").find("\r\n\r\n<p>no tags</p>"), std::string::npos);
    Run("version-page none");
    EXPECT_NE(HttpGet(server_.HttpPort(), "/version.html").find("404"), std::string::npos);
    EXPECT_NE(HttpGet(server_.HttpPort(), "/about.html").find("404"), std::string::npos);
    EXPECT_TRUE(LogSoonHas("http 404 GET /version.html HTTP/1.1"));
}

}  // namespace
