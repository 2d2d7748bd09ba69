// The news list's answers to the browser's navigations and to the wheel, without a window.
#include <gtest/gtest.h>

#include <vector>

#include "newslist/PageNavigation.h"
#include "newslist/WheelScroll.h"

namespace {

TEST(PageNavigation, OnlyTheBlankDocumentBeforeThePageCompletes) {
    const struct {
        const wchar_t* url;
        bool beforeCompletion;
        bool afterCompletion;
    } cases[] = {
        {L"about:blank", true, false},  // the page is put into it; loaded again later it would wipe the list
        {L"about:blank#", false, false},
        {L"ABOUT:BLANK", false, false},
        {L"about:blankx", false, false},
        {L"file:///C:/Windows/System32/", false, false},
        {L"search-ms:query=x", false, false},
        {L"\\\\host\\share", false, false},
        {L"http://news.example/", false, false},
        {L"res://Corvane.exe/166", false, false},
        {L"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(newslist::IsPagesOwnLoad(c.url, false), c.beforeCompletion) << testing::PrintToString(std::wstring(c.url));
        EXPECT_EQ(newslist::IsPagesOwnLoad(c.url, true), c.afterCompletion) << testing::PrintToString(std::wstring(c.url));
    }
}

// The scroll changes a run of wheel deltas gives, carrying from one to the next as the list does.
std::vector<int> Scrolls(const std::vector<int>& deltas, int pixelsPerNotch) {
    std::vector<int> changes;
    int carried = 0;
    for (const int delta : deltas) {
        const newslist::WheelStep step = newslist::ScrollForWheel(carried, delta, pixelsPerNotch);
        changes.push_back(step.scrollChange);
        carried = step.carried;
    }
    return changes;
}

TEST(WheelScroll, DeltasBelowANotchAddUpToWhatWholeNotchesScroll) {
    const struct {
        std::vector<int> deltas;
        std::vector<int> changes;
    } cases[] = {
        {{120}, {-63}},
        {{-120, -240}, {63, 126}},
        {{30, 30, 30, 30}, {-15, -16, -16, -16}},  // a quarter notch at a time: one notch in all
        {{-1, -1}, {0, 1}},                         // 63/120 of a pixel each: the second makes one pixel
        {{60, -30, -30}, {-31, 15, 16}},            // turning back drops what was carried the other way
        {{0, 7, 113}, {0, -3, -60}},
    };
    for (const auto& c : cases) EXPECT_EQ(Scrolls(c.deltas, 63), c.changes) << testing::PrintToString(c.deltas);
}

}  // namespace
