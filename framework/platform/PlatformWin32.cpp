// Windows side of the portable core's platform seam.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "Clock.h"
#include "Diagnostics.h"
#include "Files.h"
#include "Socket.h"

namespace platform {

bool StartSockets(std::uint16_t versionWord) {
    WSADATA data{};
    return WSAStartup(versionWord, &data) == 0;
}

SocketHandle OpenTcpSocket() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) closesocket(static_cast<SOCKET>(socket));
}

bool ConnectIPv4(SocketHandle socket, const char* dottedAddress, std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(dottedAddress);
    return connect(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

namespace {

bool SetBlocking(SOCKET s, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

ConnectStep StepOf(int error) { return error == WSAECONNREFUSED ? ConnectStep::Refused : ConnectStep::Failed; }

}  // namespace

ConnectStep StartConnectIPv4(SocketHandle socket, const char* dottedAddress, std::uint16_t port) {
    SOCKET s = static_cast<SOCKET>(socket);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(dottedAddress);
    if (address.sin_addr.s_addr == INADDR_NONE) return ConnectStep::BadAddress;
    if (!SetBlocking(s, false)) return ConnectStep::Failed;
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return SetBlocking(s, true) ? ConnectStep::Connected : ConnectStep::Failed;
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? ConnectStep::Pending : StepOf(error);
}

// A connect that failed shows in the exception set, one that succeeded in the write set.
ConnectStep WaitConnected(SocketHandle socket, unsigned timeoutMs) {
    SOCKET s = static_cast<SOCKET>(socket);
    fd_set writeSet;
    fd_set failSet;
    FD_ZERO(&writeSet);
    FD_ZERO(&failSet);
    FD_SET(s, &writeSet);
    FD_SET(s, &failSet);
    timeval timeout{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    const int result = select(0, nullptr, &writeSet, &failSet, &timeout);
    if (result <= 0) return result == 0 ? ConnectStep::Pending : ConnectStep::Failed;
    if (FD_ISSET(s, &failSet)) {
        int error = 0;
        int length = sizeof error;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
        return StepOf(error);
    }
    return SetBlocking(s, true) ? ConnectStep::Connected : ConnectStep::Failed;
}

bool SetSocketTimeouts(SocketHandle socket, unsigned milliseconds) {
    DWORD value = milliseconds;
    const char* raw = reinterpret_cast<const char*>(&value);
    SOCKET s = static_cast<SOCKET>(socket);
    return setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, raw, sizeof value) == 0 &&
           setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, raw, sizeof value) == 0;
}

bool OpenWakeSignal(WakeSignal& signal) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return false;
    }
    signal.receiver = signal.sender = static_cast<SocketHandle>(s);
    return true;
}

void CloseWakeSignal(WakeSignal& signal) {
    CloseSocket(signal.receiver);
    signal = {};
}

void RaiseWakeSignal(const WakeSignal& signal) {
    const char byte = 1;
    send(static_cast<SOCKET>(signal.sender), &byte, 1, 0);  // a full buffer is raised already
}

void ClearWakeSignal(const WakeSignal& signal) {
    char bytes[64];
    while (recv(static_cast<SOCKET>(signal.receiver), bytes, sizeof bytes, 0) > 0) {
    }
}

// select rather than WSAPoll: both sockets in one set, and a failed socket shows in the exception set.
int WaitSocketOrSignal(SocketHandle socket, bool wantWritable, const WakeSignal& signal, unsigned timeoutMs,
                       Readiness& readiness) {
    SOCKET s = static_cast<SOCKET>(socket);
    SOCKET wake = static_cast<SOCKET>(signal.receiver);
    fd_set readSet;
    fd_set writeSet;
    fd_set failSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&failSet);
    FD_SET(s, &readSet);
    FD_SET(wake, &readSet);
    if (wantWritable) FD_SET(s, &writeSet);
    FD_SET(s, &failSet);
    timeval timeout{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    const int result = select(0, &readSet, &writeSet, &failSet, &timeout);
    readiness.readable = result > 0 && (FD_ISSET(s, &readSet) || FD_ISSET(s, &failSet));
    readiness.writable = result > 0 && FD_ISSET(s, &writeSet);
    readiness.woken = result > 0 && FD_ISSET(wake, &readSet);
    return result < 0 ? -1 : 0;
}

int WaitReadable(SocketHandle socket, unsigned timeoutMs) {
    SOCKET s = static_cast<SOCKET>(socket);
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(s, &readSet);
    timeval timeout{static_cast<long>(timeoutMs / 1000), static_cast<long>((timeoutMs % 1000) * 1000)};
    const int result = select(0, &readSet, nullptr, nullptr, &timeout);
    return result < 0 ? -1 : result;
}

int ReceiveSome(SocketHandle socket, void* destination, std::size_t count) {
    int result = recv(static_cast<SOCKET>(socket), static_cast<char*>(destination), static_cast<int>(count), 0);
    return result < 0 ? -1 : result;
}

int SendSome(SocketHandle socket, const void* source, std::size_t count) {
    int result = send(static_cast<SOCKET>(socket), static_cast<const char*>(source), static_cast<int>(count), 0);
    return result < 0 ? -1 : result;
}

SocketHandle ListenTcp(const char* dottedAddress, std::uint16_t port, std::uint16_t* boundPort, int backlog) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return kNoSocket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr(dottedAddress);
    int length = sizeof address;
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(s, backlog == kFullBacklog ? SOMAXCONN : backlog) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(s);
        return kNoSocket;
    }
    if (boundPort) *boundPort = ntohs(address.sin_port);
    return static_cast<SocketHandle>(s);
}

SocketHandle AcceptConnection(SocketHandle listener) {
    SOCKET s = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
}

void ShutdownSocket(SocketHandle socket) {
    if (socket != kNoSocket) shutdown(static_cast<SOCKET>(socket), SD_BOTH);
}

std::uint32_t TickCount() { return GetTickCount(); }

void SleepMilliseconds(unsigned milliseconds) { Sleep(milliseconds); }

bool ToLocalTime(std::int64_t seconds, std::tm& local) {
    const __time64_t time = seconds;  // the conversion refuses times before 1970 and after the year 3000
    return _localtime64_s(&local, &time) == 0;
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
    OutputDebugStringW(text.c_str());
}

std::wstring CurrentDirectory() {
    wchar_t buffer[1024] = {};
    DWORD length = GetCurrentDirectoryW(1024, buffer);
    return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

wchar_t PathSeparator() { return L'\\'; }

namespace {

// The main window may hold a banner image open while it loads it; the replace then waits a little for it.
constexpr int kReplaceTries = 20;
constexpr DWORD kReplaceRetryMs = 25;

bool HeldByAnother(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION; }

}  // namespace

bool ReplaceFileAtomically(const std::wstring& path, std::span<const std::uint8_t> bytes) {
    // A name of this writer's own: two programs, or two threads, replacing one file never share a temporary.
    static std::atomic<unsigned> writes{0};
    const std::wstring temporary =
        path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(writes++) + L".part";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    std::size_t done = 0;
    while (written && done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD wrote = 0;
        written = WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
        done += wrote;
    }
    written = CloseHandle(file) && written;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    bool moved = written && MoveFileExW(temporary.c_str(), path.c_str(), flags);
    for (int tries = 1; written && !moved && tries < kReplaceTries && HeldByAnother(GetLastError()); ++tries) {
        Sleep(kReplaceRetryMs);
        moved = MoveFileExW(temporary.c_str(), path.c_str(), flags);
    }
    if (!moved) DeleteFileW(temporary.c_str());
    return moved;
}

}  // namespace platform
