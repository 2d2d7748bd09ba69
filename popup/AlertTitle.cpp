#include "popup/AlertTitle.h"

#include <algorithm>

#include "popup/PopupRules.h"

namespace popup {

namespace {

constexpr std::wstring_view kEllipsis = L"...";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

// Chinese, Japanese and Korean characters and their full-width punctuation: a line may break beside them.
bool IsWide(wchar_t c) { return c >= 0x2E80 && !(c >= 0xD800 && c <= 0xDFFF); }

// Punctuation that must not begin a line.
bool IsClosing(wchar_t c) {
    constexpr std::wstring_view kClosing = L"，。、；：！？）」』】》〉”’,.;:!?)%";
    return kClosing.find(c) != std::wstring_view::npos;
}

bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The title as laid out: its units and which of them are bold.
struct StyledText {
    std::wstring text;
    std::vector<bool> bold;
};

StyledText Styled(std::wstring_view visibleText, std::span<const alerts::TextSpan> words) {
    StyledText styled{EntryLabelText(std::wstring(visibleText)), {}};
    styled.bold.assign(styled.text.size(), false);
    // A cut title ends with "...", which is never bold; everything before it is the visible text's own.
    const std::size_t own = styled.text.size() == visibleText.size() ? visibleText.size()
                                                                     : styled.text.size() - kEllipsis.size();
    for (const alerts::TextSpan& word : words)
        for (std::size_t i = word.begin; i < own && i - word.begin < word.length; ++i) styled.bold[i] = true;
    return styled;
}

// The runs of [begin, end) of the styled text, one per change between regular and bold.
TitleLine Runs(const StyledText& styled, std::size_t begin, std::size_t end) {
    TitleLine runs;
    for (std::size_t i = begin; i < end; ++i) {
        if (runs.empty() || runs.back().bold != styled.bold[i]) runs.push_back({{}, styled.bold[i]});
        runs.back().text += styled.text[i];
    }
    return runs;
}

int Width(const TitleLine& runs, const MeasureText& measure) {
    int width = 0;
    for (const TitleRun& run : runs) width += measure(run.text, run.bold);
    return width;
}

// The end of the longest part of the text from begin that fits in width, whole characters only.
std::size_t FittingEnd(const StyledText& styled, std::size_t begin, int width, const MeasureText& measure) {
    std::size_t end = begin;
    while (end < styled.text.size()) {
        std::size_t next = end + 1;
        if (next < styled.text.size() && IsLowSurrogate(styled.text[next])) ++next;
        if (Width(Runs(styled, begin, next), measure) > width) break;
        end = next;
    }
    return end;
}

bool MayBreakBefore(const std::wstring& text, std::size_t at) {
    const wchar_t before = text[at - 1], after = text[at];
    if (IsLowSurrogate(after) || IsClosing(after)) return false;
    return IsBlank(before) || IsWide(before) || IsWide(after);
}

std::size_t TrimBlanks(const std::wstring& text, std::size_t begin, std::size_t end) {
    while (end > begin && IsBlank(text[end - 1])) --end;
    return end;
}

}  // namespace

std::vector<TitleLine> LayOutAlertTitle(std::wstring_view visibleText, std::span<const alerts::TextSpan> words,
                                        int lineWidth, std::size_t maxLines, const MeasureText& measure) {
    const StyledText styled = Styled(visibleText, words);
    const std::wstring& text = styled.text;
    std::vector<TitleLine> lines;
    std::size_t begin = 0;
    while (lines.size() < maxLines) {
        while (begin < text.size() && IsBlank(text[begin])) ++begin;
        if (begin == text.size()) break;
        std::size_t end = FittingEnd(styled, begin, lineWidth, measure);
        if (end == begin) end = begin + (begin + 1 < text.size() && IsLowSurrogate(text[begin + 1]) ? 2 : 1);
        if (end < text.size() && lines.size() + 1 == maxLines) {
            // The last line: as much as fits beside the "..." that says the title goes on.
            end = TrimBlanks(text, begin, FittingEnd(styled, begin, lineWidth - measure(kEllipsis, false), measure));
            TitleLine line = Runs(styled, begin, end);
            line.push_back({std::wstring(kEllipsis), false});
            lines.push_back(std::move(line));
            break;
        }
        if (end < text.size()) {
            std::size_t at = end;
            while (at > begin + 1 && !MayBreakBefore(text, at)) --at;
            if (at > begin + 1 || MayBreakBefore(text, at)) end = at;
        }
        lines.push_back(Runs(styled, begin, TrimBlanks(text, begin, end)));
        begin = end;
    }
    return lines;
}

}  // namespace popup
