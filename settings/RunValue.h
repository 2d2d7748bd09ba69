#pragma once
// What the start-at-logon registration holds, and what a change of it has to do, stated without the registry.
#include <optional>
#include <string>

namespace settings {

// The data a registered value holds: the program path in double quotes.
std::wstring ExpectedRunData(const std::wstring& programPath);

// The application name: the program file's name without folder and extension.
std::wstring ApplicationNameFromPath(const std::wstring& programPath);

// The value of the application's name under the two Run keys: nothing when it is missing or unreadable.
struct RunValues {
    std::optional<std::wstring> user;     // the current user's key
    std::optional<std::wstring> machine;  // the machine's key, written for every user by "-s true"
};

// Whether this copy starts at logon: either key names it (holds `expected` exactly).
bool StartsAtLogon(const RunValues& values, const std::wstring& expected);

// What the settings dialog's box does to the two values. Only a value that names this copy is removed: a
// value of the same name may belong to another copy of the program, or to another user's install.
struct StartAtLogonChange {
    enum class User { Keep, Write, Delete };
    User user = User::Keep;
    bool clearMachine = false;  // needs administrator rights: the elevated second copy does it
};
StartAtLogonChange DecideStartAtLogonChange(bool enable, const RunValues& values, const std::wstring& expected);

}  // namespace settings
