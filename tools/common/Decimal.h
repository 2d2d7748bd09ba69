#pragma once
// Command-line numbers of the developer tools.
#include <charconv>
#include <optional>
#include <string_view>

// Plain decimal digits only: no sign, no spaces, no trailing text, nothing above `largest`.
inline std::optional<unsigned> ParseDecimal(std::string_view text, unsigned largest) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > largest) return std::nullopt;
    return value;
}
