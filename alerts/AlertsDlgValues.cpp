#include "alerts/AlertsDlgValues.h"

#include <algorithm>
#include <optional>

#include "alerts/AlertMatcher.h"
#include "newslist/NewsListText.h"

namespace alerts {

namespace {

bool IsBlank(wchar_t unit) { return unit == L' ' || unit == L'\t' || unit == L'\r' || unit == L'\n' || unit == 0x3000; }

// The text as a rule keeps it: one line (a pasted line break or tab becomes a space, as the file would
// store it anyway), without blanks around it.
std::wstring RuleText(std::wstring_view typed) {
    const auto first = std::find_if_not(typed.begin(), typed.end(), IsBlank);
    const auto last = std::find_if_not(typed.rbegin(), typed.rend(), IsBlank).base();
    std::wstring text(first, first < last ? last : first);
    const auto breaksLine = [](wchar_t unit) { return unit == L'\r' || unit == L'\n' || unit == L'\t'; };
    std::replace_if(text.begin(), text.end(), breaksLine, L' ');
    return text;
}

std::wstring RuleNumber(std::size_t index) { return std::to_wstring(index + 1); }

// The rule's required terms as the text has them (its first occurrence of each), in the rule's order and
// joined as a Chinese list. Each term is found on its own, as a one-phrase rule, so that terms that touch
// in the text (美联储加息) are still named apart.
std::wstring WordList(const AlertRule& rule, std::wstring_view visibleText) {
    std::vector<std::wstring> words;
    for (const std::wstring& term : ParseRule(rule.text).required) {
        const AlertRule phrase{L"\"" + term + L"\"", true, true};
        const std::optional<AlertMatch> match = AlertMatcher(std::span(&phrase, 1)).Match(visibleText);
        if (!match || match->words.empty()) continue;
        std::wstring word(visibleText.substr(match->words.front().begin, match->words.front().length));
        if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(std::move(word));
    }
    std::wstring list;
    for (const std::wstring& word : words) list += (list.empty() ? L"" : L"、") + word;
    return list;
}

// The first switched-off rule that would match, so a trader testing a rule sees why it stays quiet.
std::optional<std::size_t> SwitchedOffMatch(std::span<const AlertRule> rules, std::wstring_view visibleText) {
    std::vector<AlertRule> onlySwitchedOff(rules.begin(), rules.end());
    for (AlertRule& rule : onlySwitchedOff) rule.enabled = !rule.enabled;
    const std::optional<AlertMatch> match = AlertMatcher(onlySwitchedOff).Match(visibleText);
    return match ? std::optional(match->rule) : std::nullopt;
}

}  // namespace

std::wstring AddRule(std::vector<AlertRule>& rules, std::wstring_view text) {
    if (rules.size() >= kMaxRules)
        return L"最多可设 " + std::to_wstring(kMaxRules) + L" 条规则。请先删除不再需要的规则，再添加新的。";
    std::wstring ruleText = RuleText(text);
    if (const RuleProblem problem = CheckRule(ruleText); problem != RuleProblem::None) return RuleProblemText(problem);
    rules.push_back({std::move(ruleText), true, true});
    return {};
}

std::wstring ReplaceRule(std::vector<AlertRule>& rules, std::size_t index, std::wstring_view text) {
    std::wstring ruleText = RuleText(text);
    if (const RuleProblem problem = CheckRule(ruleText); problem != RuleProblem::None) return RuleProblemText(problem);
    if (index < rules.size()) rules[index].text = std::move(ruleText);
    return {};
}

TestResult TestHeadline(std::span<const AlertRule> rules, std::wstring_view headline) {
    const std::wstring visibleText = newslist::TitlePlainText(headline);
    if (std::all_of(visibleText.begin(), visibleText.end(), IsBlank)) return {};
    if (const std::optional<AlertMatch> match = AlertMatcher(rules).Match(visibleText)) {
        std::wstring text = L"匹配规则 " + RuleNumber(match->rule) + L"：" + rules[match->rule].text +
                            L" —— 命中：" + WordList(rules[match->rule], visibleText);
        if (!match->sound) text += L"（不播放声音）";
        return {text, true};
    }
    if (const std::optional<std::size_t> switchedOff = SwitchedOffMatch(rules, visibleText))
        return {L"没有规则匹配（规则 " + RuleNumber(*switchedOff) + L" 会匹配，但它已停用）", false};
    return {L"没有规则匹配", false};
}

}  // namespace alerts
