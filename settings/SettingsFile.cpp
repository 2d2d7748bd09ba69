#include "SettingsFile.h"

namespace settings {

std::wstring SingleLineValue(const std::wstring& value) {
    return value.substr(0, value.find_first_of(std::wstring(L"\r\n\0", 3)));
}

}  // namespace settings
