#pragma once
// What the start-at-logon registration holds, stated without the registry.
#include <string>

namespace settings {

// The data a registered value holds: the program path in double quotes.
std::wstring ExpectedRunData(const std::wstring& programPath);

// The application name: the program file's name without folder and extension.
std::wstring ApplicationNameFromPath(const std::wstring& programPath);

}  // namespace settings
