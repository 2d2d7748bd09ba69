#pragma once
// The title of an alert's pop-up entry, which the entry draws itself because the standard controls cannot
// mix bold and regular runs: the headline's visible text shortened like any entry's title, the rule's
// matched words bold, wrapped into the title's lines.
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "alerts/AlertMatcher.h"
#include "alerts/MarkedTextLayout.h"

namespace popup {

using TitleRun = alerts::TextRun;
using TitleLine = alerts::TextLine;

// Shortens the text like EntryLabelText, bolds the words (spans over the visible text; what the cut drops
// is dropped), and wraps it into at most maxLines lines of lineWidth pixels (see alerts::LayOutMarkedText).
std::vector<TitleLine> LayOutAlertTitle(std::wstring_view visibleText, std::span<const alerts::TextSpan> words,
                                        int lineWidth, std::size_t maxLines, const alerts::MeasureText& measure);

}  // namespace popup
