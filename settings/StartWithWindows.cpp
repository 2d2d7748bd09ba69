#include "settings/StartWithWindows.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <optional>

#include "framework/Application.h"
#include "settings/RunValue.h"

namespace settings {

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// A stored text longer than this counts as a failed read.
constexpr DWORD kRunDataCapacity = MAX_PATH;

class RegistryKey {
public:
    enum class Opening { Existing, CreateMissing };

    RegistryKey(HKEY parent, const wchar_t* path, REGSAM access, Opening opening = Opening::Existing) {
        const LSTATUS status =
            opening == Opening::Existing
                ? RegOpenKeyExW(parent, path, 0, access, &key_)
                : RegCreateKeyExW(parent, path, 0, nullptr, 0, access, nullptr, &key_, nullptr);
        if (status != ERROR_SUCCESS) key_ = nullptr;
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

// The value's text under the Run key of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
std::optional<std::wstring> ReadRunDataUnder(HKEY root, const std::wstring& valueName) {
    const RegistryKey run(root, kRunKey, KEY_QUERY_VALUE);
    return run.Get() ? ReadRunData(run.Get(), valueName) : std::nullopt;
}

RunValues ReadRunValues(const std::wstring& valueName) {
    return {ReadRunDataUnder(HKEY_CURRENT_USER, valueName), ReadRunDataUnder(HKEY_LOCAL_MACHINE, valueName)};
}

// The current user's value needs no rights beyond the user's own; a profile without a Run key gets one.
bool ChangeUserRunValue(StartAtLogonChange::User change, const std::wstring& valueName, const std::wstring& expected) {
    using User = StartAtLogonChange::User;
    if (change == User::Keep) return true;
    const RegistryKey run(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE, RegistryKey::Opening::CreateMissing);
    if (!run.Get()) return false;
    if (change == User::Write) return SetRunData(run.Get(), valueName, expected);
    return RegDeleteValueW(run.Get(), valueName.c_str()) == ERROR_SUCCESS;
}

enum class Outcome { Done, Failed, RunEnding };

// Windows 2000, XP and Server 2003 let an administrator write the machine's value directly; later versions
// always go through the elevated second copy. A version that cannot be read counts as the old kind.
bool WritesDirectly() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return !GetVersionExW(&version) || version.dwMajorVersion <= 5;
}

// Runs the program again with administrator rights ("-s false") and waits for it to end with exit code 0.
// The owner is disabled meanwhile, like the owner of a modal dialog, so no second click starts another
// copy, yet it keeps painting; the consent prompt is given it as its owner, so it does not open behind.
Outcome EmptyMachineValueThroughElevatedCopy(HWND owner) {
    const bool disabledHere = owner && !EnableWindow(owner, FALSE);
    const std::wstring program = ProgramPath();
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.hwnd = owner;
    execute.lpVerb = L"runas";
    execute.lpFile = program.c_str();
    execute.lpParameters = L"-s false";
    execute.nShow = SW_HIDE;
    Outcome outcome = Outcome::Failed;
    if (ShellExecuteExW(&execute) && execute.hProcess) {
        DWORD exitCode = 1;
        if (!fw::Application::WaitProcessingMessages(execute.hProcess))
            outcome = Outcome::RunEnding;
        else if (GetExitCodeProcess(execute.hProcess, &exitCode) && exitCode == 0)
            outcome = Outcome::Done;
        CloseHandle(execute.hProcess);
    }
    if (disabledHere) EnableWindow(owner, TRUE);
    return outcome;
}

Outcome EmptyMachineValue(const std::wstring& valueName, HWND owner) {
    if (WritesDirectly() && WriteRunValue(false, valueName)) return Outcome::Done;
    return EmptyMachineValueThroughElevatedCopy(owner);
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
    return StartsAtLogon(ReadRunValues(valueName), ExpectedRunData(ProgramPath()));
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
    const std::wstring expected = ExpectedRunData(ProgramPath());
    const StartAtLogonChange change = DecideStartAtLogonChange(enable, ReadRunValues(valueName), expected);
    bool done = ChangeUserRunValue(change.user, valueName, expected);
    if (change.clearMachine) {
        const Outcome machine = EmptyMachineValue(valueName, owner);
        if (machine == Outcome::RunEnding) return;  // the program is ending: no one is left to tell
        done = done && machine == Outcome::Done;
    }
    if (!done || IsRunValueSet(valueName) != enable) ShowFailure(owner);
}

}  // namespace settings
