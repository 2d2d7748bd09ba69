#include "app/MainWindowLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(MainWindowLayout, AtTheOpeningSizeAt96Dpi) {
    EXPECT_EQ(MainWindowMinSize(96), (WindowSize{600, 430}));
    const MainWindowLayout layout = LayOutMainWindow(600, 430, 96);
    EXPECT_EQ(layout.advise, (Box{310, 2, 56, 14}));
    EXPECT_EQ(layout.settings, (Box{375, 2, 56, 14}));
    EXPECT_EQ(layout.homePage, (Box{480, 2, 18, 18}));
    EXPECT_EQ(layout.about, (Box{510, 2, 18, 18}));
    EXPECT_EQ(layout.exit, (Box{551, 2, 47, 19}));
    // The tabs sit side by side at the picture's size.
    EXPECT_EQ(layout.tabs[0], (Box{19, 52, 56, 20}));
    EXPECT_EQ(layout.tabs[3], (Box{187, 52, 56, 20}));
    EXPECT_EQ(layout.newsList, (Box{5, 75, 382, 345}));
    EXPECT_EQ(layout.banners[0], (Box{396, 75, 194, 106}));
    EXPECT_EQ(layout.banners[1], (Box{396, 189, 194, 106}));
    EXPECT_EQ(layout.banners[2], (Box{396, 309, 194, 106}));
    EXPECT_EQ(layout.background, (Box{0, 0, 600, 430}));
    EXPECT_EQ(layout.titleLeft, (Box{0, 0, 31, 18}));
    EXPECT_EQ(layout.titleText, (Box{31, 2, 56, 15}));
    // The repainted band runs from the list's top to 20 pixels above the bottom; the list reaches 10 lower.
    EXPECT_EQ(layout.repaint, (Box{0, 75, 600, 335}));
    EXPECT_EQ(layout.newsList.top + layout.newsList.height, 420);
}

// At each DPI the window opens at the background's scaled size, and its parts land where the scaled
// background has their frames: edges are scaled, not sizes, so rounding never opens or closes a gap.
TEST(MainWindowLayout, AtTheOpeningSizeAtEachDpi) {
    struct DpiCase {
        int dpi;
        WindowSize size;
        Box advise, exit, firstTab, newsList, firstBanner, lastBanner, repaint;
    };
    const DpiCase cases[] = {
        {120, {750, 538}, {387, 3, 70, 17}, {689, 3, 58, 23}, {24, 65, 70, 25}, {6, 94, 478, 431},
         {495, 94, 242, 132}, {495, 386, 242, 133}, {0, 94, 750, 419}},
        {144, {900, 645}, {465, 3, 84, 21}, {826, 3, 71, 29}, {29, 78, 84, 30}, {8, 113, 572, 517},
         {594, 113, 291, 159}, {594, 464, 291, 159}, {0, 113, 900, 502}},
        {192, {1200, 860}, {620, 4, 112, 28}, {1102, 4, 94, 38}, {38, 104, 112, 40}, {10, 150, 764, 690},
         {792, 150, 388, 212}, {792, 618, 388, 212}, {0, 150, 1200, 670}},
    };
    for (const DpiCase& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(MainWindowMinSize(c.dpi), c.size);
        const MainWindowLayout layout = LayOutMainWindow(c.size.width, c.size.height, c.dpi);
        EXPECT_EQ(layout.advise, c.advise);
        EXPECT_EQ(layout.exit, c.exit);
        EXPECT_EQ(layout.tabs[0], c.firstTab);
        EXPECT_EQ(layout.newsList, c.newsList);
        EXPECT_EQ(layout.banners[0], c.firstBanner);
        EXPECT_EQ(layout.banners[2], c.lastBanner);
        EXPECT_EQ(layout.repaint, c.repaint);
        EXPECT_EQ(layout.background, (Box{0, 0, c.size.width, c.size.height}));
        // Neighbours keep their gaps: the tabs touch, the list ends left of the banners.
        for (int i = 1; i < 4; ++i) EXPECT_EQ(layout.tabs[i].left, layout.tabs[i - 1].left + layout.tabs[i - 1].width);
        EXPECT_LT(layout.newsList.left + layout.newsList.width, layout.banners[0].left);
        EXPECT_LE(layout.exit.left + layout.exit.width, c.size.width);
    }
}

TEST(MainWindowLayout, WiderAndTallerKeepsTheRightSideOnTheRightEdge) {
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        const WindowSize opening = MainWindowMinSize(dpi);
        const MainWindowLayout narrow = LayOutMainWindow(opening.width, opening.height, dpi);
        const MainWindowLayout wide = LayOutMainWindow(opening.width + 300, opening.height + 170, dpi);
        for (auto part : {&MainWindowLayout::advise, &MainWindowLayout::settings, &MainWindowLayout::homePage,
                          &MainWindowLayout::about, &MainWindowLayout::exit}) {
            EXPECT_EQ((wide.*part).left, (narrow.*part).left + 300);
            EXPECT_EQ((wide.*part).top, (narrow.*part).top);
            EXPECT_EQ((wide.*part).width, (narrow.*part).width);
        }
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(wide.banners[i].left, narrow.banners[i].left + 300);
            EXPECT_EQ(wide.banners[i].top, narrow.banners[i].top) << "banners keep their height on a taller window";
        }
        EXPECT_EQ(wide.tabs, narrow.tabs) << "the tabs stay at the left";
        // The list takes the extra width and height; the background keeps its size at the right.
        EXPECT_EQ(wide.newsList.width, narrow.newsList.width + 300);
        EXPECT_EQ(wide.newsList.height, narrow.newsList.height + 170);
        EXPECT_EQ(wide.background, (Box{300, 0, opening.width, opening.height}));
        EXPECT_LT(wide.newsList.left + wide.newsList.width, wide.banners[0].left);
    }
}

TEST(MainWindowLayout, HitTestRulesInOrder) {
    struct HitCase {
        int dpi;
        int x, y;
        std::optional<FrameHit> expected;
    };
    const Edges client{100, 200, 700, 630};  // 600 x 430 at (100, 200) on the screen
    const HitCase cases[] = {
        {96, 699, 629, FrameHit::BottomRight},
        {96, 692, 622, FrameHit::BottomRight},  // the corner is 8 pixels deep
        {96, 692, 621, std::nullopt},           // just above it: inside, for the 2-pixel right edge is far
        {96, 100, 629, FrameHit::BottomLeft},
        {96, 102, 628, FrameHit::BottomLeft},
        {96, 101, 201, FrameHit::TopLeft},
        {96, 699, 200, FrameHit::TopRight},
        {96, 101, 400, FrameHit::Left},
        {96, 699, 400, FrameHit::Right},
        {96, 400, 201, FrameHit::Top},
        {96, 400, 629, FrameHit::Bottom},
        {96, 400, 203, FrameHit::Caption},
        {96, 400, 220, FrameHit::Caption},      // the top 20 pixels drag the window
        {96, 400, 221, std::nullopt},
        {96, 103, 400, std::nullopt},
        {96, 400, 627, std::nullopt},
        {96, -50, -20, FrameHit::TopLeft},      // points left of and above the frame (another monitor)
        // At 200 % the edges, the corner and the caption band are twice as deep.
        {192, 684, 614, FrameHit::BottomRight},
        {192, 684, 613, std::nullopt},
        {192, 104, 400, FrameHit::Left},
        {192, 105, 400, std::nullopt},
        {192, 400, 240, FrameHit::Caption},
        {192, 400, 241, std::nullopt},
        {192, 400, 626, FrameHit::Bottom},
        // At 150 %: 3-pixel edges, a 12-pixel corner, a 30-pixel caption band.
        {144, 688, 618, FrameHit::BottomRight},
        {144, 697, 400, FrameHit::Right},
        {144, 696, 400, std::nullopt},
        {144, 400, 230, FrameHit::Caption},
        {144, 400, 231, std::nullopt},
    };
    for (const HitCase& c : cases) {
        EXPECT_EQ(HitTestMainWindow(c.x, c.y, client, c.dpi), c.expected)
            << "at " << c.x << ", " << c.y << " and " << c.dpi << " DPI";
    }
}

TEST(MainWindowLayout, BoxContainsItsTopLeftButNotItsFarEdges) {
    const Box banner{396, 75, 194, 106};
    EXPECT_TRUE(banner.Contains(396, 75));
    EXPECT_TRUE(banner.Contains(589, 180));
    EXPECT_FALSE(banner.Contains(590, 100));
    EXPECT_FALSE(banner.Contains(400, 181));
    EXPECT_FALSE(banner.Contains(395, 100));
}

}  // namespace
