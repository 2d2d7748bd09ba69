#include "settings/StartWithWindows.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <optional>

#include "settings/RunValue.h"

namespace settings {

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// A stored text longer than this counts as a failed read.
constexpr DWORD kRunDataCapacity = MAX_PATH;

class RegistryKey {
public:
    RegistryKey(HKEY parent, const wchar_t* path, REGSAM access) {
        if (RegOpenKeyExW(parent, path, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The value's text, or nothing when it is missing or too long.
std::optional<std::wstring> ReadRunData(HKEY runKey, const std::wstring& valueName) {
    wchar_t data[kRunDataCapacity] = {};
    DWORD bytes = sizeof data;
    if (RegQueryValueExW(runKey, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // The stored text may lack its terminating zero.
    return std::wstring(data, wcsnlen(data, std::min<DWORD>(bytes / sizeof(wchar_t), kRunDataCapacity)));
}

bool SetRunData(HKEY runKey, const std::wstring& valueName, const std::wstring& data) {
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(runKey, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          bytes) == ERROR_SUCCESS;
}

// Windows 2000, XP and Server 2003 let an administrator write the value directly; later versions
// always go through the elevated second copy. A version that cannot be read counts as the old kind.
bool WritesDirectly() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return !GetVersionExW(&version) || version.dwMajorVersion <= 5;
}

// Runs the program again with administrator rights ("-s true" / "-s false") and waits for it; true when
// it ended with exit code 0.
bool WriteThroughElevatedCopy(bool enable) {
    const std::wstring program = ProgramPath();
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"runas";
    execute.lpFile = program.c_str();
    execute.lpParameters = enable ? L"-s true" : L"-s false";
    execute.nShow = SW_HIDE;
    if (!ShellExecuteExW(&execute) || !execute.hProcess) return false;
    WaitForSingleObject(execute.hProcess, INFINITE);
    DWORD exitCode = 1;
    const bool read = GetExitCodeProcess(execute.hProcess, &exitCode);
    CloseHandle(execute.hProcess);
    return read && exitCode == 0;
}

void ShowFailure(HWND owner) {
    MessageBoxW(owner, L"设定/取消“开机启动”失败！", ApplicationName().c_str(), MB_OK);
}

}  // namespace

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length < MAX_PATH ? length : 0);
}

std::wstring ApplicationName() { return ApplicationNameFromPath(ProgramPath()); }

bool IsRunValueSet(const std::wstring& valueName) {
    const RegistryKey run(HKEY_LOCAL_MACHINE, kRunKey, KEY_QUERY_VALUE);
    if (!run.Get()) return false;
    return ReadRunData(run.Get(), valueName) == ExpectedRunData(ProgramPath());
}

bool WriteRunValue(bool enable, const std::wstring& valueName) {
    const RegistryKey run(HKEY_LOCAL_MACHINE, kRunKey, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!run.Get()) return false;
    if (!enable) return SetRunData(run.Get(), valueName, L"");
    const std::wstring expected = ExpectedRunData(ProgramPath());
    // Already registered is success; a missing or unreadable value is simply overwritten.
    if (ReadRunData(run.Get(), valueName) == expected) return true;
    return SetRunData(run.Get(), valueName, expected);
}

void ApplyStartWithWindows(bool enable, const std::wstring& valueName, HWND owner) {
    const bool written = (WritesDirectly() && WriteRunValue(enable, valueName)) || WriteThroughElevatedCopy(enable);
    if (!written || IsRunValueSet(valueName) != enable) ShowFailure(owner);
}

}  // namespace settings
