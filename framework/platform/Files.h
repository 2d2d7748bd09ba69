#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace platform {

// The process's current directory without a trailing separator; empty when it cannot be read.
std::wstring CurrentDirectory();

// The separator between a folder and a file name: '\' on Windows, '/' elsewhere.
wchar_t PathSeparator();

// Writes the bytes to a temporary file beside the target and moves it into place, so a reader
// never sees half a file and a failed write leaves the old file as it was.
bool ReplaceFileAtomically(const std::wstring& path, std::span<const std::uint8_t> bytes);

}  // namespace platform
