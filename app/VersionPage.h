#pragma once
// The version page: text with the tag pairs <version>, <serverip> and <port> anywhere in it.
#include <optional>
#include <string>
#include <string_view>

// Only this many bytes of the page are looked at.
inline constexpr std::size_t kVersionPageMaxBytes = 10000;

// The part of a received body that is the page text: at most kVersionPageMaxBytes bytes, up to the
// first NUL byte.
std::string_view VersionPageText(std::string_view body);

struct VersionPage {
    std::wstring version;
    std::wstring serverAddress;
    std::wstring port;
};

// The three values, each the text between the first occurrence of its opening tag and the first
// occurrence of its closing tag, unchanged (tags matched case-sensitively). None when a tag is missing
// or a closing tag comes before its opening tag: such a page (an error page, a captive portal) must
// change nothing.
std::optional<VersionPage> ParseVersionPage(std::wstring_view text);

// Whether a page naming pageVersion offers an update to the installed version. Both are compared without
// surrounding spaces, tabs, CR and LF. Two dotted numbers ("1.0.10") compare part by part, missing parts
// counting as 0, and only a higher page version offers one, so a copy newer than the page (during a
// rollout) is left alone; any other texts offer one whenever they differ.
bool OffersUpdate(std::wstring_view pageVersion, std::wstring_view installedVersion);
