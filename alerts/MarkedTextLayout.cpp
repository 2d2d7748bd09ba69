#include "alerts/MarkedTextLayout.h"

#include <algorithm>

namespace alerts {

namespace {

constexpr std::wstring_view kEllipsis = L"...";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000; }

bool IsLineBreak(wchar_t c) { return c == L'\n' || c == L'\r'; }

bool IsSpace(wchar_t c) { return IsBlank(c) || IsLineBreak(c); }

// Chinese, Japanese and Korean characters and their full-width punctuation: a line may break beside them.
bool IsWide(wchar_t c) { return c >= 0x2E80 && !(c >= 0xD800 && c <= 0xDFFF); }

// Punctuation that must not begin a line.
bool IsClosing(wchar_t c) { return std::wstring_view(L"，。、；：！？）」』】》〉”’,.;:!?)%").find(c) != std::wstring_view::npos; }

bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The text as laid out: its units and which of them are bold.
struct StyledText {
    std::wstring_view text;
    std::vector<bool> bold;
};

// The runs of [begin, end) of the styled text, one per change between regular and bold.
TextLine Runs(const StyledText& styled, std::size_t begin, std::size_t end) {
    TextLine runs;
    for (std::size_t i = begin; i < end; ++i) {
        if (runs.empty() || runs.back().bold != styled.bold[i]) runs.push_back({{}, styled.bold[i]});
        runs.back().text += styled.text[i];
    }
    return runs;
}

int Width(const TextLine& runs, const MeasureText& measure) {
    int width = 0;
    for (const TextRun& run : runs) width += measure(run.text, run.bold);
    return width;
}

// The end of the longest part of [begin, limit) that fits in width, whole characters only.
std::size_t FittingEnd(const StyledText& styled, std::size_t begin, std::size_t limit, int width,
                       const MeasureText& measure) {
    std::size_t end = begin;
    while (end < limit) {
        std::size_t next = end + 1;
        if (next < limit && IsLowSurrogate(styled.text[next])) ++next;
        if (Width(Runs(styled, begin, next), measure) > width) break;
        end = next;
    }
    return end;
}

bool MayBreakBefore(std::wstring_view text, std::size_t at) {
    const wchar_t before = text[at - 1], after = text[at];
    if (IsLowSurrogate(after) || IsClosing(after)) return false;
    return IsBlank(before) || IsWide(before) || IsWide(after);
}

std::size_t TrimBlanks(std::wstring_view text, std::size_t begin, std::size_t end) {
    while (end > begin && IsBlank(text[end - 1])) --end;
    return end;
}

}  // namespace

std::vector<TextLine> LayOutMarkedText(std::wstring_view text, std::span<const TextSpan> bold, int lineWidth,
                                       std::size_t maxLines, const MeasureText& measure) {
    StyledText styled{text, std::vector<bool>(text.size(), false)};
    for (const TextSpan& span : bold)
        for (std::size_t i = span.begin; i < text.size() && i - span.begin < span.length; ++i) styled.bold[i] = true;

    std::vector<TextLine> lines;
    std::size_t begin = 0;
    while (lines.size() < maxLines) {
        // Blanks and line breaks at the start of a line are dropped: no line is empty.
        while (begin < text.size() && IsSpace(text[begin])) ++begin;
        if (begin == text.size()) break;
        const std::size_t limit = std::find_if(text.begin() + begin, text.end(), IsLineBreak) - text.begin();
        std::size_t end = FittingEnd(styled, begin, limit, lineWidth, measure);
        if (end == begin) end = begin + (begin + 1 < limit && IsLowSurrogate(text[begin + 1]) ? 2 : 1);
        const bool moreFollows = std::any_of(text.begin() + end, text.end(), [](wchar_t c) { return !IsSpace(c); });
        if (moreFollows && lines.size() + 1 == maxLines) {
            // The last line: as much as fits beside the "..." that says the text goes on.
            end = TrimBlanks(text, begin, FittingEnd(styled, begin, limit, lineWidth - measure(kEllipsis, false), measure));
            TextLine line = Runs(styled, begin, end);
            line.push_back({std::wstring(kEllipsis), false});
            lines.push_back(std::move(line));
            break;
        }
        if (end < limit) {
            std::size_t at = end;
            while (at > begin + 1 && !MayBreakBefore(text, at)) --at;
            if (at > begin + 1 || MayBreakBefore(text, at)) end = at;
        }
        lines.push_back(Runs(styled, begin, TrimBlanks(text, begin, end)));
        begin = end;
    }
    return lines;
}

}  // namespace alerts
