// Headlines in memory: decoding MSG_NEWS payloads into NewsItems and passing them through the news
// queue, each beside a memcpy of the same frame bytes in the same run.
#include <benchmark/benchmark.h>

#include <cstring>

#include "BurstServer.h"
#include "SampleNews.h"
#include "connection/Connection.h"
#include "framework/platform/Clock.h"

namespace {

constexpr std::size_t kItems = 1000;

std::size_t FramedSize(const std::vector<std::vector<std::uint8_t>>& payloads) { return Framed(payloads).size(); }

void CountWork(benchmark::State& state, std::size_t bytes) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kItems));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_MemcpyNewsFrames(benchmark::State& state) {
    const std::vector<std::uint8_t> source = Framed(SampleNewsPayloads(kItems));
    std::vector<std::uint8_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::ClobberMemory();
    }
    CountWork(state, source.size());
}
BENCHMARK(BM_MemcpyNewsFrames);

// As the receive loop does it: recognise the payload, then build the item from the decoded fields.
void BM_DecodeNewsFrames(benchmark::State& state) {
    const auto payloads = SampleNewsPayloads(kItems);
    for (auto _ : state) {
        for (const auto& payload : payloads) {
            wire::Message message = wire::DecodeMessage(payload);
            NewsItem item{message.news.category, message.news.publishTime, std::move(message.news.title),
                          std::move(message.news.link)};
            benchmark::DoNotOptimize(item);
        }
    }
    CountWork(state, FramedSize(payloads));
}
BENCHMARK(BM_DecodeNewsFrames);

// A live connection whose queue the benchmark fills the way the receive loop does: one push_back under
// queueLock per item. Taking items out is the real PopNews.
class QueueProbe : public CConnection {
public:
    void Push(NewsItem item) {
        std::lock_guard lock(queueLock);
        newsQueue.push_back(std::move(item));
    }
};

void BM_QueuePushAndPopNews(benchmark::State& state) {
    const auto payloads = SampleNewsPayloads(kItems);
    std::vector<NewsItem> items;
    for (const auto& payload : payloads) {
        wire::Message message = wire::DecodeMessage(payload);
        items.push_back({message.news.category, message.news.publishTime, message.news.title, message.news.link});
    }
    BurstServer server({});
    QueueProbe connection;
    if (!connection.Connect("127.0.0.1", server.Port())) {
        state.SkipWithError("cannot connect to the loopback server");
        return;
    }
    NewsItem out;
    std::vector<NewsItem> fresh;
    for (auto _ : state) {
        // Each item is moved in, as the loop moves the decoder's new item; making the copies is not timed.
        state.PauseTiming();
        fresh = items;
        state.ResumeTiming();
        for (NewsItem& item : fresh) connection.Push(std::move(item));
        std::size_t popped = 0;
        while (connection.PopNews(out)) ++popped;
        if (popped != kItems) {
            state.SkipWithError("the queue lost items (did the connection end?)");
            break;
        }
        benchmark::DoNotOptimize(out);
    }
    CountWork(state, FramedSize(payloads));
    connection.StopAndWait();
}
BENCHMARK(BM_QueuePushAndPopNews);

}  // namespace
