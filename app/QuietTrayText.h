#pragma once
// What the tray says while the pop-up keeps quiet: the menu's line of the user's choice and its end, and
// the icon's tip.
#include <cstddef>
#include <string>

#include "popup/QuietRules.h"

// "免打扰至 14:30" today, "免打扰至 明天 08:00" tomorrow, "免打扰至 12-25 08:00" later, "免打扰中（手动结束）"
// until turned off; empty when the choice is off or has ended at now.
std::wstring QuietStateText(const popup::QuietChoice& choice, popup::LocalMinute now);

// "免打扰中：已收到 N 条快讯", or "免打扰中" while nothing waited.
std::wstring QuietTipText(std::size_t waiting);
