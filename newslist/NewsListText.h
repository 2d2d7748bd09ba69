#pragma once
// What the news list shows, decided without a window: the time text of a row, the address of the busy
// picture for the page, and a title's markup as the plain text the native list draws.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace newslist {

// The publish time (seconds since 1970-01-01 UTC) in local time as "09月06日  09:05"; nothing for a time
// before 1970 or after the end of the year 3000, or one the local-time conversion refuses.
std::optional<std::wstring> ListTimeText(std::int64_t publishTime);

// The page's address of a busy picture file: "file:///" and the path with "\" turned into "/" and spaces
// into "%20"; the empty string for no picture.
std::wstring BusyPictureUrl(const std::wstring& picturePath);

// A title's text as the page would show it, without its markup: tags and comments dropped, the contents
// of script and style elements dropped, character references decoded, white space runs collapsed to
// one space, and line breaks (<br>, paragraph and block ends) kept as "\n".
std::wstring TitlePlainText(std::wstring_view markup);

}  // namespace newslist
