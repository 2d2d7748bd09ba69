#pragma once
// A connection built in a fresh working folder with short pauses and limits, connected to a scripted server.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ScriptedServer.h"
#include "connection/Connection.h"
#include "connection/Protocol.h"
#include "tests/core/support/TempWorkingDirectory.h"

// Lets the tests see the queue and ask the loop to end the way the main window does, by setting stop.
class ProbedConnection : public CConnection {
public:
    using CConnection::CConnection;
    std::size_t Queued() {
        std::lock_guard lock(QueueLock());
        return newsQueue.size();
    }
    void AskToStop() { stop = true; }
    // An item in the queue however the loop stands, as one left behind would be.
    void Push(NewsItem item) {
        std::lock_guard lock(QueueLock());
        newsQueue.push_back(std::move(item));
    }
};

inline ConnectionTimings Quick() {
    ConnectionTimings timings;
    timings.stopSliceMs = 2;
    timings.heartbeatMs = 50;
    timings.trafficLimitMs = 60000;
    timings.silenceLimitMs = 60000;
    timings.socketTimeoutMs = 5000;
    timings.connectTimeoutMs = 5000;
    return timings;
}

inline Bytes News(const Guid& category, const std::wstring& title) {
    return Framed(wire::NewsPayload(category, 1700000000, title, L"http://news.test/" + title));
}

class ConnectionTest : public ::testing::Test {
protected:
    // Builds the connection in the fresh folder, connects it and takes the client on the server side.
    void Start(ConnectionTimings timings = Quick()) {
        connection = std::make_unique<ProbedConnection>(timings);
        Reconnect();
    }
    void Reconnect() {
        ASSERT_TRUE(connection->Connect("127.0.0.1", server.Port()));
        ASSERT_TRUE(connection->IsConnected());
        server.Accept();
    }
    // Pops until `count` items came out or the time is up.
    std::vector<NewsItem> Pop(std::size_t count) {
        std::vector<NewsItem> items;
        WaitUntil([&] {
            NewsItem item;
            while (connection->PopNews(item)) items.push_back(item);
            return items.size() >= count;
        });
        return items;
    }
    bool WaitForEnd(unsigned timeoutMs = 5000) {
        return WaitUntil([&] { return !connection->IsConnected(); }, timeoutMs);
    }

    TempWorkingDirectory folder;
    ScriptedServer server;
    std::unique_ptr<ProbedConnection> connection;
};

