#include "alerts/AlertRules.h"

#include "alerts/TextFolding.h"

namespace alerts {

namespace {

// Blanks after folding: the ideographic space has become a space by then.
bool IsBlank(wchar_t unit) { return unit == L' ' || unit == L'\t'; }

bool IsOnlyBlanks(std::wstring_view text) {
    for (wchar_t unit : text) {
        if (!IsBlank(unit)) return false;
    }
    return true;
}

struct ParsedRule {
    RuleTerms terms;
    RuleProblem problem = RuleProblem::None;
};

// Reads the folded text term by term: a word runs to the next blank or double quote, a phrase from its
// double quote to the next one; a "-" right before either makes it an exclusion. A lone "-", an empty
// phrase and a phrase of blanks are no terms.
ParsedRule Parse(std::wstring_view text) {
    const std::wstring folded = FoldForMatching(text);
    const std::wstring_view rest(folded);
    ParsedRule parsed;
    std::size_t i = 0;
    while (i < rest.size()) {
        if (IsBlank(rest[i])) {
            ++i;
            continue;
        }
        const bool excluded = rest[i] == L'-';
        if (excluded) ++i;
        std::wstring_view term;
        if (i < rest.size() && rest[i] == L'"') {
            const std::size_t close = rest.find(L'"', i + 1);
            if (close == std::wstring_view::npos) return {{}, RuleProblem::UnclosedQuote};
            term = rest.substr(i + 1, close - i - 1);
            i = close + 1;
            if (IsOnlyBlanks(term)) continue;
        } else {
            const std::size_t start = i;
            while (i < rest.size() && !IsBlank(rest[i]) && rest[i] != L'"') ++i;
            term = rest.substr(start, i - start);
            if (term.empty()) continue;
        }
        (excluded ? parsed.terms.excluded : parsed.terms.required).emplace_back(term);
    }
    if (parsed.terms.required.empty()) {
        parsed.problem = parsed.terms.excluded.empty() ? RuleProblem::Empty : RuleProblem::OnlyExclusions;
        parsed.terms = {};
    }
    return parsed;
}

}  // namespace

RuleProblem CheckRule(std::wstring_view text) { return Parse(text).problem; }

RuleTerms ParseRule(std::wstring_view text) { return Parse(text).terms; }

std::wstring RuleProblemText(RuleProblem problem) {
    switch (problem) {
    case RuleProblem::None:
        return {};
    case RuleProblem::Empty:
        return L"提醒规则不能为空：请至少写一个关键词。";
    case RuleProblem::UnclosedQuote:
        return L"引号没有配对：请在短语两端各加一个英文双引号。";
    case RuleProblem::OnlyExclusions:
        return L"规则只有排除词（以“-”开头），什么也不会提醒：请至少写一个要包含的词。";
    }
    return {};
}

}  // namespace alerts
