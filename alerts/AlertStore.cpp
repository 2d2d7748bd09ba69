#include "alerts/AlertStore.h"

#include <algorithm>
#include <string>

#include "framework/platform/Diagnostics.h"

namespace alerts {

namespace {

// Far longer than any rule a trader writes; a longer one would come back cut.
constexpr std::size_t kRuleCapacity = 4096;

std::wstring RuleKey(std::size_t number, const wchar_t* suffix = L"") {
    return L"Rule" + std::to_wstring(number) + suffix;
}

// Only "0" switches off: a switch another tool wrote as anything else keeps the alert, which is the
// safer side for a trader.
bool ReadSwitch(const std::wstring& key, const wchar_t* file) {
    return settings::ReadString(kAlertsSection, key.c_str(), L"1", 8, file) != L"0";
}

std::size_t StoredCount(const wchar_t* file) {
    return std::min<std::size_t>(settings::ReadInt(kAlertsSection, L"Count", 0, file), kMaxRules);
}

// One line without breaks, NULs or tabs and without blanks at its ends.
std::wstring StoredText(std::wstring_view text) {
    std::wstring line(text);
    std::replace_if(line.begin(), line.end(), [](wchar_t unit) { return unit == L'\r' || unit == L'\n' || unit == L'\0' || unit == L'\t'; },
                    L' ');
    const std::wstring_view blanks = L" \x3000";
    const std::size_t first = line.find_first_not_of(blanks);
    if (first == std::wstring::npos) return {};
    return line.substr(first, line.find_last_not_of(blanks) - first + 1);
}

}  // namespace

std::vector<AlertRule> ReadAlertRules(const wchar_t* file) {
    std::vector<AlertRule> rules;
    const std::size_t count = StoredCount(file);
    for (std::size_t number = 1; number <= count; ++number) {
        std::wstring text = settings::ReadString(kAlertsSection, RuleKey(number).c_str(), L"", kRuleCapacity, file);
        const RuleProblem problem = CheckRule(text);
        if (problem != RuleProblem::None) {
            platform::DiagnosticLine(L"Setting.ini [Alerts] " + RuleKey(number) + L" skipped: " +
                                     (text.empty() ? std::wstring(L"missing or empty") : RuleProblemText(problem)));
            continue;
        }
        rules.push_back({std::move(text), ReadSwitch(RuleKey(number, L"On"), file), ReadSwitch(RuleKey(number, L"Sound"), file)});
    }
    return rules;
}

bool WriteAlertRules(std::span<const AlertRule> rules, const wchar_t* file) {
    const std::size_t count = std::min(rules.size(), kMaxRules);
    std::vector<std::wstring> texts;
    std::wstring allTexts;
    for (std::size_t i = 0; i < count; ++i) {
        texts.push_back(StoredText(rules[i].text));
        allTexts += texts.back();
    }
    if (!settings::PrepareFor(allTexts, file)) return false;
    const std::size_t oldCount = StoredCount(file);
    for (std::size_t number = 1; number <= count; ++number) {
        const AlertRule& rule = rules[number - 1];
        // The profile functions take one pair of enclosing quotes off a value: this pair, never the rule's own.
        if (!settings::WriteString(kAlertsSection, RuleKey(number).c_str(), L"\"" + texts[number - 1] + L"\"", file) ||
            !settings::WriteString(kAlertsSection, RuleKey(number, L"On").c_str(), rule.enabled ? L"1" : L"0", file) ||
            !settings::WriteString(kAlertsSection, RuleKey(number, L"Sound").c_str(), rule.sound ? L"1" : L"0", file))
            return false;
    }
    if (!settings::WriteString(kAlertsSection, L"Count", std::to_wstring(count), file)) return false;
    for (std::size_t number = count + 1; number <= oldCount; ++number) {
        for (const wchar_t* suffix : {L"", L"On", L"Sound"}) {
            if (!settings::DeleteKey(kAlertsSection, RuleKey(number, suffix).c_str(), file)) return false;
        }
    }
    return true;
}

bool WriteAlertsThroughFullScreen(bool through, const wchar_t* file) {
    return settings::WriteString(kAlertsSection, kFullScreenKey, through ? L"1" : L"0", file);
}

}  // namespace alerts
