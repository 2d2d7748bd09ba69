// Setting.ini through the platform's private-profile functions.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/platform/Files.h"
#include "SettingsFile.h"

namespace settings {

namespace {

constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Whether the system code page, in which the profile functions keep a file without a byte-order mark,
// holds the text unchanged.
bool FitsCodePage(std::wstring_view text) {
    if (text.empty() || GetACP() == CP_UTF8) return true;  // UTF-8 takes neither the flag nor the question
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                         0, nullptr, &usedDefault);
    return size > 0 && !usedDefault;
}

// The file's bytes; an empty optional when it does not exist, `failed` when it exists but cannot be read.
std::optional<std::string> ReadFileBytes(const wchar_t* file, bool& failed) {
    failed = false;
    HANDLE handle = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        failed = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        failed = !ReadFile(handle, chunk, sizeof chunk, &got, nullptr);
        if (failed || got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(handle);
    return bytes;
}

std::wstring Decode(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

bool WriteUtf16File(const wchar_t* file, std::wstring_view text) {
    std::vector<std::uint8_t> bytes(kUtf16LittleEndianMark.begin(), kUtf16LittleEndianMark.end());
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    }
    return platform::ReplaceFileAtomically(file, bytes);
}

// Writes what the profile functions hold back and lets them forget the file, so they read it afresh.
void FlushProfileCache(const wchar_t* file) { WritePrivateProfileStringW(nullptr, nullptr, nullptr, file); }

}  // namespace

std::wstring ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue, std::size_t capacity,
                        const wchar_t* file) {
    if (capacity == 0) return {};
    std::vector<wchar_t> buffer(capacity, L'\0');
    DWORD length = GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), static_cast<DWORD>(capacity), file);
    return std::wstring(buffer.data(), length);
}

std::string ReadNarrowString(const wchar_t* section, const wchar_t* key, const char* defaultValue, std::size_t capacity,
                             const wchar_t* file) {
    if (capacity == 0) return {};
    auto narrow = [](const wchar_t* text) {
        int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
        std::string out(size > 0 ? static_cast<std::size_t>(size) : 1u, '\0');
        WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
        return out;
    };
    std::string narrowSection = narrow(section), narrowKey = narrow(key), narrowFile = narrow(file);
    std::vector<char> buffer(capacity, '\0');
    DWORD length = GetPrivateProfileStringA(narrowSection.c_str(), narrowKey.c_str(), defaultValue, buffer.data(),
                                            static_cast<DWORD>(capacity), narrowFile.c_str());
    return std::string(buffer.data(), length);
}

unsigned ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue, const wchar_t* file) {
    return GetPrivateProfileIntW(section, key, defaultValue, file);
}

bool WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value, const wchar_t* file) {
    return WritePrivateProfileStringW(section, key, SingleLineValue(value).c_str(), file) != FALSE;
}

bool DeleteKey(const wchar_t* section, const wchar_t* key, const wchar_t* file) {
    return WritePrivateProfileStringW(section, key, nullptr, file) != FALSE;
}

bool PrepareFor(std::wstring_view text, const wchar_t* file) {
    if (FitsCodePage(text)) return true;
    FlushProfileCache(file);
    bool failed = false;
    const std::optional<std::string> bytes = ReadFileBytes(file, failed);
    if (failed) return false;  // converting now would lose keys it could not read
    const std::string_view old = bytes ? std::string_view(*bytes) : std::string_view();
    if (old.starts_with(kUtf16LittleEndianMark) || old.starts_with(kUtf16BigEndianMark)) return true;
    const std::wstring oldText = old.starts_with(kUtf8Mark) ? Decode(old.substr(kUtf8Mark.size()), CP_UTF8) : Decode(old, CP_ACP);
    const bool converted = WriteUtf16File(file, oldText);  // a missing file is created with the mark alone
    FlushProfileCache(file);
    return converted;
}

}  // namespace settings
