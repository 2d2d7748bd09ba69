// Headlines over loopback: a history burst from RequestCategory until the last of 10,000 headlines is
// popped, beside a plain socket that reads the same bytes after sending the same request; and a live
// stream of as many headlines sent as fast as the socket takes them; and how often an idle connection wakes.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include <unistd.h>

#include "BurstServer.h"
#include "SampleNews.h"
#include "connection/Connection.h"
#include "framework/platform/Clock.h"

namespace {

constexpr std::size_t kBurstItems = 10000;

std::vector<std::uint8_t> HistoryBurst() {
    auto payloads = SampleNewsPayloads(kBurstItems);
    payloads.push_back(wire::HistoryEndPayload());
    return Framed(payloads);
}

void CountBurst(benchmark::State& state, std::size_t bytes) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kBurstItems));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

bool WaitUntil(const auto& condition, unsigned timeoutMs) {
    const std::uint32_t start = platform::TickCount();
    while (!condition()) {
        if (platform::TickCount() - start > timeoutMs) return false;
        std::this_thread::yield();
    }
    return true;
}

void BM_ConnectionTakesInHistoryBurst(benchmark::State& state) {
    BurstServer server(HistoryBurst());
    ConnectionTimings timings;
    CConnection connection(timings);
    if (!connection.Connect("127.0.0.1", server.Port())) {
        state.SkipWithError("cannot connect to the loopback server");
        return;
    }
    NewsItem item;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        connection.RequestCategory(kForex.guid);
        std::size_t popped = 0;
        const bool complete = WaitUntil([&] { return (connection.PopNews(item) && ++popped == kBurstItems) || !connection.IsConnected(); }, 60000);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        // The end marker must be read too, or the next request's burst would count as live headlines.
        if (!complete || popped != kBurstItems || !WaitUntil([&] { return !connection.IsLoading(); }, 60000)) {
            state.SkipWithError("the burst did not arrive whole");
            break;
        }
    }
    CountBurst(state, server.BurstBytes());
    connection.StopAndWait();
}
BENCHMARK(BM_ConnectionTakesInHistoryBurst)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_PlainSocketReadsHistoryBurst(benchmark::State& state) {
    BurstServer server(HistoryBurst());
    platform::SocketHandle socket = platform::OpenTcpSocket();
    if (!platform::ConnectIPv4(socket, "127.0.0.1", server.Port())) {
        state.SkipWithError("cannot connect to the loopback server");
        platform::CloseSocket(socket);
        return;
    }
    platform::SetSocketTimeouts(socket, 15000);
    std::vector<std::uint8_t> request;
    const std::vector<std::uint8_t> payload = wire::CategoryRequestPayload(kForex.guid);
    wire::AppendFrame(request, payload.data(), payload.size());
    std::vector<std::uint8_t> buffer(64 * 1024);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        platform::SendSome(socket, request.data(), request.size());
        std::size_t received = 0;
        while (received < server.BurstBytes()) {
            int got = platform::ReceiveSome(socket, buffer.data(), buffer.size());
            if (got <= 0) break;
            received += static_cast<std::size_t>(got);
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (received != server.BurstBytes()) {
            state.SkipWithError("the burst did not arrive whole");
            break;
        }
    }
    CountBurst(state, server.BurstBytes());
    platform::CloseSocket(socket);
}
BENCHMARK(BM_PlainSocketReadsHistoryBurst)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

bool SendAll(platform::SocketHandle socket, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const int result = platform::SendSome(socket, bytes.data() + sent, bytes.size() - sent);
        if (result <= 0) return false;
        sent += static_cast<std::size_t>(result);
    }
    return true;
}

// Live headlines, no history loading, sent as fast as the socket takes them, with the product's timings:
// from the first byte sent until the last headline is popped. The counter last_delay_ms is how long the
// last headline waited between leaving the server and leaving the queue; wake_ups is how many wake-ups
// the connection gave a consumer that sleeps until woken and then drains the queue, as the main window's
// message loop does.
void BM_ConnectionTakesInLiveStream(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = Framed(SampleNewsPayloads(kBurstItems));
    std::uint16_t port = 0;
    platform::SocketHandle listener = platform::ListenTcp("127.0.0.1", 0, &port);
    double lastDelaySeconds = 0;
    double wakeUpsTotal = 0;
    NewsItem item;
    for (auto _ : state) {
        CConnection connection;
        std::mutex posted;
        std::condition_variable postedSignal;
        int waiting = 0;  // wake-ups posted and not yet taken
        int wakeUps = 0;
        connection.SetWakeUpCallback([&] {
            {
                const std::lock_guard lock(posted);
                ++waiting;
                ++wakeUps;
            }
            postedSignal.notify_one();
        });
        if (!connection.Connect("127.0.0.1", port)) {
            state.SkipWithError("cannot connect to the loopback listener");
            break;
        }
        platform::SocketHandle server = platform::AcceptConnection(listener);
        platform::SetSocketTimeouts(server, 15000);
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        Clock::time_point allSent{};
        std::thread sender([&] {
            if (SendAll(server, stream)) allSent = Clock::now();
        });
        std::size_t popped = 0;
        while (popped < kBurstItems) {
            std::unique_lock lock(posted);
            if (!postedSignal.wait_for(lock, std::chrono::seconds(10), [&] { return waiting > 0; })) break;
            --waiting;
            lock.unlock();
            connection.TakeWakeUp();
            while (connection.PopNews(item)) ++popped;
        }
        const Clock::time_point lastPopped = Clock::now();
        {
            const std::lock_guard lock(posted);
            wakeUpsTotal += wakeUps;
        }
        sender.join();
        state.SetIterationTime(std::chrono::duration<double>(lastPopped - start).count());
        lastDelaySeconds += std::chrono::duration<double>(lastPopped - allSent).count();
        connection.StopAndWait();
        platform::CloseSocket(server);
        if (popped != kBurstItems) {
            state.SkipWithError("the stream did not arrive whole");
            break;
        }
    }
    CountBurst(state, stream.size());
    state.counters["last_delay_ms"] = benchmark::Counter(1000 * lastDelaySeconds / static_cast<double>(state.iterations()));
    state.counters["wake_ups"] = benchmark::Counter(wakeUpsTotal / static_cast<double>(state.iterations()));
    platform::CloseSocket(listener);
}
BENCHMARK(BM_ConnectionTakesInLiveStream)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Voluntary context switches of the process's threads, by thread id: each is one wait that ended.
std::map<std::string, long> ThreadWaits() {
    std::map<std::string, long> waits;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) waits[task.path().filename()] = std::stol(line.substr(24));
    }
    return waits;
}

// Connected with the product timings, nothing but heartbeats: how many times a second the receive thread
// woke. The peer reads and never answers; 6 s stay well inside the silence limit.
void BM_IdleConnectionWakeUps(benchmark::State& state) {
    std::uint16_t port = 0;
    platform::SocketHandle listener = platform::ListenTcp("127.0.0.1", 0, &port);
    double perSecond = 0;
    for (auto _ : state) {
        std::atomic<bool> done{false};
        std::atomic<platform::SocketHandle> server{platform::kNoSocket};
        std::atomic<pid_t> readerThread{0};
        std::thread reader([&] {
            readerThread = gettid();
            while (!done && server == platform::kNoSocket) std::this_thread::yield();
            char bytes[256];
            while (!done && platform::ReceiveSome(server, bytes, sizeof bytes) > 0) {
            }
        });
        CConnection connection;
        if (!connection.Connect("127.0.0.1", port)) {
            state.SkipWithError("cannot connect to the loopback listener");
            done = true;
            reader.join();
            break;
        }
        server = platform::AcceptConnection(listener);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const std::map<std::string, long> before = ThreadWaits();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(6));
        const std::map<std::string, long> after = ThreadWaits();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        // Every thread but this one and the reader: the receive thread.
        long receiveWaits = 0;
        for (const auto& [thread, waits] : after)
            if (before.count(thread) && thread != std::to_string(gettid()) && thread != std::to_string(readerThread))
                receiveWaits += waits - before.at(thread);
        perSecond += static_cast<double>(receiveWaits) / seconds;
        done = true;
        connection.StopAndWait();
        platform::CloseSocket(server);
        reader.join();
    }
    state.counters["receive_wakeups_per_s"] = benchmark::Counter(perSecond / static_cast<double>(state.iterations()));
    platform::CloseSocket(listener);
}
BENCHMARK(BM_IdleConnectionWakeUps)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
