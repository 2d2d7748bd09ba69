#pragma once
// The text folding under which alert terms and headlines are compared: Latin letters in lower case, the
// full-width forms U+FF01-U+FF5E as their ASCII counterparts and the ideographic space U+3000 as a
// space. Our own small table, so matching is the same natively and on Windows whatever the locale.
#include <string>
#include <string_view>

namespace alerts {

wchar_t FoldForMatching(wchar_t unit);

// Folds every unit; the result has the same length, so a position in it is a position in the text.
std::wstring FoldForMatching(std::wstring_view text);

// The same into `out`, which holds at least text.size() units.
void FoldForMatching(std::wstring_view text, wchar_t* out);

}  // namespace alerts
