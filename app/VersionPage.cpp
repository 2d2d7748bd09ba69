#include "app/VersionPage.h"

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
