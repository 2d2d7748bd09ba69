#include "settings/SettingDlgValues.h"

#include "settings/SettingKeys.h"
#include "settings/SettingsRules.h"

namespace settings {

bool CheckBoxStateFromSetting(const std::wstring& text) { return ParseShowSwitch(text).value_or(false); }

int ListSelectionFromSetting(const std::wstring& text, int itemCount) {
    if (text == kNone) return -1;
    const int index = ParseSettingInt(text);
    return index >= 0 && index < itemCount ? index : -1;
}

}  // namespace settings
