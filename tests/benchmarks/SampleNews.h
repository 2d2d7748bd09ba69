#pragma once
// Headlines shaped like the server's: a Chinese title of a few dozen characters and a link.
#include <cstdint>
#include <string>
#include <vector>

#include "connection/Category.h"
#include "connection/Protocol.h"

inline std::vector<std::vector<std::uint8_t>> SampleNewsPayloads(std::size_t count) {
    std::vector<std::vector<std::uint8_t>> payloads;
    payloads.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::wstring number = std::to_wstring(i);
        payloads.push_back(wire::NewsPayload(kCategories[i % kCategories.size()].guid, 1700000000 + static_cast<std::int64_t>(i),
                                             L"美元指数走强，欧元兑美元跌破1.08关口，市场关注第" + number + L"号数据",
                                             L"https://news.example.com/forex/" + number + L".html"));
    }
    return payloads;
}

// The payloads as they travel: each after its 4-byte length, back to back.
inline std::vector<std::uint8_t> Framed(const std::vector<std::vector<std::uint8_t>>& payloads) {
    std::vector<std::uint8_t> bytes;
    for (const auto& payload : payloads) wire::AppendFrame(bytes, payload.data(), payload.size());
    return bytes;
}
