#pragma once
// Start at logon: a string value under a Run key, named after the application and holding the quoted
// program path. The settings dialog registers the program for the current user (HKCU), which needs no
// administrator rights and fits a program installed into the user's own folder. The "-s true" / "-s false"
// command line registers it for every user of the machine (HKLM), for desks managed by an administrator;
// the dialog shows that registration too and removes it through an elevated second copy ("-s false").
#include <windows.h>

#include <string>

namespace settings {

// The full path of the running program (at most 260 UTF-16 units).
std::wstring ProgramPath();
// The program file's base name without its extension: the Run value's name and the caption of the
// program's own message boxes.
std::wstring ApplicationName();

// True when the current user's or the machine's value holds exactly the quoted program path.
bool IsRunValueSet(const std::wstring& valueName);

// The command line's change of the machine's value, in this process: registers (the quoted program path) or
// removes (an empty string). True when the value holds what was asked for afterwards; false when the key
// cannot be opened for writing (no administrator rights) or the write failed.
bool WriteRunValue(bool enable, const std::wstring& valueName);

// The settings dialog's change. Registering writes the current user's value. Removing deletes the current
// user's value when it names this copy, and empties the machine's value when that names this copy, through
// an elevated second copy; `owner` stays disabled meanwhile and owns the consent prompt, while its messages
// go on. Any failure, and a registration that does not match the wish afterwards, is reported in a message
// box owned by `owner`.
void ApplyStartWithWindows(bool enable, const std::wstring& valueName, HWND owner);

}  // namespace settings
