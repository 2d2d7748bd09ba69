#pragma once
// Access to Setting.ini. There is no settings object: every reader and writer goes to the file at the
// moment of use, so a value written anywhere is seen by the next read. On Windows the platform's
// private-profile functions do the work; elsewhere a small INI reader and writer with the same rules:
// defaults for a missing file, section or key; values cut to capacity - 1; file, section and key created
// by the first write; section and key names matched without regard to case.
#include <cstddef>
#include <string>
#include <string_view>

namespace settings {

// Every reader and writer addresses the file relative to the working directory.
inline constexpr const wchar_t* kSettingsFile = L".\\Setting.ini";

inline constexpr const wchar_t* kConnection = L"Connection";
inline constexpr const wchar_t* kProperties = L"Properties";

// GetPrivateProfileStringW: the value, or the default when missing; at most capacity - 1 characters.
std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                        std::size_t capacity, const wchar_t* file = kSettingsFile);

// GetPrivateProfileStringA: the same through the 8-bit interface (used for the server address).
std::string ReadNarrowString(const wchar_t* section, const wchar_t* key, const char* defaultValue,
                             std::size_t capacity, const wchar_t* file = kSettingsFile);

// GetPrivateProfileIntW: the value read as an integer, the default when the key is missing or empty.
unsigned ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue, const wchar_t* file = kSettingsFile);

// WritePrivateProfileStringW. The value is written up to its first CR, LF or NUL, so text from the
// server can never add or change other keys. False when the write failed.
bool WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value,
                 const wchar_t* file = kSettingsFile);

// WritePrivateProfileStringW with no value: removes the key. True when the key is gone (or never was).
bool DeleteKey(const wchar_t* section, const wchar_t* key, const wchar_t* file = kSettingsFile);

// Makes sure the file can hold the text before it is written. A file kept in the system's code page that
// cannot hold it is turned into UTF-16 with its byte-order mark once, every key kept (the profile
// functions read and write such a file as Unicode); a missing file is created so. False when that failed.
bool PrepareFor(std::wstring_view text, const wchar_t* file = kSettingsFile);

// The part of a value that may be written: everything before its first CR, LF or NUL.
std::wstring SingleLineValue(const std::wstring& value);

}  // namespace settings
