// CConnection against a scripted server on 127.0.0.1: the receive loop, the queue, the signature answers,
// the banners and the ways a connection ends. Short pauses and limits keep every case quick.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include "ConnectionFixture.h"
#include "connection/Category.h"
#include "connection/Protocol.h"
#include "framework/platform/Files.h"
#include "settings/SettingKeys.h"

namespace {

Bytes ReadFile(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const char* name, const Bytes& bytes) {
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST_F(ConnectionTest, HistoryItemsHaveNoCategoryUntilHistoryEnd) {
    Start();
    connection->RequestCategory(kGold.guid);
    EXPECT_TRUE(connection->IsLoading());
    EXPECT_EQ(connection->CurrentCategory(), kGold.guid);
    EXPECT_EQ(server.NextRequest(), wire::CategoryRequestPayload(kGold.guid));

    server.Send(News(kGold.guid, L"h1") + News(kGold.guid, L"h2") + Framed(wire::HistoryEndPayload()) +
                News(kStocks.guid, L"live"));
    const std::vector<NewsItem> items = Pop(3);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], (NewsItem{Guid{}, 1700000000, L"h1", L"http://news.test/h1"}));
    EXPECT_EQ(items[1].title, L"h2");
    EXPECT_TRUE(items[1].category.IsNull());
    EXPECT_EQ(items[2].title, L"live");
    EXPECT_EQ(items[2].category, kStocks.guid);
    EXPECT_FALSE(connection->IsLoading());
    NewsItem none{kFutures.guid, 5, L"untouched", L""};
    EXPECT_FALSE(connection->PopNews(none));
    EXPECT_EQ(none.title, L"untouched");
}

TEST_F(ConnectionTest, WhileAHistoryLoadsOtherCategoriesStayLiveFlashes) {
    Start();
    connection->RequestCategory(kGold.guid);
    EXPECT_EQ(server.NextRequest(), wire::CategoryRequestPayload(kGold.guid));
    const Guid unknown = MakeGuid(1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11});
    struct Case {
        const wchar_t* title;
        Guid sent;
        Guid queued;
    };
    const Case cases[] = {
        {L"gold history", kGold.guid, Guid{}},
        {L"forex flash", kForex.guid, kForex.guid},
        {L"no category", Guid{}, Guid{}},
        {L"unknown category", unknown, Guid{}},
        {L"stocks flash", kStocks.guid, kStocks.guid},
        {L"gold live", kGold.guid, kGold.guid},  // after the end of the history
        {L"unknown live", unknown, unknown},
    };
    Bytes frames;
    for (const Case& c : cases) {
        if (std::wstring_view(c.title) == L"gold live") frames = frames + Framed(wire::HistoryEndPayload());
        frames = frames + News(c.sent, c.title);
    }
    server.Send(frames);
    const std::vector<NewsItem> items = Pop(std::size(cases));
    ASSERT_EQ(items.size(), std::size(cases));
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(testing::Message() << i);
        EXPECT_EQ(items[i].title, cases[i].title);
        EXPECT_EQ(items[i].category, cases[i].queued);
    }
}

TEST_F(ConnectionTest, RequestCategoryDiscardsQueuedItems) {
    Start();
    server.Send(News(kStocks.guid, L"a") + News(kForex.guid, L"b"));
    ASSERT_TRUE(WaitUntil([&] { return connection->Queued() == 2; }));
    {
        std::lock_guard lock(connection->QueueLock());  // as the category switch holds it
        connection->RequestCategory(kFutures.guid);
    }
    EXPECT_EQ(connection->Queued(), 0u);
    EXPECT_TRUE(connection->IsLoading());
    EXPECT_EQ(connection->CurrentCategory(), kFutures.guid);
    EXPECT_EQ(server.NextRequest(), wire::CategoryRequestPayload(kFutures.guid));
}

TEST_F(ConnectionTest, FrameArrivingInPiecesIsReassembled) {
    Start();
    const Bytes frame = News(kStocks.guid, L"a headline sent a few bytes at a time");
    server.SendInPieces(frame, {1, 3, 2, 10, 1, 30}, 5);
    const std::vector<NewsItem> items = Pop(1);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, L"a headline sent a few bytes at a time");
    EXPECT_EQ(items[0].link, L"http://news.test/a headline sent a few bytes at a time");
}

TEST_F(ConnectionTest, SignatureRequestsAreAnsweredWithTheLastValueStored) {
    DiagnosticCapture diagnostics;
    Start();
    // The answer to a request is queued in the pass that read it, before the next frame is read.
    server.Send(Framed(wire::SignatureRequestPayload()) + Framed(wire::SignaturePayload(0x0A0B0C0D)) +
                Framed(wire::SignatureRequestPayload()));
    EXPECT_EQ(server.NextRequest(), (Bytes{0x62, 0x61, 0, 0, 0x64, 0x63, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(server.NextRequest(), (Bytes{0x62, 0x61, 0, 0, 0x64, 0x63, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(diagnostics.Lines(), (std::vector<std::wstring>{L"[客户端]：服务器要求发送签名\n", L"[客户端]：更新签名 a0b0c0d\n",
                                                              L"[客户端]：服务器要求发送签名\n"}));

    // The value belongs to the connection object and outlives the connection.
    server.CloseClient();
    ASSERT_TRUE(WaitForEnd());
    Reconnect();
    server.SendFrame(wire::SignatureRequestPayload());
    EXPECT_EQ(server.NextRequest(), wire::SignaturePayload(0x0A0B0C0D));
    server.SendFrame(wire::SignaturePayload(0xF));
    ASSERT_TRUE(WaitUntil([&] { return diagnostics.Lines().size() == 5; }));
    EXPECT_EQ(diagnostics.Lines().back(), L"[客户端]：更新签名 f\n");

    // A request is answered once: what follows is heartbeats only.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(server.ReadFrame(), wire::HeartbeatPayload()) << i;
}

TEST_F(ConnectionTest, BannerForSlotTwoReplacesOnlyItsImageAndLink) {
    settings::WriteBannerUrl(1, L"http://one.test/");
    settings::WriteBannerUrl(2, L"http://old-two.test/");
    settings::WriteBannerUrl(3, L"http://three.test/");
    WriteFile("1.jpg", {1, 1});
    WriteFile("2.jpg", {2, 2});
    WriteFile("3.jpg", {3, 3});
    Start();
    EXPECT_EQ(connection->Banners().Slot(2).url, L"http://old-two.test/");
    std::atomic<int> notifications{0};
    connection->Banners().SetChangedCallback([&] { ++notifications; });

    // BannerPayload writes the link without a NUL: it fills its L bytes and is taken whole.
    const Bytes image = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0xFF, 0xD9};
    server.Send(Framed(wire::BannerPayload(2, L"http://ad.test/two?id=7", image)) +
                Framed(wire::BannerPayload(4, L"http://four.test/", image)) +
                Framed(wire::BannerPayload(0, L"http://zero.test/", image)) + News(kStocks.guid, L"after"));
    ASSERT_EQ(Pop(1).size(), 1u) << "the frame after the banners was handled";

    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(ReadFile("2.jpg"), image);
    EXPECT_EQ(settings::ReadBannerUrl(2), L"http://ad.test/two?id=7");
    const BannerSlot slot = connection->Banners().Slot(2);
    EXPECT_EQ(slot.url, L"http://ad.test/two?id=7");
    EXPECT_TRUE(std::filesystem::equivalent(slot.imagePath, "2.jpg"));
    EXPECT_EQ(ReadFile("1.jpg"), (Bytes{1, 1}));
    EXPECT_EQ(ReadFile("3.jpg"), (Bytes{3, 3}));
    EXPECT_EQ(settings::ReadBannerUrl(1), L"http://one.test/");
    EXPECT_EQ(settings::ReadBannerUrl(3), L"http://three.test/");
    EXPECT_EQ(connection->Banners().Slot(3).url, L"http://three.test/");
    const auto files = std::distance(std::filesystem::directory_iterator(folder.Path()), {});
    EXPECT_EQ(files, 4) << "Setting.ini and the three images, nothing for slots 0 and 4, no temporary file left";
}

TEST(BannerSlots, StartShowsWhatAnEarlierRunLeft) {
    TempWorkingDirectory folder;
    settings::WriteBannerUrl(1, L"http://one.test/");
    const BannerSlots slots;
    EXPECT_EQ(slots.Slot(1).url, L"http://one.test/");
    const BannerSlot third = slots.Slot(3);
    EXPECT_EQ(third.url, L"");
    const std::filesystem::path path(third.imagePath);
    EXPECT_EQ(path.filename(), "3.jpg");
    EXPECT_TRUE(std::filesystem::equivalent(path.parent_path(), folder.Path()));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(slots.Slot(0).imagePath, L"");
    EXPECT_EQ(slots.Slot(4).imagePath, L"");
}

TEST_F(ConnectionTest, UnknownAndMalformedFramesAreDroppedAndTheConnectionStays) {
    Start();
    const Bytes shortNews = U32(wire::MSG_NEWS) + U32(0);
    Bytes newsWithoutNul = wire::NewsPayload(kGold.guid, 1, L"t", L"l");
    newsWithoutNul.resize(newsWithoutNul.size() - 2);  // the link loses its NUL
    server.Send(Framed(wire::CategoryRequestPayload(kGold.guid)) + Framed(U32(wire::MSG_CONTROL) + U32(0)) +
                Framed(U32(wire::MSG_CONTROL)) + Framed(shortNews) + Framed(newsWithoutNul) +
                Framed(wire::BannerPayload(1, std::wstring(1024, L'u'), Bytes{1})) + Framed(U32(12345)) +
                News(kStocks.guid, L"kept"));
    const std::vector<NewsItem> items = Pop(1);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, L"kept");
    EXPECT_TRUE(connection->IsConnected());
    EXPECT_FALSE(std::filesystem::exists("1.jpg"));
}

TEST_F(ConnectionTest, FrameLengthsThatCloseTheConnectionAtOnce) {
    ConnectionTimings patient = Quick();
    patient.socketTimeoutMs = 60000;  // a client that waited for the payload would still be connected
    connection = std::make_unique<ProbedConnection>(patient);
    const struct {
        const char* name;
        Bytes sent;
    } cases[] = {
        {"N = 0 with a frame after it", U32(0) + News(kStocks.guid, L"never")},
        {"N above the limit", U32(wire::kMaxPayloadBytes + 1) + Bytes(64, 0)},
    };
    for (const auto& c : cases) {
        Reconnect();
        server.Send(c.sent);
        EXPECT_TRUE(WaitForEnd(20000)) << c.name;
        NewsItem item;
        EXPECT_FALSE(connection->PopNews(item)) << c.name;
    }
}

TEST_F(ConnectionTest, SilentServerIsClosedAfterTheSilenceLimit) {
    ConnectionTimings timings = Quick();
    timings.heartbeatMs = 40;
    timings.silenceLimitMs = 300;
    Start(timings);
    const auto started = std::chrono::steady_clock::now();
    const std::optional<int> heartbeats = server.HeartbeatsUntilClose();
    const auto silent = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(heartbeats.has_value());
    EXPECT_TRUE(WaitForEnd());
    EXPECT_GE(silent, std::chrono::milliseconds(250)) << "not before the limit";
    EXPECT_GE(*heartbeats, 3) << "heartbeats went on while the server was silent";
}

TEST_F(ConnectionTest, ServerAnsweringHeartbeatsKeepsTheConnection) {
    ConnectionTimings timings = Quick();
    timings.heartbeatMs = 10;
    timings.silenceLimitMs = 200;
    Start(timings);
    for (int answered = 0; answered < 60; ++answered) {  // well beyond the silence limit
        ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload()) << "heartbeat " << answered;
        server.SendFrame(wire::HeartbeatPayload());
    }
    EXPECT_TRUE(connection->IsConnected());
}

TEST_F(ConnectionTest, ClosingServerEndsTheConnectionAndEmptiesTheQueue) {
    Start();
    server.Send(News(kStocks.guid, L"a") + News(kStocks.guid, L"b"));
    ASSERT_TRUE(WaitUntil([&] { return connection->Queued() == 2; }));
    server.CloseClient();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(connection->Queued(), 0u);
    NewsItem item;
    EXPECT_FALSE(connection->PopNews(item));
    Reconnect();
    EXPECT_FALSE(connection->PopNews(item)) << "nothing of the last connection comes back";
}

TEST_F(ConnectionTest, StopEndsTheLoop) {
    connection = std::make_unique<ProbedConnection>(Quick());
    // A stop asked for as soon as Connect returns, before the receive thread may have begun, still ends it.
    for (int attempt = 0; attempt < 10; ++attempt) {
        Reconnect();
        connection->AskToStop();
        ASSERT_TRUE(WaitForEnd()) << "attempt " << attempt;
        EXPECT_TRUE(server.HeartbeatsUntilClose().has_value());
    }
    Reconnect();
    ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload());
    connection->StopAndWait();
    EXPECT_FALSE(connection->IsConnected());
    EXPECT_TRUE(server.HeartbeatsUntilClose().has_value());
}

TEST_F(ConnectionTest, ConnectWhileConnectedReturnsFalseAndChangesNothing) {
    Start();
    connection->RequestCategory(kGold.guid);
    ASSERT_EQ(server.NextRequest(), wire::CategoryRequestPayload(kGold.guid));
    EXPECT_FALSE(connection->Connect("127.0.0.1", server.Port()));
    EXPECT_TRUE(connection->IsConnected());
    EXPECT_TRUE(connection->IsLoading()) << "a new connection would have cleared it";
    server.Send(News(kGold.guid, L"still here"));
    const std::vector<NewsItem> items = Pop(1);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_TRUE(items[0].category.IsNull());
}

TEST_F(ConnectionTest, FailedConnectLeavesNoConnection) {
    std::uint16_t closedPort = 0;
    {
        ScriptedServer gone;
        closedPort = gone.Port();
    }
    connection = std::make_unique<ProbedConnection>(Quick());
    EXPECT_FALSE(connection->Connect("127.0.0.1", closedPort));
    EXPECT_FALSE(connection->Connect("news.server.test", server.Port())) << "no name lookup";
    EXPECT_FALSE(connection->Connect("127.0.0.1.5", server.Port()));
    const struct {
        const char* host;
        std::uint16_t port;
        ConnectOutcome outcome;
    } cases[] = {
        {"127.0.0.1", closedPort, ConnectOutcome::Refused},
        {"news.server.test", server.Port(), ConnectOutcome::BadAddress},
        {"127.0.0.1.5", server.Port(), ConnectOutcome::BadAddress},
        {"", server.Port(), ConnectOutcome::BadAddress},
    };
    for (const auto& c : cases) EXPECT_EQ(connection->TryConnect(c.host, c.port), c.outcome) << c.host;
    EXPECT_FALSE(connection->IsConnected());
    NewsItem item;
    EXPECT_FALSE(connection->PopNews(item));
    Reconnect();
    server.Send(News(kStocks.guid, L"works"));
    EXPECT_EQ(Pop(1).size(), 1u);
}

TEST_F(ConnectionTest, AReconnectStartsWithNoHistoryLoadingAndNothingLeftToSend) {
    ConnectionTimings timings = Quick();
    timings.heartbeatMs = 60000;  // one heartbeat per connection, in its first pass
    Start(timings);
    connection->RequestCategory(kGold.guid);
    ASSERT_EQ(server.NextRequest(), wire::CategoryRequestPayload(kGold.guid));
    server.CloseClient();  // before the history ended
    ASSERT_TRUE(WaitForEnd());
    EXPECT_TRUE(connection->IsLoading()) << "the end of a connection leaves the flag";
    connection->RequestCategory(kFutures.guid);  // queued after the connection went: never to be sent

    ASSERT_TRUE(connection->Connect("127.0.0.1", server.Port()));
    server.Accept(400);
    EXPECT_FALSE(connection->IsLoading());
    EXPECT_EQ(server.ReadFrame(), wire::HeartbeatPayload());
    EXPECT_EQ(server.NextRequest(), std::nullopt) << "a request of the last connection went out again";
    server.Send(News(kStocks.guid, L"live"));
    const std::vector<NewsItem> items = Pop(1);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].category, kStocks.guid) << "a live headline, not history";
}

TEST_F(ConnectionTest, PopNewsGivesNothingWhileNoReceiveThreadRunsWhateverTheQueueHolds) {
    connection = std::make_unique<ProbedConnection>(Quick());
    const NewsItem leftOver{kGold.guid, 1, L"left over", L"l"};
    for (int connections = 0; connections < 2; ++connections) {
        connection->Push(leftOver);
        NewsItem item{kForex.guid, 5, L"untouched", L""};
        EXPECT_FALSE(connection->PopNews(item)) << "after " << connections << " connections";
        EXPECT_EQ(item.title, L"untouched");
        Reconnect();
        server.CloseClient();
        ASSERT_TRUE(WaitForEnd());
    }
}

namespace {

// Makes writing the image fail part-way, as a full disk would: on Windows the target is held open by a
// reader that does not let go, elsewhere the process may not write files beyond a few kilobytes.
class ImageWriteFails {
public:
    explicit ImageWriteFails(const char* target) {
#ifdef _WIN32
        held_ = CreateFileA(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        (void)target;
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
#endif
    }
    ~ImageWriteFails() {
#ifdef _WIN32
        CloseHandle(held_);
#else
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
#endif
    }

private:
#ifdef _WIN32
    HANDLE held_;
#else
    rlimit saved_{};
    void (*savedSignal_)(int) = SIG_DFL;
#endif
};

}  // namespace

TEST_F(ConnectionTest, AFailedImageWriteKeepsTheOldImageButStoresTheLinkAndNotifies) {
    settings::WriteBannerUrl(2, L"http://old-two.test/");
    WriteFile("2.jpg", {2, 2});
    Start();
    std::atomic<int> notifications{0};
    connection->Banners().SetChangedCallback([&] { ++notifications; });
    {
        ImageWriteFails fails("2.jpg");
        server.Send(Framed(wire::BannerPayload(2, L"http://new-two.test/", Bytes(64 * 1024, 0xAB))) +
                    News(kStocks.guid, L"after"));
        ASSERT_EQ(Pop(1).size(), 1u) << "the frame after the banner was handled";
    }
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(ReadFile("2.jpg"), (Bytes{2, 2})) << "the old image, whole";
    EXPECT_EQ(settings::ReadBannerUrl(2), L"http://new-two.test/");
    EXPECT_EQ(connection->Banners().Slot(2).url, L"http://new-two.test/");
    const auto files = std::distance(std::filesystem::directory_iterator(folder.Path()), {});
    EXPECT_EQ(files, 2) << "Setting.ini and 2.jpg, no temporary file left";
}

TEST(FileReplace, WritersOfOneFileNeverMixTheirBytesAndAReaderSeesOneWholeVersion) {
    TempWorkingDirectory folder;
    const std::wstring path = platform::CurrentDirectory() + platform::PathSeparator() + L"1.jpg";
    constexpr std::size_t kSize = 128 * 1024;
    std::atomic<int> writersLeft{2};
    std::atomic<int> failedWrites{0};
    auto writer = [&](std::uint8_t value) {
        const Bytes bytes(kSize, value);
        for (int round = 0; round < 30; ++round)
            if (!platform::ReplaceFileAtomically(path, bytes)) ++failedWrites;
        --writersLeft;
    };
    std::thread first(writer, std::uint8_t{0x11});
    std::thread second(writer, std::uint8_t{0x22});
    int torn = 0;
    while (writersLeft > 0) {
        const Bytes seen = ReadFile("1.jpg");
        const bool whole = seen.size() == kSize && std::all_of(seen.begin(), seen.end(), [&](std::uint8_t b) { return b == seen[0]; });
        if (!seen.empty() && !whole) ++torn;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    first.join();
    second.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(failedWrites, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "no temporary file left";
}

#ifdef _WIN32
TEST(FileReplace, AnImageHeldOpenForAMomentIsStillReplaced) {
    TempWorkingDirectory folder;
    WriteFile("3.jpg", {3, 3});
    HANDLE held = CreateFileA("3.jpg", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread reader([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));  // as the main window loading the picture
        CloseHandle(held);
    });
    const std::wstring path = platform::CurrentDirectory() + platform::PathSeparator() + L"3.jpg";
    EXPECT_TRUE(platform::ReplaceFileAtomically(path, Bytes{9, 9, 9}));
    reader.join();
    EXPECT_EQ(ReadFile("3.jpg"), (Bytes{9, 9, 9}));
}
#endif
