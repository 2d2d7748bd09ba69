#pragma once
// The wire protocol: length-prefixed frames of little-endian integers and UTF-16LE text.
// Building and decoding are plain functions over bytes; only ReadFrame and RecvAll touch a socket.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "framework/platform/Socket.h"
#include "NewsItem.h"

namespace wire {

inline constexpr std::uint32_t MSG_CATEGORY_REQUEST = 17;
inline constexpr std::uint32_t MSG_HISTORY_END = 18;
inline constexpr std::uint32_t MSG_HEARTBEAT = 48;
inline constexpr std::uint32_t MSG_NEWS = 76;
inline constexpr std::uint32_t MSG_CONTROL = 24930;

inline constexpr std::uint32_t CTL_SIGNATURE_REQUEST = 25445;
inline constexpr std::uint32_t CTL_SIGNATURE = 25444;
inline constexpr std::uint32_t CTL_BANNER = 4660;

// A frame longer than this closes the connection before anything is allocated: a broken or hostile
// server must not make the client reserve gigabytes. Headlines and banner images stay far below it.
inline constexpr std::uint32_t kMaxPayloadBytes = 16u * 1024u * 1024u;
inline constexpr std::uint32_t kMaxBannerLinkBytes = 2046;

// Whether a header announcing this many payload bytes starts a frame worth reading: N = 0 is no frame, and
// a frame above kMaxPayloadBytes closes the connection.
bool AcceptableFrameLength(std::uint32_t payloadBytes);

// Appends N = count and the count bytes. False, with nothing appended, when the buffer cannot grow.
bool AppendFrame(std::vector<std::uint8_t>& out, const void* data, std::size_t count);

// A receive buffer keeps at most this much room between frames: one unusually large frame does not
// hold its memory for the rest of the connection.
inline constexpr std::size_t kRetainedBufferBytes = 64 * 1024;

// What may end a read before its bytes are in: a stop flag, looked at between waits of sliceMs, and a
// peer that sends nothing for idleLimitMs. Without one, each receive blocks up to the socket's time-out.
struct ReadWatch {
    const std::atomic<bool>* stop = nullptr;
    unsigned sliceMs = 50;
    unsigned idleLimitMs = 15000;
};

// Receives exactly count bytes: count, 0 when the peer closed first, -1 on error, time-out or stop.
int RecvAll(void* destination, std::size_t count, platform::SocketHandle socket, const ReadWatch* watch = nullptr);

// Reads one frame: N + 4 with the buffer holding the N payload bytes; 0 when the peer closed, N was 0,
// N was above kMaxPayloadBytes or the buffer could not grow; -1 on a socket error, a time-out or a stop.
// Empty buffer on failure.
int ReadFrame(std::vector<std::uint8_t>& buffer, platform::SocketHandle socket, const ReadWatch* watch = nullptr);

// Reads frames through a buffer: one receive takes whatever has arrived, often many frames, where ReadFrame
// asks the socket twice for each. The receive loop reads with it, since under some platforms every socket
// call is a round trip to another process.
class FrameReader {
public:
    // Whether a whole frame is buffered, so the next Read needs the socket for nothing.
    bool HasFrame() const;
    // As ReadFrame, from the buffer first; waits on the socket only for bytes the buffer lacks. A caller that
    // has just seen the socket readable says so, and the first receive goes without a wait of its own.
    int Read(std::vector<std::uint8_t>& frame, platform::SocketHandle socket, const ReadWatch* watch = nullptr,
             bool seenReadable = false);
    // Forgets what is buffered (a new connection).
    void Clear();

private:
    // At least `needed` bytes buffered: 1, or what ended the wait as RecvAll says it (0 or -1).
    // `seenReadable` is cleared by the first receive.
    int Fill(std::size_t needed, platform::SocketHandle socket, const ReadWatch* watch, bool& seenReadable);

    std::vector<std::uint8_t> bytes_;
    std::size_t start_ = 0;  // the first byte not yet read
};

// Payloads (without the length prefix), built whole so that one AppendFrame call sends each.
std::vector<std::uint8_t> CategoryRequestPayload(const Guid& category);
std::vector<std::uint8_t> HeartbeatPayload();
std::vector<std::uint8_t> SignaturePayload(std::uint32_t signature);
// Server side, for the demo server and the tests.
std::vector<std::uint8_t> HistoryEndPayload();
std::vector<std::uint8_t> SignatureRequestPayload();
std::vector<std::uint8_t> NewsPayload(const Guid& category, std::int64_t publishTime, const std::wstring& title,
                                      const std::wstring& link);
// The link is written without a NUL; a link above kMaxBannerLinkBytes makes a frame the client drops.
std::vector<std::uint8_t> BannerPayload(std::uint32_t slot, const std::wstring& link, std::span<const std::uint8_t> image);

enum class MessageKind {
    Unknown,    // a type or sub-code the client does not act on: dropped
    Malformed,  // a known message whose fields do not fit in its payload: dropped
    News,
    HistoryEnd,
    Heartbeat,
    SignatureRequest,
    Signature,
    Banner,
};

struct NewsMessage {
    Guid category;
    std::int64_t publishTime = 0;
    std::wstring title;
    std::wstring link;
};

struct BannerMessage {
    std::uint32_t slot = 0;              // 1 to 3; other slots decode as Unknown
    std::wstring link;                   // up to its first NUL or the L bytes
    std::span<const std::uint8_t> image; // a view into the decoded payload
};

struct Message {
    MessageKind kind = MessageKind::Unknown;
    NewsMessage news;
    std::uint32_t signature = 0;
    BannerMessage banner;
};

// Recognises one server-to-client payload. Never reads outside the span.
Message DecodeMessage(std::span<const std::uint8_t> payload);

}  // namespace wire
