// Feeds arbitrary bytes, as a server could send them, through the receive loop itself: frames read from a
// socket by ReadFrame and RecvAll, each message handled, headlines queued, banners stored, answers sent,
// until the stream ends. The last byte also chooses whether a category's history is loading meanwhile.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "connection/Category.h"
#include "connection/Connection.h"
#include "framework/platform/Diagnostics.h"

namespace {

// Bytes beyond this are left out, so that the whole stream fits in the socket pair's buffer at once.
constexpr std::size_t kMaxStream = 64 * 1024;

void Require(bool condition) {
    if (!condition) std::abort();
}

ConnectionTimings FuzzTimings() {
    ConnectionTimings timings;
    timings.stopSliceMs = 1;
    timings.socketTimeoutMs = 1000;
    return timings;
}

// The receive loop run on this thread over a socket the fuzzer writes to.
class FuzzedConnection : public CConnection {
public:
    FuzzedConnection() : CConnection(FuzzTimings()) {}
    void Receive(platform::SocketHandle socket) {
        sock = socket;
        stop = false;
        recvThreadRunning = true;
        ReceiveLoop(this);
    }
    std::size_t Queued() {
        std::lock_guard lock(QueueLock());
        return newsQueue.size();
    }
};

void Discard(const std::wstring&) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Banners land in a folder of their own, and diagnostic lines go nowhere.
    std::string folder = (std::filesystem::temp_directory_path() / "corvane-fuzz-XXXXXX").string();
    if (!mkdtemp(folder.data())) std::abort();
    std::filesystem::current_path(folder);
    platform::SetDiagnosticSink(Discard);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool loadingHistory = data[size - 1] & 1;
    if (size > kMaxStream) size = kMaxStream;

    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) std::abort();
    int bufferBytes = static_cast<int>(2 * kMaxStream);
    setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &bufferBytes, sizeof bufferBytes);
    setsockopt(pair[1], SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof bufferBytes);
    for (std::size_t sent = 0; sent < size;) {
        const ssize_t wrote = write(pair[0], data + sent, size - sent);
        if (wrote <= 0) std::abort();
        sent += static_cast<std::size_t>(wrote);
    }
    shutdown(pair[0], SHUT_WR);  // the server is done: the loop reads to the end and stops there

    FuzzedConnection connection;
    if (loadingHistory) connection.RequestCategory(kGold.guid);
    connection.Receive(pair[1]);  // closes its socket when the loop ends
    Require(!connection.IsConnected());
    Require(connection.Queued() == 0);
    NewsItem item;
    Require(!connection.PopNews(item));
    close(pair[0]);
    return 0;
}
