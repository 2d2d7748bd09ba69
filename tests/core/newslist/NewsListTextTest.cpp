#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "newslist/NewsListText.h"
#include "tests/core/support/ScopedTimeZone.h"

namespace {

// Local time is China Standard Time (UTC+8, no daylight saving) for the length of the test.
class ChinaTimeZone : public testing::Test {
    ScopedTimeZone zone_{"CST-8"};
};

TEST_F(ChinaTimeZone, TimeTextIsLocalMonthDayHourMinute) {
    const struct {
        std::int64_t publishTime;
        const wchar_t* text;
    } cases[] = {
        {1315271100, L"09月06日  09:05"},   // 2011-09-06 01:05 UTC
        {0, L"01月01日  08:00"},            // the first convertible second
        {1709222340, L"02月29日  23:59"},   // leap day, last minute
        {1709222400, L"03月01日  00:00"},   // the day after: a new local date although UTC is still 29 Feb
        {32503680000, L"01月01日  08:00"},  // 3000-01-01 00:00 UTC
    };
    for (const auto& c : cases) {
        const auto text = newslist::ListTimeText(c.publishTime);
        ASSERT_TRUE(text.has_value()) << c.publishTime;
        EXPECT_EQ(*text, c.text) << c.publishTime;
    }
}

TEST_F(ChinaTimeZone, TimeOutsideTheConvertibleRangeHasNoText) {
    const std::int64_t outside[] = {-1, -86400, 32535215999 + 1, std::numeric_limits<std::int64_t>::min(),
                                    std::numeric_limits<std::int64_t>::max()};
    for (const std::int64_t publishTime : outside) {
        EXPECT_FALSE(newslist::ListTimeText(publishTime).has_value()) << publishTime;
    }
}

TEST(BusyPictureUrl, FileUrlWithForwardSlashesAndEscapedSpaces) {
    const struct {
        const wchar_t* path;
        const wchar_t* url;
    } cases[] = {
        {L"D:\\My App\\skin\\loading.gif", L"file:///D:/My%20App/skin/loading.gif"},
        {L"C:\\Program Files (x86)\\Corvane\\skin\\connecting.gif",
         L"file:///C:/Program%20Files%20(x86)/Corvane/skin/connecting.gif"},
        {L"loading.gif", L"file:///loading.gif"},
        {L"C:/already/forward", L"file:///C:/already/forward"},
        {L"\\\\server\\share\\a b.gif", L"file://///server/share/a%20b.gif"},
        {L"D:\\新闻\\100%#.gif", L"file:///D:/新闻/100%#.gif"},  // nothing else is escaped
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(newslist::BusyPictureUrl(c.path), c.url) << testing::PrintToString(std::wstring(c.path));
}

TEST(TitlePlainText, DropsMarkupKeepsTextAndLineBreaks) {
    const struct {
        const wchar_t* markup;
        const wchar_t* text;
    } cases[] = {
        {L"美联储维持利率不变", L"美联储维持利率不变"},
        {L"<b>黄金</b>现货<font color=\"#cc0000\">大涨</font>", L"黄金现货大涨"},
        {L"第一行<br>第二行<BR/>第三行", L"第一行\n第二行\n第三行"},
        {L"<p>one</p><p>two</p>", L"one\ntwo"},
        {L"a <script>document.write('<b>x</b>')</script>b", L"a b"},
        {L"<style>a { color: red }</style>styled", L"styled"},
        {L"x<!-- <b>hidden</b> -->y", L"xy"},
        {L"AT&amp;T &lt;b&gt; &quot;q&quot; &#39;s&#x27; &#20013;&#x6587;", L"AT&T <b> \"q\" 's' 中文"},
        {L"a&nbsp;&nbsp;b", L"a\u00A0\u00A0b"},
        {L"&#x1F600; &#0; &#xD800; &#99999999999;", L"\U0001F600 \uFFFD \uFFFD \uFFFD"},
        {L"5 < 6 & 7 > 3 &unknown;", L"5 < 6 & 7 > 3 &unknown;"},
        {L"  spaced \t\r\n  out  ", L"spaced out"},
        {L"unclosed <b tag", L"unclosed"},
        {L"<img src=x onerror=alert(1)>", L""},
        {L"<script>never ends", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        std::wstring expected = c.text;
#ifndef _WIN32
        // Natively a wchar_t holds a whole code point; the titles hold UTF-16 code units everywhere.
        if (expected.find(L'\U0001F600') != std::wstring::npos)
            expected.replace(expected.find(L'\U0001F600'), 1, std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)});
#endif
        EXPECT_EQ(newslist::TitlePlainText(c.markup), expected) << testing::PrintToString(std::wstring(c.markup));
    }
}

}  // namespace
