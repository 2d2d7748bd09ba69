#pragma once
// Whether the browser that shows the news list page may go where it is asked to. Nothing the page shows
// may take the list away: the browser loads the blank document the page is put into, and nothing else.
#include <string_view>

namespace newslist {

// True only for the browser's own load of the blank document, before the page has completed; every
// other address, and any address once the page has completed, is refused.
bool IsPagesOwnLoad(std::wstring_view url, bool pageCompleted);

}  // namespace newslist
