#pragma once
// A headline with its matched words bold, wrapped into lines, for the windows that draw it themselves (the
// standard controls cannot mix bold and regular runs): the pop-up's alert entry and the native news list.
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/AlertMatcher.h"

namespace alerts {

struct TextRun {
    std::wstring text;
    bool bold = false;

    friend bool operator==(const TextRun&, const TextRun&) = default;
};

using TextLine = std::vector<TextRun>;

// The width in pixels of a text drawn in the regular or the bold font.
using MeasureText = std::function<int(std::wstring_view text, bool bold)>;

// Wraps the text into lines of lineWidth pixels, the units of the spans bold (spans reaching past the text
// are cut at its end). A line breaks at a line break of the text, after a blank, or between two characters
// where one of them is Chinese, never before closing punctuation; a run of Latin letters, digits and signs
// (a word such as "EUR/USD") breaks only when it is wider than a line. Blanks at a break are dropped. When
// the text needs more than maxLines lines, the last one ends with "..." where it is cut.
std::vector<TextLine> LayOutMarkedText(std::wstring_view text, std::span<const TextSpan> bold, int lineWidth,
                                       std::size_t maxLines, const MeasureText& measure);

}  // namespace alerts
