#include "Connection.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <new>

#include "Category.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Diagnostics.h"

namespace {

constexpr std::uint16_t kSocketsVersion = 0x0102;

std::wstring SignatureUpdatedLine(std::uint32_t signature) {
    char digits[8];
    const std::to_chars_result hex = std::to_chars(digits, digits + sizeof digits, signature, 16);
    std::wstring line = L"[客户端]：更新签名 ";
    line.append(digits, hex.ptr);
    line += L'\n';
    return line;
}

// Milliseconds until `elapsed` exceeds `limit`: zero once it has.
unsigned Remaining(std::uint32_t elapsed, unsigned limit) { return elapsed > limit ? 0 : limit - elapsed + 1; }

bool AppendPayload(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& payload) {
    return wire::AppendFrame(out, payload.data(), payload.size());
}

}  // namespace

CConnection::CConnection(ConnectionTimings timings) : timings(timings) {}

CConnection::~CConnection() {
    StopAndWait();
    if (loopWakeOpen) platform::CloseWakeSignal(loopWake);
}

ConnectOutcome CConnection::TryConnect(const char* host, std::uint16_t port) {
    {
        std::lock_guard attempt(attemptMutex);
        if (attempting) return ConnectOutcome::AlreadyConnected;
        std::thread finished;
        {
            std::lock_guard lock(queueLock);
            if (recvThreadRunning) return ConnectOutcome::AlreadyConnected;
            finished = std::move(recvThread);
        }
        // The last loop has cleared its flag as its final step, so this join returns at once.
        if (finished.joinable()) finished.join();
        if (!loopWakeOpen) loopWakeOpen = platform::StartSockets(kSocketsVersion) && platform::OpenWakeSignal(loopWake);
        if (!loopWakeOpen) return ConnectOutcome::Failed;
        platform::ClearWakeSignal(loopWake);  // raised by the last stop
        attempting = true;
        // Cleared under attemptMutex, where StopAndWait sets it: a stop asked for from here on ends the
        // attempt, and the receive loop if one starts.
        stop = false;
    }
    ConnectOutcome outcome = OpenSocket(host, port);
    if (outcome == ConnectOutcome::Connected) outcome = StartReceiving();
    if (outcome != ConnectOutcome::Connected) {
        platform::CloseSocket(sock);
        sock = platform::kNoSocket;
        stop = true;
    }
    // The attempt's last use of this object: once the lock is released the owner may destroy it.
    std::lock_guard attempt(attemptMutex);
    attempting = false;
    attemptDone.notify_all();
    return outcome;
}

ConnectOutcome CConnection::OpenSocket(const char* host, std::uint16_t port) {
    {
        std::lock_guard lock(sendLock);
        outBuffer.clear();
    }
    loading = false;
    if (!platform::StartSockets(kSocketsVersion)) return ConnectOutcome::Failed;
    sock = platform::OpenTcpSocket();
    if (sock == platform::kNoSocket) return ConnectOutcome::Failed;
    // Waits in short slices, so that a stop asked for meanwhile is seen at once.
    const unsigned sliceMs = std::max(1u, timings.stopSliceMs);
    const std::uint32_t start = platform::TickCount();
    for (platform::ConnectStep step = platform::StartConnectIPv4(sock, host, port);;
         step = platform::WaitConnected(sock, sliceMs)) {
        switch (step) {
        case platform::ConnectStep::Connected:
            return stop ? ConnectOutcome::Stopped : ConnectOutcome::Connected;
        case platform::ConnectStep::BadAddress:
            return ConnectOutcome::BadAddress;
        case platform::ConnectStep::Refused:
            return ConnectOutcome::Refused;
        case platform::ConnectStep::Failed:
            return ConnectOutcome::Failed;
        case platform::ConnectStep::Pending:
            break;
        }
        if (stop) return ConnectOutcome::Stopped;
        if (platform::TickCount() - start >= timings.connectTimeoutMs) return ConnectOutcome::TimedOut;
    }
}

ConnectOutcome CConnection::StartReceiving() {
    std::lock_guard lock(queueLock);  // the loop clears recvThreadRunning under it, so never before this is done
    recvThreadRunning = true;
    try {
        recvThread = std::thread(ReceiveLoop, this);
    } catch (const std::exception&) {  // no thread could be made (std::system_error) or no memory for it
        recvThreadRunning = false;
        return ConnectOutcome::Failed;
    }
    return ConnectOutcome::Connected;
}

void CConnection::RequestCategory(const Guid& category) {
    loading = true;
    {
        std::lock_guard lock(categoryLock);
        currentCategory = category;
    }
    ClearNews();
    const std::vector<std::uint8_t> request = wire::CategoryRequestPayload(category);
    {
        std::lock_guard lock(sendLock);
        AppendPayload(outBuffer, request);  // when it fails nothing is sent and loading stays set until the next Connect
    }
    if (loopWakeOpen) platform::RaiseWakeSignal(loopWake);
}

bool CConnection::PopNews(NewsItem& item) {
    if (!recvThreadRunning) return false;
    std::lock_guard lock(queueLock);
    if (newsQueue.empty()) return false;
    item = std::move(newsQueue.front());
    newsQueue.pop_front();
    return true;
}

void CConnection::ClearNews() {
    std::lock_guard lock(queueLock);
    newsQueue.clear();
}

Guid CConnection::CurrentCategory() const {
    std::lock_guard lock(categoryLock);
    return currentCategory;
}

void CConnection::StoreBanner(std::uint32_t slot, const std::wstring& link, std::span<const std::uint8_t> image) {
    banners.Store(slot, link, image);
}

void CConnection::StopAndWait() {
    {
        std::unique_lock attempt(attemptMutex);
        stop = true;
        if (loopWakeOpen) platform::RaiseWakeSignal(loopWake);
        attemptDone.wait(attempt, [this] { return !attempting; });
    }
    std::thread running;
    {
        std::lock_guard lock(queueLock);
        running = std::move(recvThread);
    }
    if (running.joinable()) running.join();
}

int CConnection::ReceiveLoop(CConnection* connection) {
    try {
        connection->RunPasses();
    } catch (const std::bad_alloc&) {
        // Memory ran out outside the handling of a frame: this connection ends, the program goes on.
    }
    connection->EndConnection();
    return 0;
}

void CConnection::RunPasses() {
    platform::SetSocketTimeouts(sock, timings.socketTimeoutMs);
    // A frame is read in short waits, so a stop ends even a half-read frame.
    const wire::ReadWatch watch{&stop, std::max(1u, timings.stopSliceMs), timings.socketTimeoutMs};
    std::vector<std::uint8_t> frame;
    wire::FrameReader reader;
    std::uint32_t lastTraffic = platform::TickCount();
    std::uint32_t lastHeartbeat = lastTraffic - timings.heartbeatMs - 1;  // the first send step sends one
    // Each pass waits for a frame, a stop, a request to send or the next deadline (heartbeat, silence limit),
    // so an idle connection sleeps from heartbeat to heartbeat and a frame is taken the moment it arrives.
    while (!stop) {
        const std::uint32_t before = platform::TickCount();
        // A frame already buffered is taken at once. The socket is looked at beside it only when something
        // waits to be sent: in a burst a look per frame would cost a system call per frame.
        const bool buffered = reader.HasFrame();
        const bool sending = HasPendingSend();
        platform::Readiness ready;
        if (!buffered || sending) {
            const unsigned untilDeadline =
                buffered ? 0
                         : std::min(Remaining(before - lastHeartbeat, timings.heartbeatMs),
                                    Remaining(before - lastTraffic, timings.silenceLimitMs));
            if (platform::WaitSocketOrSignal(sock, sending, loopWake, untilDeadline, ready) < 0) return;
            if (ready.woken) platform::ClearWakeSignal(loopWake);
        }
        if (stop) return;
        const std::uint32_t now = platform::TickCount();
        if (now - lastTraffic > timings.trafficLimitMs) return;
        if (buffered || ready.readable) {
            lastTraffic = now;
            if (reader.Read(frame, sock, &watch, ready.readable) <= 0) return;
            try {
                HandleMessage(wire::DecodeMessage(frame));
            } catch (const std::bad_alloc&) {
                // No memory for a headline: the connection ends at the top of the next pass, and this pass
                // still sends what is due.
                stop = true;
            }
        } else if (now - lastTraffic > timings.silenceLimitMs) {
            return;
        }
        if (!SendStep(ready.writable, lastHeartbeat)) return;
    }
}

bool CConnection::HasPendingSend() {
    std::lock_guard lock(sendLock);
    return !outBuffer.empty();
}

void CConnection::WakeOwner() {
    if (!wakeUpPending.exchange(true) && wakeUpCallback) wakeUpCallback();
}

void CConnection::HandleMessage(wire::Message&& message) {
    switch (message.kind) {
    case wire::MessageKind::News: {
        NewsItem item{QueuedCategory(message.news.category, CurrentCategory(), loading), message.news.publishTime, std::move(message.news.title),
                      std::move(message.news.link)};
        std::lock_guard lock(queueLock);
        newsQueue.push_back(std::move(item));
        WakeOwner();
        break;
    }
    case wire::MessageKind::HistoryEnd:
        loading = false;
        WakeOwner();
        break;
    case wire::MessageKind::SignatureRequest:
        signatureRequested = true;
        platform::DiagnosticLine(L"[客户端]：服务器要求发送签名\n");
        break;
    case wire::MessageKind::Signature:
        signature = message.signature;
        platform::DiagnosticLine(SignatureUpdatedLine(signature));
        break;
    case wire::MessageKind::Banner:
        StoreBanner(message.banner.slot, message.banner.link, message.banner.image);
        break;
    case wire::MessageKind::Heartbeat:  // traffic, nothing more
    case wire::MessageKind::Unknown:
    case wire::MessageKind::Malformed:
        break;
    }
}

bool CConnection::SendStep(bool writable, std::uint32_t& lastHeartbeat) {
    std::lock_guard lock(sendLock);
    const std::uint32_t now = platform::TickCount();
    if (now - lastHeartbeat > timings.heartbeatMs) {
        lastHeartbeat = now;
        if (!AppendPayload(outBuffer, wire::HeartbeatPayload())) return false;
    }
    if (signatureRequested) {
        signatureRequested = false;
        if (!AppendPayload(outBuffer, wire::SignaturePayload(signature))) return false;
    }
    if (!writable) return true;
    for (std::size_t sent = 0; sent < outBuffer.size();) {
        const int result = platform::SendSome(sock, outBuffer.data() + sent, outBuffer.size() - sent);
        if (result <= 0) return false;
        sent += static_cast<std::size_t>(result);
    }
    outBuffer.clear();
    return true;
}

void CConnection::EndConnection() {
    stop = true;
    platform::CloseSocket(sock);
    sock = platform::kNoSocket;
    std::lock_guard lock(queueLock);
    newsQueue.clear();
    recvThreadRunning = false;
    WakeOwner();
}
