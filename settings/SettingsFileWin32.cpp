// Setting.ini through the platform's private-profile functions.
#include <windows.h>

#include <vector>

#include "SettingsFile.h"

namespace settings {

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

}  // namespace settings
