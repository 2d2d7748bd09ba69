#include <windows.h>
#include <shellapi.h>

#include "framework/platform/Diagnostics.h"
#include "newslist/ServerLink.h"

namespace newslist {

bool OpenServerLink(const std::wstring& link) {
    const std::optional<std::wstring> target = ServerLinkTarget(link);
    if (!target) {
        platform::DiagnosticLine(L"Not opened, not a web link: " + link);
        return false;
    }
    // ShellExecute reports success as a value above 32.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target->c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace newslist
