// Memory running out while a frame is read or handled ends the connection, never the program.
// This executable replaces the global allocation functions so that large allocations can be made to fail.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

#include "ConnectionFixture.h"
#include "connection/Category.h"

namespace {

constexpr std::size_t kLarge = 1u << 20;

// Allocations of at least this many bytes fail, as they would on a machine out of memory, once the
// given number of them has been let through.
std::atomic<std::size_t> failFrom{std::numeric_limits<std::size_t>::max()};
std::atomic<int> largeLetThrough{0};

void* Allocate(std::size_t size) {
    if (size >= failFrom.load(std::memory_order_relaxed) && largeLetThrough.fetch_sub(1) <= 0) throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}

void* AllocateOrNull(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Makes large allocations fail while it lives, all but the first `letThrough` of them.
class LargeAllocationsFail {
public:
    explicit LargeAllocationsFail(int letThrough = 0) {
        largeLetThrough = letThrough;
        failFrom = kLarge;
    }
    ~LargeAllocationsFail() { failFrom = std::numeric_limits<std::size_t>::max(); }
};

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

TEST(OutOfMemory, ReadFrameReportsAClosedConnectionWhenThePayloadFindsNoRoom) {
    ScriptedServer server;
    const platform::SocketHandle client = server.ConnectPlainClient(5000);
    server.Send(U32(2 * kLarge) + Bytes(16, 0));
    Bytes buffer;
    {
        LargeAllocationsFail noRoom;
        EXPECT_EQ(wire::ReadFrame(buffer, client), 0);
    }
    EXPECT_TRUE(buffer.empty());
    platform::CloseSocket(client);
}

// A headline whose frame finds room but whose title does not.
Bytes LongHeadline() { return Framed(wire::NewsPayload(kStocks.guid, 1, std::wstring(kLarge / 2 + 1000, L'x'), L"l")); }

TEST_F(ConnectionTest, MemoryRunningOutInTheReceiveThreadEndsOnlyTheConnection) {
    Start();
    server.Send(News(kStocks.guid, L"before"));
    ASSERT_EQ(Pop(1).size(), 1u);
    const Bytes longHeadline = LongHeadline();
    {
        LargeAllocationsFail noRoom(1);  // the receive buffer gets its room: the title copied out of it does not
        server.Send(longHeadline);
        EXPECT_TRUE(WaitForEnd());
    }
    NewsItem item;
    EXPECT_FALSE(connection->PopNews(item));
    Reconnect();
    server.Send(News(kStocks.guid, L"after"));
    const std::vector<NewsItem> items = Pop(1);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, L"after");
}

TEST_F(ConnectionTest, MemoryRunningOutForAHeadlineStillSendsThatPassesHeartbeat) {
    ConnectionTimings timings = Quick();
    timings.heartbeatMs = 0;  // a heartbeat in every pass
    Start(timings);
    ASSERT_EQ(server.ReadFrame(), wire::HeartbeatPayload());
    const Bytes longHeadline = LongHeadline();
    LargeAllocationsFail noRoom(1);
    server.Send(longHeadline);
    const std::optional<int> heartbeats = server.HeartbeatsUntilClose();
    ASSERT_TRUE(heartbeats.has_value()) << "the loop ended after the pass that ran out of memory";
    EXPECT_GE(*heartbeats, 1);
}
