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

bool StartsAtLogon(const RunValues& values, const std::wstring& expected) {
    return values.user == expected || values.machine == expected;
}

StartAtLogonChange DecideStartAtLogonChange(bool enable, const RunValues& values, const std::wstring& expected) {
    using User = StartAtLogonChange::User;
    // Registered already in either key: a second value would start the program twice at logon.
    if (enable) return {StartsAtLogon(values, expected) ? User::Keep : User::Write, false};
    return {values.user == expected ? User::Delete : User::Keep, values.machine == expected};
}

}  // namespace settings
