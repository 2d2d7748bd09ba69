#include "alerts/AlertMatcher.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "alerts/TextFolding.h"

namespace alerts {

namespace {

bool IsLatinLetterOrDigit(wchar_t unit) {
    return (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z') || (unit >= L'0' && unit <= L'9');
}

// Which units a text holds, by their low ten bits: a rule needing a unit the text lacks is passed over
// without a search. A false "present" only costs the search.
class UnitSet {
public:
    explicit UnitSet(std::wstring_view text) {
        for (wchar_t unit : text) bits_[Slot(unit) / 64] |= std::uint64_t{1} << (Slot(unit) % 64);
    }
    bool HasAll(std::wstring_view units) const {
        return std::all_of(units.begin(), units.end(),
                           [this](wchar_t unit) { return (bits_[Slot(unit) / 64] >> (Slot(unit) % 64)) & 1; });
    }

private:
    static unsigned Slot(wchar_t unit) { return static_cast<unsigned>(unit) & 1023u; }
    std::array<std::uint64_t, 16> bits_{};
};

// A term's Latin letter or digit at either end only matches at a word's edge there: "eu" is not found
// in "eur", but is in "eu/usd" and "欧元eu". Chinese ends match anywhere.
bool StandsAlone(std::wstring_view text, std::size_t at, std::wstring_view term) {
    const std::size_t end = at + term.size();
    const bool startFree = !IsLatinLetterOrDigit(term.front()) || at == 0 || !IsLatinLetterOrDigit(text[at - 1]);
    const bool endFree = !IsLatinLetterOrDigit(term.back()) || end == text.size() || !IsLatinLetterOrDigit(text[end]);
    return startFree && endFree;
}

// The first place at or after `from` where the term stands as a term, npos when none.
std::size_t FindTerm(std::wstring_view text, std::wstring_view term, std::size_t from = 0) {
    for (std::size_t at = text.find(term, from); at != std::wstring_view::npos; at = text.find(term, at + 1)) {
        if (StandsAlone(text, at, term)) return at;
    }
    return std::wstring_view::npos;
}

bool Occurs(std::wstring_view text, std::wstring_view term) { return FindTerm(text, term) != std::wstring_view::npos; }

// Every occurrence of every term, in order, overlapping and touching ones joined.
std::vector<TextSpan> TermSpans(std::wstring_view text, const std::vector<std::wstring>& terms) {
    std::vector<TextSpan> spans;
    for (const std::wstring& term : terms) {
        for (std::size_t at = FindTerm(text, term); at != std::wstring_view::npos; at = FindTerm(text, term, at + 1))
            spans.push_back({at, term.size()});
    }
    std::sort(spans.begin(), spans.end(), [](const TextSpan& a, const TextSpan& b) { return a.begin < b.begin; });
    std::vector<TextSpan> joined;
    for (const TextSpan& span : spans) {
        if (!joined.empty() && span.begin <= joined.back().begin + joined.back().length) {
            TextSpan& last = joined.back();
            last.length = std::max(last.begin + last.length, span.begin + span.length) - last.begin;
        } else {
            joined.push_back(span);
        }
    }
    return joined;
}

std::wstring DistinctUnits(const std::vector<std::wstring>& terms) {
    std::wstring units;
    for (const std::wstring& term : terms) {
        for (wchar_t unit : term) {
            if (units.find(unit) == std::wstring::npos) units += unit;
        }
    }
    return units;
}

}  // namespace

AlertMatcher::AlertMatcher(std::span<const AlertRule> rules) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (!rules[i].enabled || CheckRule(rules[i].text) != RuleProblem::None) continue;
        RuleTerms terms = ParseRule(rules[i].text);
        std::wstring units = DistinctUnits(terms.required);
        rules_.push_back({i, rules[i].sound, std::move(terms), std::move(units)});
    }
}

std::optional<AlertMatch> AlertMatcher::Match(std::wstring_view visibleText) const {
    if (rules_.empty()) return std::nullopt;
    const std::wstring folded = FoldForMatching(visibleText);
    const UnitSet present(folded);
    for (const CompiledRule& rule : rules_) {
        if (!present.HasAll(rule.requiredUnits)) continue;
        const auto occurs = [&folded](const std::wstring& term) { return Occurs(folded, term); };
        if (!std::all_of(rule.terms.required.begin(), rule.terms.required.end(), occurs)) continue;
        if (std::any_of(rule.terms.excluded.begin(), rule.terms.excluded.end(), occurs)) continue;
        return AlertMatch{rule.index, rule.sound, std::wstring(visibleText), TermSpans(folded, rule.terms.required)};
    }
    return std::nullopt;
}

std::vector<std::wstring> MatchedWords(const AlertMatch& match) {
    std::vector<std::wstring> words;
    for (const TextSpan& span : match.words) {
        if (span.begin < match.visibleText.size()) words.push_back(match.visibleText.substr(span.begin, span.length));
    }
    return words;
}

}  // namespace alerts
