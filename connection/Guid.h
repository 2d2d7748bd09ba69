#pragma once
#include <array>
#include <cstdint>

// A category as the server names it: 16 bytes in the Windows in-memory GUID layout, compared byte for byte.
struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    bool IsNull() const { return *this == Guid{}; }
    friend bool operator==(const Guid&, const Guid&) = default;
};

// Builds the in-memory layout of {d1-d2-d3-d4[0..1]-d4[2..7]}: the first three fields little-endian.
constexpr Guid MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::array<std::uint8_t, 8> d4) {
    Guid g{};
    g.bytes = {static_cast<std::uint8_t>(d1), static_cast<std::uint8_t>(d1 >> 8), static_cast<std::uint8_t>(d1 >> 16),
               static_cast<std::uint8_t>(d1 >> 24), static_cast<std::uint8_t>(d2), static_cast<std::uint8_t>(d2 >> 8),
               static_cast<std::uint8_t>(d3), static_cast<std::uint8_t>(d3 >> 8), d4[0], d4[1], d4[2], d4[3], d4[4],
               d4[5], d4[6], d4[7]};
    return g;
}
