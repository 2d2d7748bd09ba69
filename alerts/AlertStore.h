#pragma once
// The alert rules in Setting.ini, section [Alerts]: Count, and for each rule k from 1 to Count the keys
// Rule<k> (its text), Rule<k>On and Rule<k>Sound ("1" or "0"; absent means "1"). Other tools write this
// format too. A missing section means no rules; a missing or unusable rule is skipped with a diagnostic
// line.
#include <span>
#include <vector>

#include "alerts/AlertRules.h"
#include "settings/SettingsFile.h"

namespace alerts {

inline constexpr const wchar_t* kAlertsSection = L"Alerts";
// "1" lets alerts through while a full-screen program has the foreground; anything else holds them.
inline constexpr const wchar_t* kFullScreenKey = L"FullScreen";

std::vector<AlertRule> ReadAlertRules(const wchar_t* file = settings::kSettingsFile);

// Replaces the stored rules (at most kMaxRules). A line break in a rule's text is stored as a space, so
// no rule can add a key. False when the file could not be written.
bool WriteAlertRules(std::span<const AlertRule> rules, const wchar_t* file = settings::kSettingsFile);

// [Alerts] FullScreen, "1" when keyword alerts come through a full-screen program too (the pop-up's quiet
// rules read it), "0" when they wait. False when the file could not be written.
bool WriteAlertsThroughFullScreen(bool through, const wchar_t* file = settings::kSettingsFile);

}  // namespace alerts
