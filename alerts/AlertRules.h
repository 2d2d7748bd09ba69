#pragma once
// Keyword alert rules as the user writes them, the way traders write search terms: words separated by
// spaces must all appear, a phrase in double quotes must appear as written, a word with a leading "-"
// must not appear. Example: 美联储 加息 -传闻   "非农就业"   EUR USD
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace alerts {

inline constexpr std::size_t kMaxRules = 100;

// One rule as stored: its text, whether it is on, and whether its alerts play the alert sound.
struct AlertRule {
    std::wstring text;
    bool enabled = true;
    bool sound = true;

    friend bool operator==(const AlertRule&, const AlertRule&) = default;
};

enum class RuleProblem {
    None,
    Empty,           // nothing but blanks (or empty quotes)
    UnclosedQuote,   // a double quote without its partner
    OnlyExclusions,  // every term begins with "-": nothing could ever match
};

// A rule's terms, folded for matching (see TextFolding.h). A phrase is one term that may hold spaces.
struct RuleTerms {
    std::vector<std::wstring> required;
    std::vector<std::wstring> excluded;
};

// What is wrong with a rule's text, RuleProblem::None when it can be used.
RuleProblem CheckRule(std::wstring_view text);

// The rule's terms; empty terms (a problem other than None) match nothing.
RuleTerms ParseRule(std::wstring_view text);

// The message the keyword dialog shows for a refused rule (Simplified Chinese); empty for None.
std::wstring RuleProblemText(RuleProblem problem);

}  // namespace alerts
