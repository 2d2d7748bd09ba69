// The receive loop's timing rules, observed with pauses and intervals long enough to tell them apart: the
// pause comes only after a pass that read nothing, heartbeats keep their interval, the silence limits end
// a connection; stopping ends every wait, and a connect attempt is bounded and can be given up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "ConnectionFixture.h"
#include "connection/Category.h"
#include "connection/Protocol.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

milliseconds Since(Clock::time_point start) { return std::chrono::duration_cast<milliseconds>(Clock::now() - start); }

Bytes Headlines(int count, const Guid& category) {
    Bytes frames;
    for (int i = 0; i < count; ++i) frames = frames + News(category, L"headline " + std::to_wstring(i));
    return frames;
}

// A 200 ms heartbeat interval, with the silence limits out of the way.
ConnectionTimings SlowHeartbeat() {
    ConnectionTimings timings = Quick();
    timings.heartbeatMs = 200;
    return timings;
}

}  // namespace

TEST_F(ConnectionTest, TimingRulesWithASlowHeartbeat) {
    struct Case {
        const char* name;
        ConnectionTimings timings;
        std::function<void()> run;
    };
    ConnectionTimings smallTrafficLimit = SlowHeartbeat();
    smallTrafficLimit.trafficLimitMs = 500;
    const Case cases[] = {
        {"a 20-item history arrives at once", SlowHeartbeat(),
         [this] {
             connection->RequestCategory(kGold.guid);
             ASSERT_EQ(server.NextRequest(), wire::CategoryRequestPayload(kGold.guid));
             const auto sent = Clock::now();
             server.Send(Headlines(20, kGold.guid) + Framed(wire::HistoryEndPayload()));
             ASSERT_EQ(Pop(20).size(), 20u);
             EXPECT_LT(Since(sent), milliseconds(1000)) << "not one heartbeat interval per item";
         }},
        {"a live burst is not paced", SlowHeartbeat(),
         [this] {
             ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload());
             const auto sent = Clock::now();
             server.Send(Headlines(20, kStocks.guid));
             const std::vector<NewsItem> items = Pop(20);
             ASSERT_EQ(items.size(), 20u);
             EXPECT_LT(Since(sent), milliseconds(1000));
             EXPECT_EQ(items.back().category, kStocks.guid);
         }},
        {"heartbeats are at least the interval apart, through a burst too", SlowHeartbeat(),
         [this] {
             ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload());
             auto last = Clock::now();
             server.Send(Headlines(50, kForex.guid));  // fifty passes in quick succession
             for (int heartbeat = 1; heartbeat <= 4; ++heartbeat) {
                 ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload());
                 // Measured on arrival, which a busy machine may delay: well below the interval, far above
                 // the gaps of a heartbeat sent in every pass of the burst.
                 EXPECT_GE(Since(last), milliseconds(100)) << "heartbeat " << heartbeat;
                 last = Clock::now();
             }
         }},
        {"a category request goes out at once, not at the next heartbeat", SlowHeartbeat(),
         [this] {
             ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload());
             std::this_thread::sleep_for(milliseconds(20));  // the loop waits for the next heartbeat
             const auto asked = Clock::now();
             connection->RequestCategory(kGold.guid);
             ASSERT_EQ(server.NextRequest(), wire::CategoryRequestPayload(kGold.guid));
             EXPECT_LT(Since(asked), milliseconds(150));
         }},
        {"a small traffic limit ends the connection", smallTrafficLimit,
         [this] {
             const auto started = Clock::now();
             EXPECT_TRUE(WaitForEnd(3000));
             EXPECT_GE(Since(started), milliseconds(400));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.timings);
        c.run();
        connection->StopAndWait();
    }
}

TEST_F(ConnectionTest, WithTheProductTimingsALiveStreamIsTakenAtOnceAndAStopEndsTheIdleWait) {
    Start(ConnectionTimings{});
    ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload());

    // A thousand live headlines at once are taken frame after frame. The bound leaves room for a loaded
    // machine under ThreadSanitizer; the rate itself is the benchmarks' figure.
    const auto sent = Clock::now();
    std::thread sender([&] { server.Send(Headlines(1000, kStocks.guid)); });
    const std::vector<NewsItem> items = Pop(1000);
    const milliseconds took = Since(sent);
    sender.join();
    ASSERT_EQ(items.size(), 1000u);
    EXPECT_LT(took, milliseconds(10000));
    EXPECT_EQ(items.back().title, L"headline 999");

    // Idle, the loop waits up to the next heartbeat, 2 s away; a stop ends that wait at once.
    std::this_thread::sleep_for(milliseconds(50));
    const auto stopping = Clock::now();
    connection->StopAndWait();
    EXPECT_LT(Since(stopping), milliseconds(1000));
    EXPECT_FALSE(connection->IsConnected());
}

// The owner is told of queued items once per drain however fast they come, and loses none.
TEST_F(ConnectionTest, WakeUpsAreCoalescedAndNoItemIsLost) {
    constexpr int kItems = 20000;
    connection = std::make_unique<ProbedConnection>(Quick());
    std::atomic<int> outstanding{0};
    std::atomic<int> mostOutstanding{0};
    std::atomic<int> posted{0};
    connection->SetWakeUpCallback([&] {
        const int now = ++outstanding;
        ++posted;
        int most = mostOutstanding.load();
        while (now > most && !mostOutstanding.compare_exchange_weak(most, now)) {
        }
    });
    Bytes frames;
    for (int i = 0; i < kItems; ++i) {
        const Bytes frame = News(kStocks.guid, L"headline " + std::to_wstring(i));
        frames.insert(frames.end(), frame.begin(), frame.end());
    }
    Reconnect();
    std::thread sender([&] { server.Send(frames); });
    std::size_t taken = 0;
    int drains = 0;
    const bool all = WaitUntil([&] {
        if (outstanding.load() == 0) return false;
        --outstanding;
        ++drains;
        connection->TakeWakeUp();  // before draining, as the window does
        std::this_thread::sleep_for(milliseconds(10));  // a slow consumer
        NewsItem item;
        while (connection->PopNews(item)) ++taken;
        return taken == static_cast<std::size_t>(kItems);
    }, 60000);
    sender.join();
    EXPECT_TRUE(all) << taken << " of " << kItems;
    EXPECT_LE(mostOutstanding.load(), 1);
    // One wake-up per drain at most, however many items each drain finds.
    EXPECT_LE(posted.load(), drains + 1);
    EXPECT_LT(posted.load(), kItems / 4);
}

TEST_F(ConnectionTest, StoppingDuringAFrameThatDripsInEndsWithinAPass) {
    ConnectionTimings timings = Quick();
    timings.socketTimeoutMs = 60000;  // the socket's own time-out would come far too late
    Start(timings);
    // N = 1000 announced, then a byte now and then: the frame would take minutes to arrive.
    server.Send(U32(1000) + Bytes(10, 1));
    std::atomic<bool> dripping{true};
    std::thread dripper([&] {
        const auto start = Clock::now();
        try {
            while (dripping && Since(start) < milliseconds(3000)) {
                server.Send(Bytes{1});
                std::this_thread::sleep_for(milliseconds(100));
            }
        } catch (const std::exception&) {  // the client has gone
        }
    });
    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_TRUE(connection->IsConnected());
    const auto asked = Clock::now();
    connection->StopAndWait();
    EXPECT_LT(Since(asked), milliseconds(1000));
    EXPECT_FALSE(connection->IsConnected());
    dripping = false;
    dripper.join();
}

namespace {

// A listener whose backlog is full: a connect to it gets no answer until the test takes the waiting
// connection, and then only at the connecting side's next retry.
class FullListener {
public:
    FullListener() {
        listener_ = platform::ListenTcp("127.0.0.1", 0, &port_, 0);
        filler_ = platform::OpenTcpSocket();
        EXPECT_TRUE(platform::ConnectIPv4(filler_, "127.0.0.1", port_));
    }
    ~FullListener() {
        platform::CloseSocket(accepted_);
        platform::CloseSocket(filler_);
        platform::CloseSocket(listener_);
    }
    std::uint16_t Port() const { return port_; }
    void LetThrough() { accepted_ = platform::AcceptConnection(listener_); }

private:
    platform::SocketHandle listener_ = platform::kNoSocket;
    platform::SocketHandle filler_ = platform::kNoSocket;
    platform::SocketHandle accepted_ = platform::kNoSocket;
    std::uint16_t port_ = 0;
};

}  // namespace

TEST(ConnectAttempt, GivesUpAfterTheConnectTimeOut) {
    TempWorkingDirectory folder;
    FullListener full;
    ConnectionTimings timings = Quick();
    timings.connectTimeoutMs = 300;
    ProbedConnection connection(timings);
    const auto start = Clock::now();
    EXPECT_EQ(connection.TryConnect("127.0.0.1", full.Port()), ConnectOutcome::TimedOut);
    EXPECT_GE(Since(start), milliseconds(250));  // ticks count whole milliseconds, or 16 ms steps on Windows
    EXPECT_LT(Since(start), milliseconds(3000));
    EXPECT_FALSE(connection.IsConnected());
}

TEST(ConnectAttempt, StoppingOrDeletingTheConnectionEndsAnAttemptAndWaitsForIt) {
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted ? "destructor" : "StopAndWait");
        TempWorkingDirectory folder;
        FullListener full;
        auto connection = std::make_unique<ProbedConnection>(Quick());  // gives up after 5 s on its own
        std::atomic<ConnectOutcome> outcome{ConnectOutcome::Connected};
        std::thread attempt([&outcome, raw = connection.get(), port = full.Port()] { outcome = raw->TryConnect("127.0.0.1", port); });
        std::this_thread::sleep_for(milliseconds(200));  // the attempt waits for an answer
        const auto asked = Clock::now();
        if (deleted)
            connection.reset();
        else
            connection->StopAndWait();
        EXPECT_LT(Since(asked), milliseconds(1000));
        full.LetThrough();  // the handshake the attempt gave up on may now complete
        attempt.join();
        EXPECT_EQ(outcome, ConnectOutcome::Stopped);
        if (connection) {
            EXPECT_FALSE(connection->IsConnected());
        }
    }
}
