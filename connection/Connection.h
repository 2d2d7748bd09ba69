#pragma once
// The client's single TCP connection to the news server: connect, one receive thread per connection,
// the news queue, the selected category and the banner slots.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "framework/platform/Socket.h"
#include "BannerSlots.h"
#include "NewsItem.h"
#include "Protocol.h"

// The receive loop's limits, kept as times. The defaults are the product's; tests shorten them.
struct ConnectionTimings {
    unsigned heartbeatMs = 2000;            // a heartbeat once more than this has passed
    unsigned trafficLimitMs = 30000;        // more than this without a readable pass ends the connection
    unsigned silenceLimitMs = 15000;        // a server silent for more than this counts as lost
    unsigned stopSliceMs = 50;              // waits of a connect and of a half-read frame, so a stop is seen
    unsigned socketTimeoutMs = 15000;       // receive and send time-out of the socket
    unsigned connectTimeoutMs = 15000;      // a connect not made by then is given up
};

// How a connect attempt ended.
enum class ConnectOutcome {
    Connected,         // the receive thread runs
    AlreadyConnected,  // a receive thread or another attempt was running; nothing changed
    BadAddress,        // the host is no dotted IPv4 address
    Refused,           // nothing listens there
    TimedOut,          // no answer within connectTimeoutMs
    Stopped,           // the owner asked to stop while it was under way
    Failed,            // the socket library, the socket or the receive thread could not be had
};

class CConnection {
public:
    explicit CConnection(ConnectionTimings timings = {});
    ~CConnection();
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    // Connect thread: opens the connection to a dotted IPv4 address and starts the receive thread.
    // Bounded by connectTimeoutMs, and given up within a short wait when stop is set meanwhile.
    bool Connect(const char* host, std::uint16_t port) { return TryConnect(host, port) == ConnectOutcome::Connected; }
    // Connect, saying why an attempt failed.
    ConnectOutcome TryConnect(const char* host, std::uint16_t port);

    // User-interface thread: selects a category; history items follow until MSG_HISTORY_END.
    void RequestCategory(const Guid& category);

    // User-interface thread: the oldest queued item; false when none or when no receive thread runs.
    bool PopNews(NewsItem& item);
    void ClearNews();

    // Called by the receive thread when it queued items, cleared `loading` or ended, at most once until the
    // owner calls TakeWakeUp: a burst posts a handful of wake-ups, not one per item. Set before connecting.
    void SetWakeUpCallback(std::function<void()> callback) { wakeUpCallback = std::move(callback); }
    // The owner, before it drains the queue: the next change wakes it again, so none is missed.
    void TakeWakeUp() { wakeUpPending = false; }

    // Body of the receive thread.
    static int ReceiveLoop(CConnection* connection);

    // Receive thread, for every CTL_BANNER with slot 1 to 3.
    void StoreBanner(std::uint32_t slot, const std::wstring& link, std::span<const std::uint8_t> image);

    bool IsConnected() const { return recvThreadRunning.load(); }  // the receive-thread handle is set
    bool IsLoading() const { return loading.load(); }
    Guid CurrentCategory() const;

    // Asks a connect attempt in flight and the receive loop to end, and waits for both: the attempt gives up
    // within one short wait, the loop ends within one pass, even in the middle of a frame.
    // The caller must not hold queueLock: the finishing loop takes it.
    void StopAndWait();

    std::recursive_mutex& QueueLock() { return queueLock; }
    BannerSlots& Banners() { return banners; }
    const BannerSlots& Banners() const { return banners; }

protected:
    std::atomic<bool> stop{true};
    std::atomic<bool> loading{false};
    // The receive thread: running flag read without a lock, thread object joined at the next Connect or at the end.
    std::atomic<bool> recvThreadRunning{false};
    std::thread recvThread;
    std::vector<std::uint8_t> outBuffer;
    std::recursive_mutex sendLock;
    Guid currentCategory;
    mutable std::recursive_mutex categoryLock;
    std::deque<NewsItem> newsQueue;
    std::recursive_mutex queueLock;
    platform::SocketHandle sock = platform::kNoSocket;
    const ConnectionTimings timings;
    BannerSlots banners;
    std::uint32_t signature = 0;
    bool signatureRequested = false;

private:
    ConnectOutcome OpenSocket(const char* host, std::uint16_t port);
    ConnectOutcome StartReceiving();
    void RunPasses();
    void HandleMessage(wire::Message&& message);
    bool SendStep(bool writable, std::uint32_t& lastHeartbeat);
    void EndConnection();
    void WakeOwner();
    bool HasPendingSend();

    // A connect attempt in flight: StopAndWait and the destructor wait until it has left Connect.
    std::mutex attemptMutex;
    std::condition_variable attemptDone;
    bool attempting = false;

    // Ends the receive loop's wait early: raised by a stop and by a request to send. Opened by the first attempt.
    platform::WakeSignal loopWake;
    std::atomic<bool> loopWakeOpen{false};
    std::function<void()> wakeUpCallback;
    std::atomic<bool> wakeUpPending{false};
};
