#pragma once
// The title of an alert's pop-up entry, which the entry draws itself because the standard controls cannot
// mix bold and regular runs: the headline's visible text shortened like any entry's title, the rule's
// matched words bold, wrapped into the title's lines.
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/AlertMatcher.h"

namespace popup {

struct TitleRun {
    std::wstring text;
    bool bold = false;

    friend bool operator==(const TitleRun&, const TitleRun&) = default;
};

using TitleLine = std::vector<TitleRun>;

// The width in pixels of a text drawn in the regular or the bold font.
using MeasureText = std::function<int(std::wstring_view text, bool bold)>;

// Shortens the text like EntryLabelText, bolds the words (spans over the visible text; what the cut drops
// is dropped), and wraps it into at most maxLines lines of lineWidth pixels. A line breaks after a blank,
// or between two characters where one of them is Chinese, never before closing punctuation; a run of
// Latin letters, digits and signs (a word such as "EUR/USD") breaks only when it is wider than a line.
// Blanks at a break are dropped. What does not fit in the last line is cut and ends with "...".
std::vector<TitleLine> LayOutAlertTitle(std::wstring_view visibleText, std::span<const alerts::TextSpan> words,
                                        int lineWidth, std::size_t maxLines, const MeasureText& measure);

}  // namespace popup
