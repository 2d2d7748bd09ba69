#pragma once
// Start at logon: one string value under the machine-wide Run key, named after the application and
// holding the quoted program path. Changing it needs administrator rights, so the settings dialog's
// change runs an elevated second copy of the program ("-s true" / "-s false") to do the writing.
#include <windows.h>

#include <string>

namespace settings {

// The full path of the running program (at most 260 UTF-16 units).
std::wstring ProgramPath();
// The program file's base name without its extension: the Run value's name and the caption of the
// program's own message boxes.
std::wstring ApplicationName();

// True when the value exists and holds exactly the quoted program path.
bool IsRunValueSet(const std::wstring& valueName);

// Registers (the quoted program path) or removes (an empty string) in this process. True when the value
// holds what was asked for afterwards; false when the key cannot be opened for writing (no
// administrator rights) or the write failed.
bool WriteRunValue(bool enable, const std::wstring& valueName);

// The settings dialog's change: on Windows Vista and later (or when a direct write fails) an elevated
// second copy writes the value; the caller's thread waits for it. Any failure, and a registration that
// does not match the wish afterwards, is reported in a message box owned by `owner`.
void ApplyStartWithWindows(bool enable, const std::wstring& valueName, HWND owner);

}  // namespace settings
