#pragma once
// The keyword dialog's decisions, made without a window: the edits of its rule list (refused with the
// message to show when the rule has a problem or the list is full) and the result line of its test box.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/AlertRules.h"

namespace alerts {

// Adds a rule, switched on and with sound, at the end of the list. The text is kept as typed, its leading
// and trailing blanks dropped. Returns the message that refuses it (empty when added); a refused rule
// leaves the list as it was.
std::wstring AddRule(std::vector<AlertRule>& rules, std::wstring_view text);

// Gives the rule at index a new text, keeping its switches; refused as AddRule refuses.
std::wstring ReplaceRule(std::vector<AlertRule>& rules, std::size_t index, std::wstring_view text);

// The test box's result line for a headline (its markup as the server sends it): which rule, as the program
// would route it, matches its visible text and with which words, or that none does; empty for a blank
// headline. matched tells the two apart, so the dialog can colour the line.
struct TestResult {
    std::wstring text;
    bool matched = false;
};
TestResult TestHeadline(std::span<const AlertRule> rules, std::wstring_view headline);

}  // namespace alerts
