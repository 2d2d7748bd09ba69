// Feeds the frame decoder a byte stream as it could arrive from a server: frames one after another.
// Each payload is copied to a buffer of exactly its size, so any read past it stops the run.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "connection/Protocol.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

bool HasNul(const std::wstring& text) { return text.find(L'\0') != std::wstring::npos; }

// What a decoded message promises its users.
void CheckMessage(const wire::Message& message, std::span<const std::uint8_t> payload) {
    if (message.kind == wire::MessageKind::News) {
        Require(!HasNul(message.news.title) && !HasNul(message.news.link));
        Require(36 + 2 * (message.news.title.size() + 1) <= payload.size());
        Require(36 + 2 * (message.news.link.size() + 1) <= payload.size());
    } else if (message.kind == wire::MessageKind::Banner) {
        Require(message.banner.slot >= 1 && message.banner.slot <= 3);
        Require(!HasNul(message.banner.link) && message.banner.link.size() <= (wire::kMaxBannerLinkBytes + 1) / 2);
        const std::uint8_t* image = message.banner.image.data();
        Require(message.banner.image.empty() ||
                (image >= payload.data() + 20 && image + message.banner.image.size() <= payload.data() + payload.size()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> stream(data, size);
    while (stream.size() >= 4) {
        const std::uint32_t length = stream[0] | stream[1] << 8 | stream[2] << 16 | static_cast<std::uint32_t>(stream[3]) << 24;
        if (!wire::AcceptableFrameLength(length)) break;  // the client closes the connection here
        stream = stream.subspan(4);
        if (length > stream.size()) break;  // the peer closed inside the payload
        const std::vector<std::uint8_t> payload(stream.begin(), stream.begin() + length);
        CheckMessage(wire::DecodeMessage(payload), payload);
        stream = stream.subspan(length);
    }
    return 0;
}
