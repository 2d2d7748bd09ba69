#include "ClientMessages.h"

#include <algorithm>

#include "connection/Protocol.h"

namespace {

std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

}  // namespace

ClientMessage DecodeClientMessage(std::span<const std::uint8_t> payload) {
    ClientMessage message;
    if (payload.size() < 4) {
        message.kind = ClientMessageKind::Malformed;
        return message;
    }
    message.type = ReadU32(payload, 0);
    if (message.type == wire::MSG_CATEGORY_REQUEST) {
        message.kind = payload.size() >= 20 ? ClientMessageKind::CategoryRequest : ClientMessageKind::Malformed;
        if (message.kind == ClientMessageKind::CategoryRequest)
            std::copy_n(payload.begin() + 4, message.category.bytes.size(), message.category.bytes.begin());
    } else if (message.type == wire::MSG_HEARTBEAT) {
        message.kind = ClientMessageKind::Heartbeat;
    } else if (message.type == wire::MSG_CONTROL && payload.size() >= 8 && ReadU32(payload, 4) == wire::CTL_SIGNATURE) {
        message.kind = payload.size() >= 12 ? ClientMessageKind::Signature : ClientMessageKind::Malformed;
        if (message.kind == ClientMessageKind::Signature) message.signature = ReadU32(payload, 8);
    }
    return message;
}
