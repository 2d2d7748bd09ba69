#pragma once
// What the demo server understands of the frames a client sends.
#include <cstdint>
#include <span>

#include "connection/Guid.h"

enum class ClientMessageKind {
    Unknown,    // a type or sub-code the server does not act on
    Malformed,  // a known message too short for its fields
    CategoryRequest,
    Heartbeat,
    Signature,
};

struct ClientMessage {
    ClientMessageKind kind = ClientMessageKind::Unknown;
    std::uint32_t type = 0;  // the payload's first field, when it has one
    Guid category;           // CategoryRequest
    std::uint32_t signature = 0;
};

// Recognises one client-to-server payload. Never reads outside the span.
ClientMessage DecodeClientMessage(std::span<const std::uint8_t> payload);
