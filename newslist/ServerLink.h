#pragma once
// Links chosen by the server (headlines, pop-up entries, banners) are opened through one helper, so a
// link can never start a program or open a local file: only web links reach the shell.
#include <optional>
#include <string>
#include <string_view>

namespace newslist {

// What the shell is given for a server link: an http:// or https:// link as it is (scheme matched
// without regard to case), a link beginning with "www." as an http:// link; nothing for anything else.
std::optional<std::wstring> ServerLinkTarget(std::wstring_view link);

#ifdef _WIN32
// Opens a server link in the user's browser. A link that is not opened leaves a diagnostic line.
// True when the shell accepted it.
bool OpenServerLink(const std::wstring& link);
#endif

}  // namespace newslist
