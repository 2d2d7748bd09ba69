#pragma once
// Text conversions of the portable core. Wide strings hold UTF-16 code units: on Windows wchar_t is one,
// elsewhere each wchar_t holds one code unit (surrogates stay separate), so lengths count alike everywhere.
#include <cstdint>
#include <span>
#include <string>

namespace platform {

std::string ToUtf8(const std::wstring& utf16);
std::wstring FromUtf8(const std::string& utf8);

// How many of a text's first units to keep so that at most limit remain and no surrogate pair is split.
std::size_t UnitsWithinLimit(const std::wstring& text, std::size_t limit);

}  // namespace platform
