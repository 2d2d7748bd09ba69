// The wire format: frames as they travel, decoding within the payload's bounds, and reading frames from a socket.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "ScriptedServer.h"
#include "connection/Category.h"
#include "connection/Protocol.h"

using wire::MessageKind;

namespace {

Bytes Utf16(const std::wstring& text) {
    Bytes bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

// A MSG_NEWS payload of the gold category at time 1000 with any link offset and any bytes after the fixed fields.
Bytes News(std::uint32_t linkOffset, const Bytes& texts) {
    Bytes payload = U32(wire::MSG_NEWS);
    payload.insert(payload.end(), kGold.guid.bytes.begin(), kGold.guid.bytes.end());
    return payload + U32(1000) + U32(0) + U32(linkOffset) + U32(0) + texts;
}

Bytes Control(std::uint32_t subCode) { return U32(wire::MSG_CONTROL) + U32(subCode); }

// A CTL_BANNER payload with any declared L and M and any bytes after the fixed fields.
Bytes Banner(std::uint32_t slot, std::uint32_t linkBytes, std::uint32_t imageBytes, const Bytes& rest) {
    return Control(wire::CTL_BANNER) + U32(slot) + U32(linkBytes) + U32(imageBytes) + rest;
}

Bytes FirstBytes(Bytes bytes, std::size_t count) {
    bytes.resize(count);
    return bytes;
}

const Bytes kNul = {0, 0};

}  // namespace

TEST(WireFormat, MessagesTravelAsTheServerExpectsThem) {
    const Guid& stocks = kStocks.guid;
    const Bytes stocksBytes(stocks.bytes.begin(), stocks.bytes.end());
    struct Case {
        const char* name;
        Bytes payload;
        Bytes frame;
    } cases[] = {
        {"heartbeat", wire::HeartbeatPayload(), {0x04, 0, 0, 0, 0x30, 0, 0, 0}},
        {"category request", wire::CategoryRequestPayload(stocks),
         Bytes{0x14, 0, 0, 0, 0x11, 0, 0, 0, 0xBC, 0xD1, 0x5F, 0xDC, 0x31, 0x19, 0x16, 0x4D} +
             Bytes{0x8C, 0x5C, 0x5B, 0x82, 0x04, 0x8E, 0x21, 0x22}},
        {"signature answer", wire::SignaturePayload(0x0A0B0C0D),
         {0x0C, 0, 0, 0, 0x62, 0x61, 0, 0, 0x64, 0x63, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A}},
        {"history end", wire::HistoryEndPayload(), {0x04, 0, 0, 0, 0x12, 0, 0, 0}},
        {"signature request", wire::SignatureRequestPayload(), {0x08, 0, 0, 0, 0x62, 0x61, 0, 0, 0x65, 0x63, 0, 0}},
        {"news AB / X", wire::NewsPayload(stocks, -2, L"AB", L"X"),
         U32(46) + U32(76) + stocksBytes + Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF} + U32(6) + U32(0) +
             Bytes{0x41, 0, 0x42, 0, 0, 0, 0x58, 0, 0, 0}},
        {"banner", wire::BannerPayload(3, L"ab", Bytes{7, 8, 9}),
         U32(27) + Control(4660) + U32(3) + U32(4) + U32(3) + Bytes{0x61, 0, 0x62, 0, 7, 8, 9}},
    };
    for (const Case& c : cases) EXPECT_EQ(Framed(c.payload), c.frame) << c.name;
}

TEST(WireFormat, AppendFrameAddsToWhatIsQueued) {
    Bytes out = {1, 2};
    const std::uint8_t data[] = {9, 8, 7};
    ASSERT_TRUE(wire::AppendFrame(out, data, sizeof data));
    ASSERT_TRUE(wire::AppendFrame(out, data, 0));
    EXPECT_EQ(out, (Bytes{1, 2, 3, 0, 0, 0, 9, 8, 7, 0, 0, 0, 0}));
    if constexpr (sizeof(std::size_t) > 4) {
        EXPECT_FALSE(wire::AppendFrame(out, data, std::size_t{1} << 32)) << "N would not fit its 4 bytes";
        EXPECT_EQ(out.size(), 13u) << "nothing appended";
    }
}

TEST(WireFormat, FrameLengthsWorthReading) {
    const struct {
        std::uint32_t length;
        bool acceptable;
    } cases[] = {{0, false}, {1, true}, {4, true}, {wire::kMaxPayloadBytes, true},
                 {wire::kMaxPayloadBytes + 1, false}, {0xFFFFFFFF, false}};
    for (const auto& c : cases) EXPECT_EQ(wire::AcceptableFrameLength(c.length), c.acceptable) << c.length;
}

TEST(DecodeMessage, EveryFieldIsReadInsideThePayload) {
    struct Case {
        const char* name;
        Bytes payload;
        MessageKind kind;
        std::wstring title = L"";  // a news title
        std::wstring link = L"";   // a news or banner link
    };
    const Bytes ab = Utf16(L"AB") + kNul;
    const Bytes x = Utf16(L"X") + kNul;
    const Case cases[] = {
        {"empty", {}, MessageKind::Malformed},
        {"shorter than a type", {0x30, 0, 0}, MessageKind::Malformed},
        {"heartbeat", U32(48), MessageKind::Heartbeat},
        {"history end", U32(18), MessageKind::HistoryEnd},
        {"category request from the server", wire::CategoryRequestPayload(kGold.guid), MessageKind::Unknown},
        {"unknown type", U32(99) + U32(1), MessageKind::Unknown},
        {"news, link after title", News(6, ab + x), MessageKind::News, L"AB", L"X"},
        {"news, link offset 0 is the title", News(0, ab + x), MessageKind::News, L"AB", L"AB"},
        {"news, link further on", News(10, ab + Bytes{1, 1, 1, 1} + x), MessageKind::News, L"AB", L"X"},
        {"news, empty texts", News(2, kNul + kNul), MessageKind::News, L"", L""},
        {"news, fixed fields cut", FirstBytes(News(6, ab + x), 35), MessageKind::Malformed},
        {"news, no texts", News(0, {}), MessageKind::Malformed},
        {"news, title without NUL", News(0, Utf16(L"AB")), MessageKind::Malformed},
        {"news, title with half a NUL", News(0, Utf16(L"AB") + Bytes{0}), MessageKind::Malformed},
        {"news, link without NUL", News(6, ab + Utf16(L"X")), MessageKind::Malformed},
        {"news, link offset at the end", News(10, ab + x), MessageKind::Malformed},
        {"news, link offset on the last byte", News(9, ab + x), MessageKind::Malformed},
        {"news, link offset far outside", News(0xFFFFFFFF, ab + x), MessageKind::Malformed},
        {"control, no sub-code", U32(24930), MessageKind::Malformed},
        {"control, sub-code 0", Control(0), MessageKind::Unknown},
        {"signature request", Control(25445), MessageKind::SignatureRequest},
        {"signature, value cut", Control(25444) + Bytes{1, 2, 3}, MessageKind::Malformed},
        {"banner, fixed fields cut", Control(4660) + U32(1) + U32(0) + Bytes{0, 0, 0}, MessageKind::Malformed},
        {"banner, slot 0", Banner(0, 0, 0, {}), MessageKind::Unknown},
        {"banner, slot 4", Banner(4, 0, 0, {}), MessageKind::Unknown},
        {"banner, link without NUL", Banner(1, 6, 0, Utf16(L"abc")), MessageKind::Banner, L"", L"abc"},
        {"banner, NUL after 10 bytes", Banner(1, 14, 0, Utf16(L"abcde") + kNul + Utf16(L"z")), MessageKind::Banner,
         L"", L"abcde"},
        {"banner, odd length", Banner(1, 3, 0, Bytes{0x61, 0, 0x62}), MessageKind::Banner, L"", L"ab"},
        {"banner, longest link", Banner(2, 2046, 0, Utf16(std::wstring(1023, L'u'))), MessageKind::Banner, L"",
         std::wstring(1023, L'u')},
        {"banner, link above 2046", Banner(2, 2048, 0, Utf16(std::wstring(1024, L'u'))), MessageKind::Malformed},
        {"banner, image beyond the payload", Banner(3, 2, 3, Utf16(L"a") + Bytes{1, 2}), MessageKind::Malformed},
        {"banner, L and M wrapping around", Banner(3, 2, 0xFFFFFFFF, Utf16(L"a") + Bytes{1, 2}), MessageKind::Malformed},
    };
    for (const Case& c : cases) {
        // An exactly sized copy lets the address sanitizer catch any read past the end.
        const Bytes payload = c.payload;
        const wire::Message message = wire::DecodeMessage(payload);
        EXPECT_EQ(message.kind, c.kind) << c.name;
        if (message.kind == MessageKind::News) {
            EXPECT_EQ(message.news.title, c.title) << c.name;
            EXPECT_EQ(message.news.link, c.link) << c.name;
            EXPECT_EQ(message.news.category, kGold.guid) << c.name;
            EXPECT_EQ(message.news.publishTime, 1000) << c.name;
        }
        if (message.kind == MessageKind::Banner) {
            EXPECT_EQ(message.banner.link, c.link) << c.name;
        }
    }
}

TEST(DecodeMessage, RoundTripsWhatTheBuildersMake) {
    const wire::Message news = wire::DecodeMessage(wire::NewsPayload(kForex.guid, -86400, L"美元走强", L"https://e.test/1"));
    ASSERT_EQ(news.kind, MessageKind::News);
    EXPECT_EQ(news.news.category, kForex.guid);
    EXPECT_EQ(news.news.publishTime, -86400);
    EXPECT_EQ(news.news.title, L"美元走强");
    EXPECT_EQ(news.news.link, L"https://e.test/1");

    const wire::Message signature = wire::DecodeMessage(wire::SignaturePayload(0xDEADBEEF));
    ASSERT_EQ(signature.kind, MessageKind::Signature);
    EXPECT_EQ(signature.signature, 0xDEADBEEFu);

    const Bytes image = {0xFF, 0xD8, 0, 0xFF, 0xD9};
    const Bytes payload = wire::BannerPayload(2, L"http://ad.test/", image);
    const wire::Message banner = wire::DecodeMessage(payload);
    ASSERT_EQ(banner.kind, MessageKind::Banner);
    EXPECT_EQ(banner.banner.slot, 2u);
    EXPECT_EQ(banner.banner.link, L"http://ad.test/");
    EXPECT_EQ(Bytes(banner.banner.image.begin(), banner.banner.image.end()), image);
    EXPECT_EQ(wire::DecodeMessage(wire::BannerPayload(1, L"x", {})).banner.image.size(), 0u);
}

namespace {

// A client socket whose peer is the scripted server.
class ReadFrameTest : public ::testing::Test {
protected:
    void Open(unsigned clientTimeoutMs = 5000) { client = server.ConnectPlainClient(clientTimeoutMs); }
    void TearDown() override { platform::CloseSocket(client); }

    ScriptedServer server;
    platform::SocketHandle client = platform::kNoSocket;
    Bytes buffer = {0xEE, 0xEE};  // left over from an earlier frame
};

}  // namespace

TEST_F(ReadFrameTest, ReassemblesPiecesOfHeaderAndPayload) {
    Open();
    const Bytes payload = wire::NewsPayload(kStocks.guid, 7, L"pieces", L"http://p.test/");
    const Bytes frame = Framed(payload);
    std::thread sender([&] { server.SendInPieces(frame, {1, 3, 1, 2, 5, 1, 7}, 5); });
    const int result = wire::ReadFrame(buffer, client);
    sender.join();
    EXPECT_EQ(result, static_cast<int>(frame.size()));
    EXPECT_EQ(buffer, payload);
}

TEST_F(ReadFrameTest, TwoFramesInOneSegmentAreReadOneAtATime) {
    Open();
    const Bytes first = wire::HeartbeatPayload();
    const Bytes second = wire::SignaturePayload(5);
    server.Send(Framed(first) + Framed(second));
    ASSERT_EQ(wire::ReadFrame(buffer, client), 8);
    EXPECT_EQ(buffer, first);
    ASSERT_EQ(wire::ReadFrame(buffer, client), 16);
    EXPECT_EQ(buffer, second);
}

TEST_F(ReadFrameTest, FramesThatEndTheConnection) {
    const struct {
        const char* name;
        Bytes sent;
        bool peerCloses;
        int result;
        bool payloadSized;  // whether the buffer was sized for a payload before the end came
    } cases[] = {
        {"N = 0, more bytes after it", U32(0) + Framed(wire::HeartbeatPayload()), false, 0, false},
        {"N above the limit, refused before its payload", U32(wire::kMaxPayloadBytes + 1), false, 0, false},
        {"N = 4 GiB - 1", U32(0xFFFFFFFF), false, 0, false},
        {"peer closes inside the header", {5, 0}, true, 0, false},
        {"peer closes inside the payload", U32(8) + U32(48), true, 0, true},
        {"peer silent inside the payload", U32(8) + U32(48), false, -1, true},
        {"peer silent", {}, false, -1, false},
    };
    for (const bool buffered : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE(buffered ? "FrameReader" : "ReadFrame");
            // A short time-out: a case that ends by waiting shows up as -1, not as the 0 expected of a refusal.
            client = server.ConnectPlainClient(300);
            buffer.assign(1, 0xEE);
            buffer.shrink_to_fit();
            if (!c.sent.empty()) server.Send(c.sent);
            if (c.peerCloses) server.CloseClient();
            wire::FrameReader reader;
            EXPECT_EQ(buffered ? reader.Read(buffer, client) : wire::ReadFrame(buffer, client), c.result) << c.name;
            EXPECT_TRUE(buffer.empty()) << c.name;
            if (!c.payloadSized || buffered) {
                EXPECT_LE(buffer.capacity(), 1u) << c.name << ": no frame allocated";
            }
            platform::CloseSocket(client);
            client = platform::kNoSocket;
        }
}

TEST_F(ReadFrameTest, RecvAllReportsTheClose) {
    Open();
    server.Send(Bytes{1, 2, 3});
    server.CloseClient();
    std::uint8_t destination[3];
    EXPECT_EQ(wire::RecvAll(destination, 3, client), 3);
    EXPECT_EQ(destination[2], 3);
    EXPECT_EQ(wire::RecvAll(destination, 1, client), 0);
}

TEST_F(ReadFrameTest, AWatchedReadEndsOnStopOrSilenceThoughThePeerKeepsTheFrameOpen) {
    using Clock = std::chrono::steady_clock;
    const struct {
        const char* name;
        bool stopAsked;
    } cases[] = {{"stop asked while the payload is awaited", true}, {"peer silent past the idle limit", false}};
    enum Reader { Plain, Buffered, BufferedSeenReadable };
    const char* const readerNames[] = {"ReadFrame", "FrameReader", "FrameReader, seen readable"};
    for (const Reader kind : {Plain, Buffered, BufferedSeenReadable})
    for (const auto& c : cases) {
        // Told that the socket was readable, the reader takes what is there without a wait; the rest of the
        // frame is still awaited under the watch.
        SCOPED_TRACE(readerNames[kind]);
        // An unwatched read would wait for the socket's 5 s time-out.
        client = server.ConnectPlainClient(5000);
        server.Send(U32(100) + Bytes(3, 7));
        std::atomic<bool> stop{false};
        const wire::ReadWatch watch{&stop, 10, 300};
        std::thread asker([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (c.stopAsked) stop = true;
        });
        const auto start = Clock::now();
        wire::FrameReader reader;
        const int result = kind == Plain ? wire::ReadFrame(buffer, client, &watch)
                                         : reader.Read(buffer, client, &watch, kind == BufferedSeenReadable);
        EXPECT_EQ(result, -1) << c.name;
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(c.stopAsked ? 250 : 1500)) << c.name;
        EXPECT_TRUE(buffer.empty()) << c.name;
        asker.join();
        platform::CloseSocket(client);
        client = platform::kNoSocket;
    }
}

TEST_F(ReadFrameTest, TheBufferShrinksBackAfterAnUnusuallyLargeFrame) {
    Open();
    const Bytes large = U32(999) + Bytes(1024 * 1024, 1);
    std::thread sender([&] { server.Send(Framed(large) + Framed(wire::HeartbeatPayload())); });
    const int first = wire::ReadFrame(buffer, client);
    sender.join();
    ASSERT_GT(first, 0);
    EXPECT_EQ(buffer, large);
    ASSERT_EQ(wire::ReadFrame(buffer, client), 8);
    EXPECT_EQ(buffer, wire::HeartbeatPayload());
    EXPECT_LE(buffer.capacity(), wire::kRetainedBufferBytes);
}

TEST_F(ReadFrameTest, TheFrameReaderTakesWhatHasArrivedAtOnceAndWaitsOnlyForWhatIsMissing) {
    Open();
    const Bytes first = wire::HeartbeatPayload();
    const Bytes second = wire::SignaturePayload(5);
    const Bytes third = wire::NewsPayload(kStocks.guid, 7, L"third", L"http://p.test/");
    const Bytes thirdFrame = Framed(third);
    const Bytes thirdStart(thirdFrame.begin(), thirdFrame.begin() + 6);
    server.Send(Framed(first) + Framed(second) + thirdStart);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // all of it waits in the socket
    wire::FrameReader reader;
    EXPECT_FALSE(reader.HasFrame());
    ASSERT_EQ(reader.Read(buffer, client), 8);
    EXPECT_EQ(buffer, first);
    EXPECT_TRUE(reader.HasFrame()) << "the second frame came with the same receive";
    ASSERT_EQ(reader.Read(buffer, client), 16);
    EXPECT_EQ(buffer, second);
    EXPECT_FALSE(reader.HasFrame()) << "only the start of the third is in";
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        server.Send(Bytes(thirdFrame.begin() + 6, thirdFrame.end()));
    });
    EXPECT_EQ(reader.Read(buffer, client), static_cast<int>(thirdFrame.size()));
    sender.join();
    EXPECT_EQ(buffer, third);

    // An unusually large frame, then a small one: the frame's buffer does not keep the large one's room.
    const Bytes large = U32(999) + Bytes(1024 * 1024, 1);
    std::thread bulk([&] { server.Send(Framed(large) + Framed(wire::HeartbeatPayload())); });
    ASSERT_GT(reader.Read(buffer, client), 0);
    bulk.join();
    EXPECT_EQ(buffer, large);
    ASSERT_EQ(reader.Read(buffer, client), 8);
    EXPECT_LE(buffer.capacity(), wire::kRetainedBufferBytes);
}

#ifndef _WIN32
TEST_F(ReadFrameTest, ReadinessOfSocketNumbersAbove1024) {
    constexpr int kHigh = 1500;
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur <= kHigh) {
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, kHigh + 1);
        setrlimit(RLIMIT_NOFILE, &files);
    }
    Open();
    if (dup2(client, kHigh) != kHigh) GTEST_SKIP() << "no socket number above 1024 available here";
    platform::CloseSocket(client);
    client = kHigh;
    platform::WakeSignal wake;
    ASSERT_TRUE(platform::OpenWakeSignal(wake));
    platform::Readiness ready;
    EXPECT_EQ(platform::WaitSocketOrSignal(client, true, wake, 1000, ready), 0);
    EXPECT_FALSE(ready.readable);
    EXPECT_TRUE(ready.writable);
    EXPECT_EQ(platform::WaitReadable(client, 1), 0);
    server.SendFrame(wire::HeartbeatPayload());
    EXPECT_EQ(platform::WaitReadable(client, 1000), 1);
    EXPECT_EQ(platform::WaitSocketOrSignal(client, false, wake, 1000, ready), 0);
    EXPECT_TRUE(ready.readable);
    platform::CloseWakeSignal(wake);
    EXPECT_EQ(wire::ReadFrame(buffer, client), 8);
}
#endif
