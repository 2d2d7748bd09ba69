// The alert entry's title: which characters go in which line and which runs are bold, measured with a
// stand-in font (Chinese 12 pixels, anything else 6, bold one more per unit).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "popup/AlertTitle.h"

namespace {

using popup::TitleLine;
using popup::TitleRun;

int Measure(std::wstring_view text, bool bold) {
    int width = 0;
    for (wchar_t c : text) width += (c >= 0x2E80 ? 12 : 6) + (bold ? 1 : 0);
    return width;
}

// Lines written as text with the bold runs in brackets, "[美联储]宣布", for tables that read at a glance.
std::vector<std::wstring> Written(const std::vector<TitleLine>& lines) {
    std::vector<std::wstring> written;
    for (const TitleLine& line : lines) {
        std::wstring text;
        for (const TitleRun& run : line) text += run.bold ? L"[" + run.text + L"]" : run.text;
        written.push_back(text);
    }
    return written;
}

TEST(AlertTitle, ShortensBoldsAndWrapsIntoTwoLines) {
    struct Case {
        const char* what;
        std::wstring text;
        std::vector<std::wstring_view> words;
        int width;
        std::vector<std::wstring> expected;
    };
    const std::wstring fed = L"美联储宣布加息25个基点，EUR/USD 快速走低";
    const Case cases[] = {
        {"one line, adjacent words in one run", L"美联储加息", {L"美联储", L"加息"}, 156, {L"[美联储加息]"}},
        {"no words", L"金价回落", {}, 156, {L"金价回落"}},
        // 23 units kept and "..." added; the words beyond the cut are not shown.
        {"the trader's headline", fed, {L"美联储", L"加息"}, 156, {L"[美联储]宣布[加息]25个基点，", L"EUR/USD 快速..."}},
        {"a Latin pair bold", fed, {L"EUR", L"USD"}, 156, {L"美联储宣布加息25个基点，", L"[EUR]/[USD] 快速..."}},
        // A Latin word is not split where a blank or a Chinese neighbour offers a break.
        {"word moves to the next line", L"原油 WTI crude oil", {L"WTI"}, 100, {L"原油 [WTI] crude", L"oil"}},
        // No line begins with closing punctuation: the character before it moves down with it.
        {"closing punctuation", L"一二三四五六七八九，十", {}, 108, {L"一二三四五六七八", L"九，十"}},
        // What the two lines cannot hold is cut and ends with "...", the bold run included.
        {"cut at the last line", L"非农就业人数大幅增加远超预期", {L"非农就业"}, 64,
         {L"[非农就业]人", L"数大幅..."}},
        // A word wider than a line breaks between its characters.
        {"long word", L"ABCDEFGHIJKLMNOP", {L"CDEF"}, 48, {L"AB[CDEF]G", L"HIJKL..."}},
    };
    for (const Case& c : cases) {
        std::vector<alerts::TextSpan> spans;
        for (std::wstring_view word : c.words) spans.push_back({c.text.find(word), word.size()});
        EXPECT_EQ(Written(popup::LayOutAlertTitle(c.text, spans, c.width, 2, Measure)), c.expected) << c.what;
    }
}

TEST(AlertTitle, NeverSplitsAPairNorLeavesBlanksAtABreak) {
    const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDCC8)};  // U+1F4C8
    const std::wstring text = L"涨" + pair + pair + L"   金价";
    for (int width = 12; width <= 60; ++width) {
        for (const TitleLine& line : popup::LayOutAlertTitle(text, {}, width, 4, Measure)) {
            ASSERT_FALSE(line.empty()) << width;
            const std::wstring& first = line.front().text;
            const std::wstring& last = line.back().text;
            EXPECT_NE(first.front(), L' ') << width;
            EXPECT_NE(last.back(), L' ') << width;
            EXPECT_FALSE(first.front() >= 0xDC00 && first.front() <= 0xDFFF) << width;
            EXPECT_FALSE(last.back() >= 0xD800 && last.back() <= 0xDBFF) << width;
        }
    }
}

TEST(AlertTitle, SpansPastTheTextOrOverlappingTheCutStayInside) {
    const std::wstring text = L"美元指数走强，欧元兑美元跌破关键支撑位，市场关注今晚非农数据";
    // The last word straddles the cut at 23 units; one lies wholly past the text.
    const std::vector<alerts::TextSpan> spans = {{21, 4}, {200, 3}};
    const std::vector<TitleLine> lines = popup::LayOutAlertTitle(text, spans, 1000, 2, Measure);
    EXPECT_EQ(Written(lines), std::vector<std::wstring>{L"美元指数走强，欧元兑美元跌破关键支撑位，市[场关]..."});
}

}  // namespace
