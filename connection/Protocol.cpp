#include "Protocol.h"

#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <utility>

#include "framework/platform/Clock.h"

namespace wire {

namespace {

// Offsets inside a MSG_NEWS payload.
constexpr std::size_t kNewsCategory = 4;
constexpr std::size_t kNewsTime = 20;
constexpr std::size_t kNewsLinkOffset = 28;
constexpr std::size_t kNewsTitle = 36;

// Offsets inside a MSG_CONTROL payload.
constexpr std::size_t kControlSubCode = 4;
constexpr std::size_t kSignatureValue = 8;
constexpr std::size_t kBannerSlot = 8;
constexpr std::size_t kBannerLinkBytes = 12;
constexpr std::size_t kBannerImageBytes = 16;
constexpr std::size_t kBannerLink = 20;

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::int64_t ReadI64(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint64_t value = static_cast<std::uint64_t>(ReadU32(bytes, offset)) |
                          static_cast<std::uint64_t>(ReadU32(bytes, offset + 4)) << 32;
    return static_cast<std::int64_t>(value);  // two's complement, as the server wrote it
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutU64(std::vector<std::uint8_t>& out, std::uint64_t value) {
    PutU32(out, static_cast<std::uint32_t>(value));
    PutU32(out, static_cast<std::uint32_t>(value >> 32));
}

void PutText(std::vector<std::uint8_t>& out, const std::wstring& text) {
    for (wchar_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit));
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(unit) >> 8));
    }
}

void PutGuid(std::vector<std::uint8_t>& out, const Guid& guid) { out.insert(out.end(), guid.bytes.begin(), guid.bytes.end()); }

wchar_t UnitAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<wchar_t>(bytes[offset] | bytes[offset + 1] << 8);
}

// The UTF-16LE text that starts at `start` and ends at a NUL code unit inside the payload; none without one.
std::optional<std::wstring> TextUpToNul(std::span<const std::uint8_t> payload, std::size_t start) {
    for (std::size_t end = start; end + 1 < payload.size(); end += 2) {
        if (UnitAt(payload, end) == 0) {
            std::wstring text;
            text.reserve((end - start) / 2);
            for (std::size_t at = start; at < end; at += 2) text.push_back(UnitAt(payload, at));
            return text;
        }
    }
    return std::nullopt;
}

Message DecodeNews(std::span<const std::uint8_t> payload) {
    Message message;
    if (payload.size() < kNewsTitle) {
        message.kind = MessageKind::Malformed;
        return message;
    }
    const std::uint64_t linkStart = kNewsTitle + static_cast<std::uint64_t>(ReadU32(payload, kNewsLinkOffset));
    std::optional<std::wstring> title = TextUpToNul(payload, kNewsTitle);
    std::optional<std::wstring> link;
    if (title && linkStart < payload.size()) link = TextUpToNul(payload, static_cast<std::size_t>(linkStart));
    if (!link) {
        message.kind = MessageKind::Malformed;
        return message;
    }
    message.kind = MessageKind::News;
    std::copy_n(payload.begin() + kNewsCategory, message.news.category.bytes.size(), message.news.category.bytes.begin());
    message.news.publishTime = ReadI64(payload, kNewsTime);
    message.news.title = std::move(*title);
    message.news.link = std::move(*link);
    return message;
}

// The link ends at its first NUL or after L bytes. An odd last byte is the low half of a unit whose high
// half is zero, as when the bytes are copied into a zero-filled area and read as UTF-16LE.
std::wstring BannerLink(std::span<const std::uint8_t> linkBytes) {
    std::wstring link;
    for (std::size_t at = 0; at < linkBytes.size(); at += 2) {
        wchar_t unit = at + 1 < linkBytes.size() ? UnitAt(linkBytes, at) : static_cast<wchar_t>(linkBytes[at]);
        if (unit == 0) break;
        link.push_back(unit);
    }
    return link;
}

Message DecodeControl(std::span<const std::uint8_t> payload) {
    Message message;
    if (payload.size() < kControlSubCode + 4) {
        message.kind = MessageKind::Malformed;
        return message;
    }
    const std::uint32_t subCode = ReadU32(payload, kControlSubCode);
    if (subCode == CTL_SIGNATURE_REQUEST) {
        message.kind = MessageKind::SignatureRequest;
    } else if (subCode == CTL_SIGNATURE) {
        if (payload.size() < kSignatureValue + 4) {
            message.kind = MessageKind::Malformed;
            return message;
        }
        message.kind = MessageKind::Signature;
        message.signature = ReadU32(payload, kSignatureValue);
    } else if (subCode == CTL_BANNER) {
        if (payload.size() < kBannerLink) {
            message.kind = MessageKind::Malformed;
            return message;
        }
        const std::uint32_t slot = ReadU32(payload, kBannerSlot);
        if (slot < 1 || slot > 3) return message;  // Unknown: the client ignores other slots
        const std::uint64_t linkBytes = ReadU32(payload, kBannerLinkBytes);
        const std::uint64_t imageBytes = ReadU32(payload, kBannerImageBytes);
        if (linkBytes > kMaxBannerLinkBytes || kBannerLink + linkBytes + imageBytes > payload.size()) {
            message.kind = MessageKind::Malformed;
            return message;
        }
        message.kind = MessageKind::Banner;
        message.banner.slot = slot;
        message.banner.link = BannerLink(payload.subspan(kBannerLink, static_cast<std::size_t>(linkBytes)));
        message.banner.image = payload.subspan(kBannerLink + static_cast<std::size_t>(linkBytes),
                                               static_cast<std::size_t>(imageBytes));
    }
    return message;
}

std::vector<std::uint8_t> TypeOnly(std::uint32_t type) {
    std::vector<std::uint8_t> payload;
    PutU32(payload, type);
    return payload;
}

std::vector<std::uint8_t> Control(std::uint32_t subCode) {
    std::vector<std::uint8_t> payload = TypeOnly(MSG_CONTROL);
    PutU32(payload, subCode);
    return payload;
}

// One wait of a watched read, in a slice so that a stop is seen however slowly the peer sends: 1 when bytes
// can be received, 0 after a slice without any, -1 when the read ends (a stop, an error, or the peer silent
// since lastByte for longer than the idle limit).
int AwaitBytes(platform::SocketHandle socket, const ReadWatch& watch, std::uint32_t lastByte) {
    if (watch.stop && *watch.stop) return -1;
    const int ready = platform::WaitReadable(socket, watch.sliceMs);
    if (ready != 0) return ready < 0 ? -1 : 1;
    return platform::TickCount() - lastByte >= watch.idleLimitMs ? -1 : 0;
}

}  // namespace

bool AcceptableFrameLength(std::uint32_t payloadBytes) { return payloadBytes != 0 && payloadBytes <= kMaxPayloadBytes; }

bool AppendFrame(std::vector<std::uint8_t>& out, const void* data, std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max()) return false;
    try {
        out.reserve(out.size() + 4 + count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // With the room reserved, nothing below can fail half-way.
    PutU32(out, static_cast<std::uint32_t>(count));
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + count);
    return true;
}

int RecvAll(void* destination, std::size_t count, platform::SocketHandle socket, const ReadWatch* watch) {
    if (count > static_cast<std::size_t>(std::numeric_limits<int>::max())) return -1;  // the result could not say it
    auto* bytes = static_cast<std::uint8_t*>(destination);
    std::size_t received = 0;
    std::uint32_t lastByte = platform::TickCount();
    while (received < count) {
        if (watch) {
            const int ready = AwaitBytes(socket, *watch, lastByte);
            if (ready < 0) return -1;
            if (ready == 0) continue;
        }
        int result = platform::ReceiveSome(socket, bytes + received, count - received);
        if (result <= 0) return result;
        received += static_cast<std::size_t>(result);
        lastByte = platform::TickCount();
    }
    return static_cast<int>(count);
}

int ReadFrame(std::vector<std::uint8_t>& buffer, platform::SocketHandle socket, const ReadWatch* watch) {
    buffer.clear();
    std::uint8_t header[4];
    int result = RecvAll(header, sizeof header, socket, watch);
    if (result <= 0) return result;
    const std::uint32_t length = ReadU32(header, 0);
    if (!AcceptableFrameLength(length)) return 0;
    if (buffer.capacity() > std::max<std::size_t>(length, kRetainedBufferBytes)) std::vector<std::uint8_t>().swap(buffer);
    try {
        buffer.resize(length);
    } catch (const std::bad_alloc&) {
        buffer.clear();
        return 0;
    }
    result = RecvAll(buffer.data(), length, socket, watch);
    if (result <= 0) {
        buffer.clear();
        return result;
    }
    return static_cast<int>(length + 4);
}

bool FrameReader::HasFrame() const {
    const std::size_t buffered = bytes_.size() - start_;
    return buffered >= 4 && buffered - 4 >= ReadU32(std::span<const std::uint8_t>(bytes_).subspan(start_), 0);
}

void FrameReader::Clear() {
    std::vector<std::uint8_t>().swap(bytes_);
    start_ = 0;
}

int FrameReader::Fill(std::size_t needed, platform::SocketHandle socket, const ReadWatch* watch, bool& seenReadable) {
    if (bytes_.size() - start_ >= needed) return 1;
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(start_));
    start_ = 0;
    // Room for the frame in hand and whatever else has arrived; one large frame's room is given back.
    const std::size_t room = std::max(needed, kRetainedBufferBytes);
    if (bytes_.capacity() > std::max(2 * room, 2 * kRetainedBufferBytes)) std::vector<std::uint8_t>(bytes_).swap(bytes_);
    std::uint32_t lastByte = platform::TickCount();
    while (bytes_.size() < needed) {
        if (watch && !std::exchange(seenReadable, false)) {
            const int ready = AwaitBytes(socket, *watch, lastByte);
            if (ready < 0) return -1;
            if (ready == 0) continue;
        }
        const std::size_t held = bytes_.size();
        try {
            bytes_.resize(held + std::max(needed - held, room - std::min(room, held)));
        } catch (const std::bad_alloc&) {
            bytes_.resize(held);
            return 0;
        }
        const std::size_t wanted = std::min(bytes_.size() - held, static_cast<std::size_t>(std::numeric_limits<int>::max()));
        const int result = platform::ReceiveSome(socket, bytes_.data() + held, wanted);
        bytes_.resize(held + static_cast<std::size_t>(std::max(result, 0)));
        if (result <= 0) return result;
        lastByte = platform::TickCount();
    }
    return 1;
}

int FrameReader::Read(std::vector<std::uint8_t>& frame, platform::SocketHandle socket, const ReadWatch* watch,
                      bool seenReadable) {
    frame.clear();
    int result = Fill(4, socket, watch, seenReadable);
    if (result <= 0) return result;
    const std::uint32_t length = ReadU32(std::span<const std::uint8_t>(bytes_).subspan(start_), 0);
    if (!AcceptableFrameLength(length)) return 0;
    result = Fill(std::size_t{4} + length, socket, watch, seenReadable);
    if (result <= 0) return result;
    if (frame.capacity() > std::max<std::size_t>(length, kRetainedBufferBytes)) std::vector<std::uint8_t>().swap(frame);
    try {
        frame.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(start_ + 4),
                     bytes_.begin() + static_cast<std::ptrdiff_t>(start_ + 4 + length));
    } catch (const std::bad_alloc&) {
        frame.clear();
        return 0;
    }
    start_ += std::size_t{4} + length;
    return static_cast<int>(length + 4);
}

std::vector<std::uint8_t> CategoryRequestPayload(const Guid& category) {
    std::vector<std::uint8_t> payload = TypeOnly(MSG_CATEGORY_REQUEST);
    PutGuid(payload, category);
    return payload;
}

std::vector<std::uint8_t> HeartbeatPayload() { return TypeOnly(MSG_HEARTBEAT); }

std::vector<std::uint8_t> SignaturePayload(std::uint32_t signature) {
    std::vector<std::uint8_t> payload = Control(CTL_SIGNATURE);
    PutU32(payload, signature);
    return payload;
}

std::vector<std::uint8_t> HistoryEndPayload() { return TypeOnly(MSG_HISTORY_END); }

std::vector<std::uint8_t> SignatureRequestPayload() { return Control(CTL_SIGNATURE_REQUEST); }

std::vector<std::uint8_t> NewsPayload(const Guid& category, std::int64_t publishTime, const std::wstring& title,
                                      const std::wstring& link) {
    std::vector<std::uint8_t> payload = TypeOnly(MSG_NEWS);
    PutGuid(payload, category);
    PutU64(payload, static_cast<std::uint64_t>(publishTime));
    PutU32(payload, static_cast<std::uint32_t>(title.size() * 2 + 2));  // the link follows the title's NUL
    PutU32(payload, 0);
    PutText(payload, title + L'\0');
    PutText(payload, link + L'\0');
    return payload;
}

std::vector<std::uint8_t> BannerPayload(std::uint32_t slot, const std::wstring& link, std::span<const std::uint8_t> image) {
    std::vector<std::uint8_t> payload = Control(CTL_BANNER);
    PutU32(payload, slot);
    PutU32(payload, static_cast<std::uint32_t>(link.size() * 2));
    PutU32(payload, static_cast<std::uint32_t>(image.size()));
    PutText(payload, link);
    payload.insert(payload.end(), image.begin(), image.end());
    return payload;
}

Message DecodeMessage(std::span<const std::uint8_t> payload) {
    Message message;
    if (payload.size() < 4) {
        message.kind = MessageKind::Malformed;
        return message;
    }
    switch (ReadU32(payload, 0)) {
    case MSG_NEWS:
        return DecodeNews(payload);
    case MSG_HISTORY_END:
        message.kind = MessageKind::HistoryEnd;
        break;
    case MSG_HEARTBEAT:
        message.kind = MessageKind::Heartbeat;
        break;
    case MSG_CONTROL:
        return DecodeControl(payload);
    default:
        break;
    }
    return message;
}

}  // namespace wire
