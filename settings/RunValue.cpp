#include "settings/RunValue.h"

namespace settings {

std::wstring ExpectedRunData(const std::wstring& programPath) { return L"\"" + programPath + L"\""; }

std::wstring ApplicationNameFromPath(const std::wstring& programPath) {
    const std::size_t folderEnd = programPath.find_last_of(L"\\/");
    std::wstring name = folderEnd == std::wstring::npos ? programPath : programPath.substr(folderEnd + 1);
    const std::size_t extension = name.rfind(L'.');
    if (extension != std::wstring::npos && extension > 0) name.resize(extension);
    return name;
}

}  // namespace settings
