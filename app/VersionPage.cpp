#include "app/VersionPage.h"

#include <algorithm>
#include <vector>

namespace {

std::optional<std::wstring> TaggedValue(std::wstring_view text, std::wstring_view name) {
    const std::wstring open = L"<" + std::wstring(name) + L">";
    const std::wstring close = L"</" + std::wstring(name) + L">";
    const std::size_t openAt = text.find(open);
    const std::size_t closeAt = text.find(close);
    if (openAt == std::wstring_view::npos || closeAt == std::wstring_view::npos) return std::nullopt;
    const std::size_t valueAt = openAt + open.size();
    if (closeAt < valueAt) return std::nullopt;
    return std::wstring(text.substr(valueAt, closeAt - valueAt));
}

std::wstring_view Trimmed(std::wstring_view text) {
    constexpr std::wstring_view kBlank = L" \t\r\n";
    const std::size_t first = text.find_first_not_of(kBlank);
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

// The parts of a dotted number such as "1.0.10"; none for any other text (an empty part, a sign, a
// letter, or a part too long to be a version number).
std::optional<std::vector<unsigned long>> DottedNumber(std::wstring_view text) {
    constexpr std::size_t kMaxDigits = 9;
    std::vector<unsigned long> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = std::min(text.find(L'.', start), text.size());
        const std::wstring_view part = text.substr(start, dot - start);
        if (part.empty() || part.size() > kMaxDigits) return std::nullopt;
        unsigned long value = 0;
        for (const wchar_t c : part) {
            if (c < L'0' || c > L'9') return std::nullopt;
            value = value * 10 + static_cast<unsigned long>(c - L'0');
        }
        parts.push_back(value);
        if (dot == text.size()) return parts;
        start = dot + 1;
    }
}

}  // namespace

std::string_view VersionPageText(std::string_view body) {
    body = body.substr(0, kVersionPageMaxBytes);
    return body.substr(0, body.find('\0'));
}

std::optional<VersionPage> ParseVersionPage(std::wstring_view text) {
    std::optional<std::wstring> version = TaggedValue(text, L"version");
    std::optional<std::wstring> serverAddress = TaggedValue(text, L"serverip");
    std::optional<std::wstring> port = TaggedValue(text, L"port");
    if (!version || !serverAddress || !port) return std::nullopt;
    return VersionPage{std::move(*version), std::move(*serverAddress), std::move(*port)};
}

bool OffersUpdate(std::wstring_view pageVersion, std::wstring_view installedVersion) {
    const std::wstring_view page = Trimmed(pageVersion);
    const std::wstring_view installed = Trimmed(installedVersion);
    const std::optional<std::vector<unsigned long>> pageParts = DottedNumber(page);
    const std::optional<std::vector<unsigned long>> installedParts = DottedNumber(installed);
    if (!pageParts || !installedParts) return page != installed;
    const std::size_t count = std::max(pageParts->size(), installedParts->size());
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned long pagePart = i < pageParts->size() ? (*pageParts)[i] : 0;
        const unsigned long installedPart = i < installedParts->size() ? (*installedParts)[i] : 0;
        if (pagePart != installedPart) return pagePart > installedPart;
    }
    return false;
}
