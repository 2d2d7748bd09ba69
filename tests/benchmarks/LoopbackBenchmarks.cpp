// A history burst over loopback: from RequestCategory until the last of 10,000 headlines is popped,
// beside a plain socket that reads the same bytes after sending the same request.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

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

// range(0): the pause between passes in ms; 100 is the product's, 0 shows the cost of the passes alone.
void BM_ConnectionTakesInHistoryBurst(benchmark::State& state) {
    BurstServer server(HistoryBurst());
    ConnectionTimings timings;
    timings.pauseMs = static_cast<unsigned>(state.range(0));
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
BENCHMARK(BM_ConnectionTakesInHistoryBurst)->Arg(100)->Arg(0)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

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

}  // namespace
