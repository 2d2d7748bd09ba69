#include "alerts/TextFolding.h"

namespace alerts {

namespace {
constexpr wchar_t kFullWidthFirst = 0xFF01;  // full-width "!"
constexpr wchar_t kFullWidthLast = 0xFF5E;   // full-width "~"
constexpr wchar_t kIdeographicSpace = 0x3000;
}  // namespace

wchar_t FoldForMatching(wchar_t unit) {
    if (unit >= kFullWidthFirst && unit <= kFullWidthLast) unit = static_cast<wchar_t>(unit - kFullWidthFirst + L'!');
    if (unit == kIdeographicSpace) return L' ';
    if (unit >= L'A' && unit <= L'Z') return static_cast<wchar_t>(unit - L'A' + L'a');
    return unit;
}

std::wstring FoldForMatching(std::wstring_view text) {
    std::wstring folded(text.size(), L'\0');
    FoldForMatching(text, folded.data());
    return folded;
}

void FoldForMatching(std::wstring_view text, wchar_t* out) {
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = FoldForMatching(text[i]);
}

}  // namespace alerts
