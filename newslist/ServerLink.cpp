#include "newslist/ServerLink.h"

#include <cwctype>

namespace newslist {

namespace {
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (static_cast<wchar_t>(std::towlower(text[i])) != prefix[i]) return false;
    }
    return true;
}
}  // namespace

std::optional<std::wstring> ServerLinkTarget(std::wstring_view link) {
    if (StartsWithNoCase(link, L"http://") || StartsWithNoCase(link, L"https://")) return std::wstring(link);
    if (StartsWithNoCase(link, L"www.")) return L"http://" + std::wstring(link);
    return std::nullopt;
}

}  // namespace newslist
