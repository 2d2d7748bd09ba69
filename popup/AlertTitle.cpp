#include "popup/AlertTitle.h"

#include <algorithm>
#include <string>

#include "popup/PopupRules.h"

namespace popup {

std::vector<TitleLine> LayOutAlertTitle(std::wstring_view visibleText, std::span<const alerts::TextSpan> words,
                                        int lineWidth, std::size_t maxLines, const alerts::MeasureText& measure) {
    const std::wstring shown = EntryLabelText(std::wstring(visibleText));
    // A cut title ends with "...", which is never bold; everything before it is the visible text's own.
    constexpr std::size_t kEllipsisUnits = 3;
    const std::size_t own = shown.size() == visibleText.size() ? shown.size() : shown.size() - kEllipsisUnits;
    std::vector<alerts::TextSpan> bold;
    for (const alerts::TextSpan& word : words)
        if (word.begin < own) bold.push_back({word.begin, std::min(word.length, own - word.begin)});
    return alerts::LayOutMarkedText(shown, bold, lineWidth, maxLines, measure);
}

}  // namespace popup
