#pragma once
// Which rule a headline's visible text matches, and where the words it matched stand in that text.
// Built once from the rules (parsing and folding them), used for every live headline where it is routed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/AlertRules.h"

namespace alerts {

// A run of UTF-16 units in the visible text.
struct TextSpan {
    std::size_t begin = 0;
    std::size_t length = 0;

    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// A headline that matched an enabled rule: the first such rule in the list.
struct AlertMatch {
    std::size_t rule = 0;          // index in the rules the matcher was built from
    bool sound = true;             // the rule's sound switch
    std::wstring visibleText;      // the headline's text as shown: markup dropped, references decoded
    std::vector<TextSpan> words;   // every occurrence of the rule's required terms, in order, not overlapping

    friend bool operator==(const AlertMatch&, const AlertMatch&) = default;
};

class AlertMatcher {
public:
    AlertMatcher() = default;
    // Disabled rules and rules with a problem are left out.
    explicit AlertMatcher(std::span<const AlertRule> rules);

    bool Empty() const { return rules_.empty(); }

    // Matches a visible text (see newslist::TitlePlainText). A term of Latin letters or digits matches
    // whole words only; a term holding Chinese characters matches anywhere.
    std::optional<AlertMatch> Match(std::wstring_view visibleText) const;

private:
    struct CompiledRule {
        // Its required units as 256 bits, one by a hash of each unit: a text lacking any of them is passed
        // over without a search.
        std::array<std::uint64_t, 4> requiredUnits;
        std::size_t index;
        bool sound;
        RuleTerms terms;
    };
    std::vector<CompiledRule> rules_;
    // Each rule is filed under one hash bit of its required units, the one the fewest rules share; a text
    // is tried only against the rules filed under the bits of its own units. The rules of bit b are
    // rulesByBit_[bitStart_[b]] up to rulesByBit_[bitStart_[b + 1]], by their place in rules_.
    std::vector<std::uint32_t> bitStart_;
    std::vector<std::uint32_t> rulesByBit_;
};

// The matched words as they appear in the visible text, in order (the list page bolds these).
std::vector<std::wstring> MatchedWords(const AlertMatch& match);

}  // namespace alerts
