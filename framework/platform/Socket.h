#pragma once
// The thin socket seam of the portable core: WinSock on Windows, BSD sockets elsewhere.
// Every call blocks and uses flags 0; results follow the BSD convention (-1 on error).
#include <cstddef>
#include <cstdint>

namespace platform {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;
#else
using SocketHandle = int;
#endif
inline constexpr SocketHandle kNoSocket = static_cast<SocketHandle>(-1);

// Starts the socket library with the given version word (a no-op where none is needed).
bool StartSockets(std::uint16_t versionWord);

SocketHandle OpenTcpSocket();
void CloseSocket(SocketHandle socket);

// Connects to a dotted IPv4 address, blocking; no name lookup. False for text that is no address.
bool ConnectIPv4(SocketHandle socket, const char* dottedAddress, std::uint16_t port);

// A connect in steps, so that the caller can bound it and give it up: start it, then wait for it in
// slices as short as the caller likes. Once Connected, the socket blocks again as every other call expects.
enum class ConnectStep { Connected, Pending, BadAddress, Refused, Failed };
ConnectStep StartConnectIPv4(SocketHandle socket, const char* dottedAddress, std::uint16_t port);
ConnectStep WaitConnected(SocketHandle socket, unsigned timeoutMs);

bool SetSocketTimeouts(SocketHandle socket, unsigned milliseconds);

struct Readiness {
    bool readable = false;
    bool writable = false;
    bool woken = false;
};

// Ends a socket wait from another thread: a pipe natively, a loopback datagram socket sent to itself on
// Windows. A raise stays pending until cleared, so one raised before the wait begins is not lost.
struct WakeSignal {
    SocketHandle receiver = kNoSocket;
    SocketHandle sender = kNoSocket;
};
bool OpenWakeSignal(WakeSignal& signal);
void CloseWakeSignal(WakeSignal& signal);
void RaiseWakeSignal(const WakeSignal& signal);
void ClearWakeSignal(const WakeSignal& signal);

// Waits until the socket is readable (or writable, when asked), the signal is raised or the time has passed.
// Returns -1 on failure, 0 otherwise, with readiness saying what ended the wait. A closed peer or any error
// bit counts as readable, so that the next receive reports it.
int WaitSocketOrSignal(SocketHandle socket, bool wantWritable, const WakeSignal& signal, unsigned timeoutMs,
                       Readiness& readiness);
// Waits for readability alone: -1 on failure, 0 when the time passed, 1 when a receive would not block.
int WaitReadable(SocketHandle socket, unsigned timeoutMs);

// One recv/send call: the byte count, 0 when the peer closed, -1 on error or time-out.
int ReceiveSome(SocketHandle socket, void* destination, std::size_t count);
int SendSome(SocketHandle socket, const void* source, std::size_t count);

// Server side, for the demo server and the tests' scripted servers. Port 0 picks a free port;
// boundPort (when given) receives the port in use. The backlog is the system's largest unless given.
inline constexpr int kFullBacklog = -1;
SocketHandle ListenTcp(const char* dottedAddress, std::uint16_t port, std::uint16_t* boundPort = nullptr,
                       int backlog = kFullBacklog);
SocketHandle AcceptConnection(SocketHandle listener);
// Ends both directions so a peer blocked in receive sees the close.
void ShutdownSocket(SocketHandle socket);

}  // namespace platform
