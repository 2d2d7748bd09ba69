// POSIX side of the portable core's platform seam, for the native build and its tests.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "Clock.h"
#include "Diagnostics.h"
#include "Files.h"
#include "Socket.h"
#include "Text.h"

namespace platform {

bool StartSockets(std::uint16_t) { return true; }

SocketHandle OpenTcpSocket() {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return s < 0 ? kNoSocket : s;
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) close(socket);
}

bool ConnectIPv4(SocketHandle socket, const char* dottedAddress, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(dottedAddress);
    if (address.sin_addr.s_addr == INADDR_NONE) return false;  // as WinSock, which refuses 255.255.255.255
    int result;
    do {
        result = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result < 0 && errno == EINTR);
    return result == 0;
}

namespace {

bool SetBlocking(SocketHandle socket, bool blocking) {
    const int flags = fcntl(socket, F_GETFL);
    return flags >= 0 && fcntl(socket, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
}

ConnectStep StepOf(int error) {
    if (error == 0) return ConnectStep::Connected;
    return error == ECONNREFUSED ? ConnectStep::Refused : ConnectStep::Failed;
}

// poll counts whole milliseconds; a wait is never shortened to zero, which would spin.
int PollOne(SocketHandle socket, short events, unsigned timeoutMs, short& revents) {
    pollfd entry{socket, events, 0};
    int result;
    do {
        result = poll(&entry, 1, static_cast<int>(std::min(timeoutMs, static_cast<unsigned>(INT_MAX))));
    } while (result < 0 && errno == EINTR);
    revents = entry.revents;
    return result < 0 ? -1 : result;
}

}  // namespace

ConnectStep StartConnectIPv4(SocketHandle socket, const char* dottedAddress, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(dottedAddress);
    if (address.sin_addr.s_addr == INADDR_NONE) return ConnectStep::BadAddress;
    if (!SetBlocking(socket, false)) return ConnectStep::Failed;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return SetBlocking(socket, true) ? ConnectStep::Connected : ConnectStep::Failed;
    return errno == EINPROGRESS || errno == EINTR ? ConnectStep::Pending : StepOf(errno);
}

ConnectStep WaitConnected(SocketHandle socket, unsigned timeoutMs) {
    short revents = 0;
    const int ready = PollOne(socket, POLLOUT, timeoutMs, revents);
    if (ready <= 0) return ready == 0 ? ConnectStep::Pending : ConnectStep::Failed;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return ConnectStep::Failed;
    if (error == 0 && !SetBlocking(socket, true)) return ConnectStep::Failed;
    return StepOf(error);
}

bool SetSocketTimeouts(SocketHandle socket, unsigned milliseconds) {
    timeval value{static_cast<time_t>(milliseconds / 1000), static_cast<suseconds_t>((milliseconds % 1000) * 1000)};
    return setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value) == 0 &&
           setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value) == 0;
}

bool OpenWakeSignal(WakeSignal& signal) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    signal.receiver = ends[0];
    signal.sender = ends[1];
    return true;
}

void CloseWakeSignal(WakeSignal& signal) {
    CloseSocket(signal.receiver);
    CloseSocket(signal.sender);
    signal = {};
}

void RaiseWakeSignal(const WakeSignal& signal) {
    const char byte = 1;
    ssize_t result;
    do {
        result = write(signal.sender, &byte, 1);  // a full pipe is raised already
    } while (result < 0 && errno == EINTR);
}

void ClearWakeSignal(const WakeSignal& signal) {
    char bytes[64];
    while (read(signal.receiver, bytes, sizeof bytes) > 0) {
    }
}

int WaitSocketOrSignal(SocketHandle socket, bool wantWritable, const WakeSignal& signal, unsigned timeoutMs,
                       Readiness& readiness) {
    pollfd entries[2] = {{socket, static_cast<short>(POLLIN | (wantWritable ? POLLOUT : 0)), 0},
                         {signal.receiver, POLLIN, 0}};
    int result;
    do {
        result = poll(entries, 2, static_cast<int>(std::min(timeoutMs, static_cast<unsigned>(INT_MAX))));
    } while (result < 0 && errno == EINTR);
    const short revents = entries[0].revents;
    readiness.readable = result > 0 && (revents & (POLLIN | POLLHUP | POLLERR));
    readiness.writable = result > 0 && (revents & (POLLOUT | POLLERR));
    readiness.woken = result > 0 && entries[1].revents != 0;
    return result < 0 || (revents & POLLNVAL) || (entries[1].revents & POLLNVAL) ? -1 : 0;
}

int WaitReadable(SocketHandle socket, unsigned timeoutMs) {
    short revents = 0;
    const int result = PollOne(socket, POLLIN, timeoutMs, revents);
    return result < 0 || (result > 0 && (revents & POLLNVAL)) ? -1 : result;
}

int ReceiveSome(SocketHandle socket, void* destination, std::size_t count) {
    ssize_t result;
    do {
        result = recv(socket, destination, count, 0);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? -1 : static_cast<int>(result);
}

int SendSome(SocketHandle socket, const void* source, std::size_t count) {
    ssize_t result;
    do {
        result = send(socket, source, count, MSG_NOSIGNAL);  // a closed peer is an error, not a signal
    } while (result < 0 && errno == EINTR);
    return result < 0 ? -1 : static_cast<int>(result);
}

SocketHandle ListenTcp(const char* dottedAddress, std::uint16_t port, std::uint16_t* boundPort, int backlog) {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (s < 0) return kNoSocket;
    int reuse = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(dottedAddress);
    socklen_t length = sizeof address;
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(s, backlog == kFullBacklog ? SOMAXCONN : backlog) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(s);
        return kNoSocket;
    }
    if (boundPort) *boundPort = ntohs(address.sin_port);
    return s;
}

SocketHandle AcceptConnection(SocketHandle listener) {
    int s;
    do {
        s = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    } while (s < 0 && errno == EINTR);
    return s < 0 ? kNoSocket : s;
}

void ShutdownSocket(SocketHandle socket) {
    if (socket != kNoSocket) shutdown(socket, SHUT_RDWR);
}

std::uint32_t TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u);
}

void SleepMilliseconds(unsigned milliseconds) {
    timespec pause{static_cast<time_t>(milliseconds / 1000), static_cast<long>((milliseconds % 1000) * 1000000L)};
    while (nanosleep(&pause, &pause) < 0 && errno == EINTR) {
    }
}

bool ToLocalTime(std::int64_t seconds, std::tm& local) {
    if (seconds < std::numeric_limits<time_t>::min() || seconds > std::numeric_limits<time_t>::max()) return false;
    const time_t time = static_cast<time_t>(seconds);
    return localtime_r(&time, &local) != nullptr;
}

namespace {
std::atomic<DiagnosticSink> diagnosticSink{nullptr};
}

void SetDiagnosticSink(DiagnosticSink sink) { diagnosticSink = sink; }

void DiagnosticLine(const std::wstring& text) {
    if (DiagnosticSink sink = diagnosticSink.load()) {
        sink(text);
        return;
    }
    std::string line = ToUtf8(text);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::wstring CurrentDirectory() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? FromUtf8(buffer) : std::wstring();
}

wchar_t PathSeparator() { return L'/'; }

bool ReplaceFileAtomically(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    const std::string target = ToUtf8(path);
    // A name of this writer's own: two programs, or two threads, replacing one file never share a temporary.
    static std::atomic<unsigned> writes{0};
    const std::string temporary = target + "." + std::to_string(getpid()) + "-" + std::to_string(writes++) + ".part";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool written = true;
    std::size_t done = 0;
    while (written && done < bytes.size()) {
        ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        written = wrote > 0;
        if (written) done += static_cast<std::size_t>(wrote);
    }
    written = close(fd) == 0 && written;
    if (written && rename(temporary.c_str(), target.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

}  // namespace platform
