#include "alerts/AlertMatcher.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "alerts/TextFolding.h"

namespace alerts {

namespace {

bool IsLatinLetterOrDigit(wchar_t unit) {
    return (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z') || (unit >= L'0' && unit <= L'9');
}

// The units a text holds, 256 bits by a hash of each unit. ASCII keeps its own bit; Chinese characters
// spread by their low byte mixed with their high byte.
using UnitBits = std::array<std::uint64_t, 4>;
constexpr unsigned kUnitBits = 256;

UnitBits UnitsOf(std::wstring_view text) {
    // Four words in registers: an array in memory would make each unit wait for the store of the last.
    std::uint64_t word0 = 0, word1 = 0, word2 = 0, word3 = 0;
    for (wchar_t unit : text) {
        const unsigned code = static_cast<unsigned>(unit) & 0xFFFFu;
        const unsigned bit = (code ^ (code >> 8)) % kUnitBits;
        const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
        word0 |= bit / 64 == 0 ? mask : 0;
        word1 |= bit / 64 == 1 ? mask : 0;
        word2 |= bit / 64 == 2 ? mask : 0;
        word3 |= bit / 64 == 3 ? mask : 0;
    }
    return {word0, word1, word2, word3};
}

bool HasAll(const UnitBits& present, const UnitBits& needed) {
    return ((needed[0] & ~present[0]) | (needed[1] & ~present[1]) | (needed[2] & ~present[2]) | (needed[3] & ~present[3])) == 0;
}

template <typename Visit>
void ForEachBit(const UnitBits& bits, Visit visit) {
    for (unsigned word = 0; word < bits.size(); ++word) {
        for (std::uint64_t rest = bits[word]; rest != 0; rest &= rest - 1)
            visit(word * 64 + static_cast<unsigned>(std::countr_zero(rest)));
    }
}

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
    spans.reserve(terms.size() * 2);
    for (const std::wstring& term : terms) {
        for (std::size_t at = FindTerm(text, term); at != std::wstring_view::npos; at = FindTerm(text, term, at + 1))
            spans.push_back({at, term.size()});
    }
    std::sort(spans.begin(), spans.end(), [](const TextSpan& a, const TextSpan& b) { return a.begin < b.begin; });
    std::size_t joined = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (joined > 0 && spans[i].begin <= spans[joined - 1].begin + spans[joined - 1].length) {
            TextSpan& last = spans[joined - 1];
            last.length = std::max(last.begin + last.length, spans[i].begin + spans[i].length) - last.begin;
        } else {
            spans[joined++] = spans[i];
        }
    }
    spans.resize(joined);
    return spans;
}

}  // namespace

AlertMatcher::AlertMatcher(std::span<const AlertRule> rules) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (!rules[i].enabled || CheckRule(rules[i].text) != RuleProblem::None) continue;
        RuleTerms terms = ParseRule(rules[i].text);
        UnitBits units{};
        for (const std::wstring& term : terms.required) {
            const UnitBits termUnits = UnitsOf(term);
            for (std::size_t word = 0; word < units.size(); ++word) units[word] |= termUnits[word];
        }
        rules_.push_back({units, i, rules[i].sound, std::move(terms)});
    }
    std::array<std::uint32_t, kUnitBits> sharing{};
    for (const CompiledRule& rule : rules_) ForEachBit(rule.requiredUnits, [&sharing](unsigned bit) { ++sharing[bit]; });
    std::vector<unsigned> filedUnder;
    for (const CompiledRule& rule : rules_) {
        unsigned rarest = kUnitBits;
        ForEachBit(rule.requiredUnits, [&](unsigned bit) {
            if (rarest == kUnitBits || sharing[bit] < sharing[rarest]) rarest = bit;
        });
        filedUnder.push_back(rarest);
    }
    bitStart_.assign(kUnitBits + 1, 0);
    for (unsigned bit : filedUnder) ++bitStart_[bit + 1];
    for (unsigned bit = 0; bit < kUnitBits; ++bit) bitStart_[bit + 1] += bitStart_[bit];
    rulesByBit_.resize(rules_.size());
    std::vector<std::uint32_t> next(bitStart_.begin(), bitStart_.end() - 1);
    for (std::uint32_t place = 0; place < rules_.size(); ++place) rulesByBit_[next[filedUnder[place]]++] = place;
}

std::optional<AlertMatch> AlertMatcher::Match(std::wstring_view visibleText) const {
    if (rules_.empty()) return std::nullopt;
    // A headline is short: folding it on the stack spares an allocation for each one.
    std::array<wchar_t, 256> onStack;
    std::wstring onHeap(visibleText.size() > onStack.size() ? visibleText.size() : 0, L'\0');
    wchar_t* const buffer = onHeap.empty() ? onStack.data() : onHeap.data();
    FoldForMatching(visibleText, buffer);
    const std::wstring_view folded(buffer, visibleText.size());
    const UnitBits present = UnitsOf(folded);
    const auto occurs = [folded](const std::wstring& term) { return Occurs(folded, term); };
    const CompiledRule* first = nullptr;
    ForEachBit(present, [&](unsigned bit) {
        for (std::uint32_t k = bitStart_[bit]; k < bitStart_[bit + 1]; ++k) {
            const CompiledRule& rule = rules_[rulesByBit_[k]];
            if ((first && first->index < rule.index) || !HasAll(present, rule.requiredUnits)) continue;
            if (std::all_of(rule.terms.required.begin(), rule.terms.required.end(), occurs) &&
                std::none_of(rule.terms.excluded.begin(), rule.terms.excluded.end(), occurs))
                first = &rule;
        }
    });
    if (!first) return std::nullopt;
    return AlertMatch{first->index, first->sound, std::wstring(visibleText), TermSpans(folded, first->terms.required)};
}

std::vector<std::wstring> MatchedWords(const AlertMatch& match) {
    std::vector<std::wstring> words;
    for (const TextSpan& span : match.words) {
        if (span.begin < match.visibleText.size()) words.push_back(match.visibleText.substr(span.begin, span.length));
    }
    return words;
}

}  // namespace alerts
