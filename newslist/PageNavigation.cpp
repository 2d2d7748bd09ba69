#include "newslist/PageNavigation.h"

namespace newslist {

bool IsPagesOwnLoad(std::wstring_view url, bool pageCompleted) {
    // The page's bytes are put into this document; they never come from an address of their own.
    return !pageCompleted && url == L"about:blank";
}

}  // namespace newslist
