// A headline with bold words wrapped into lines as the native list draws it: every line the text needs,
// and its own line breaks kept. (The pop-up's two shortened lines are tested with its title.)
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "alerts/MarkedTextLayout.h"

namespace {

// A stand-in font: Chinese 12 pixels, anything else 6, bold one more per unit.
int Measure(std::wstring_view text, bool bold) {
    int width = 0;
    for (wchar_t c : text) width += (c >= 0x2E80 ? 12 : 6) + (bold ? 1 : 0);
    return width;
}

// Lines written as text with the bold runs in brackets.
std::vector<std::wstring> Written(const std::vector<alerts::TextLine>& lines) {
    std::vector<std::wstring> written;
    for (const alerts::TextLine& line : lines) {
        std::wstring text;
        for (const alerts::TextRun& run : line) text += run.bold ? L"[" + run.text + L"]" : run.text;
        written.push_back(text);
    }
    return written;
}

TEST(MarkedTextLayout, TakesEveryLineItNeedsAndKeepsTheTextsLineBreaks) {
    constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
    const struct {
        const char* what;
        std::wstring text;
        std::vector<alerts::TextSpan> bold;
        int width;
        std::size_t maxLines;
        std::vector<std::wstring> expected;
    } cases[] = {
        {"wraps without a cut", L"美联储宣布加息二十五个基点市场震动", {{0, 3}, {5, 2}}, 72, kAll,
         {L"[美联储]宣布", L"[加息]二十五", L"个基点市场震", L"动"}},
        {"a line break of the text ends a line", L"快讯：\n美联储加息", {{4, 3}}, 200, kAll, {L"快讯：", L"[美联储]加息"}},
        {"runs of line breaks and blanks make no empty line", L"\n一 \r\n\n  二\n", {}, 200, kAll, {L"一", L"二"}},
        {"a bold span across a line break", L"EUR\nUSD", {{0, 7}}, 200, kAll, {L"[EUR]", L"[USD]"}},
        {"cut with ... only when text follows", L"一二三\n四五六\n  ", {}, 200, 2, {L"一二三", L"四五六"}},
        {"the last allowed line says the text goes on", L"一二三\n四五六\n七", {}, 200, 2, {L"一二三", L"四五六..."}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Written(alerts::LayOutMarkedText(c.text, c.bold, c.width, c.maxLines, Measure)), c.expected) << c.what;
}

}  // namespace
