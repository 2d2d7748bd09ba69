#include "app/MainWindowLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(MainWindowLayout, AtTheOpeningSize) {
    const MainWindowLayout layout = LayOutMainWindow(600, 430);
    EXPECT_EQ(layout.advise, (Box{310, 2, 56, 14}));
    EXPECT_EQ(layout.settings, (Box{375, 2, 56, 14}));
    EXPECT_EQ(layout.homePage, (Box{480, 2, 18, 18}));
    EXPECT_EQ(layout.about, (Box{510, 2, 18, 18}));
    EXPECT_EQ(layout.exit, (Box{551, 2, 47, 19}));
    EXPECT_EQ(layout.newsList, (Box{5, 75, 382, 345}));
    EXPECT_EQ(layout.banners[0], (Box{396, 75, 194, 106}));
    EXPECT_EQ(layout.banners[1], (Box{396, 189, 194, 106}));
    EXPECT_EQ(layout.banners[2], (Box{396, 309, 194, 106}));
    EXPECT_EQ(layout.background, (Box{0, 0, 600, 430}));
    // The repainted band runs from the list's top to 20 pixels above the bottom; the list reaches 10 lower.
    EXPECT_EQ(layout.repaint, (Box{0, 75, 600, 335}));
    EXPECT_EQ(layout.newsList.top + layout.newsList.height, 420);
}

TEST(MainWindowLayout, WiderAndTallerKeepsTheRightSideOnTheRightEdge) {
    const MainWindowLayout narrow = LayOutMainWindow(600, 430);
    const MainWindowLayout wide = LayOutMainWindow(900, 600);
    for (auto part : {&MainWindowLayout::advise, &MainWindowLayout::settings, &MainWindowLayout::homePage,
                      &MainWindowLayout::about, &MainWindowLayout::exit}) {
        EXPECT_EQ((wide.*part).left, (narrow.*part).left + 300);
        EXPECT_EQ((wide.*part).top, (narrow.*part).top);
        EXPECT_EQ((wide.*part).width, (narrow.*part).width);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(wide.banners[i].left, 696);
        EXPECT_EQ(wide.banners[i].top, narrow.banners[i].top) << "banners keep their height on a taller window";
    }
    // The list takes the extra width and height; the background keeps its size at the right.
    EXPECT_EQ(wide.newsList, (Box{5, 75, 682, 515}));
    EXPECT_EQ(wide.background, (Box{300, 0, 600, 430}));
    // Nothing to the right of the list overlaps it.
    EXPECT_LT(wide.newsList.left + wide.newsList.width, wide.banners[0].left);
}

TEST(MainWindowLayout, HitTestRulesInOrder) {
    const Edges client{100, 200, 700, 630};  // 600 x 430 at (100, 200) on the screen
    struct HitCase {
        int x, y;
        std::optional<FrameHit> expected;
    };
    const HitCase cases[] = {
        {699, 629, FrameHit::BottomRight},
        {692, 622, FrameHit::BottomRight},  // the corner is 8 pixels deep
        {692, 621, std::nullopt},           // just above it: inside, for the 2-pixel right edge is far
        {100, 629, FrameHit::BottomLeft},
        {102, 628, FrameHit::BottomLeft},
        {101, 201, FrameHit::TopLeft},
        {699, 200, FrameHit::TopRight},
        {101, 400, FrameHit::Left},
        {699, 400, FrameHit::Right},
        {400, 201, FrameHit::Top},
        {400, 629, FrameHit::Bottom},
        {400, 203, FrameHit::Caption},
        {400, 220, FrameHit::Caption},      // the top 20 pixels drag the window
        {400, 221, std::nullopt},
        {103, 400, std::nullopt},
        {400, 627, std::nullopt},
        {-50, -20, FrameHit::TopLeft},      // points left of and above the frame (another monitor)
    };
    for (const HitCase& c : cases) {
        EXPECT_EQ(HitTestMainWindow(c.x, c.y, client), c.expected) << "at " << c.x << ", " << c.y;
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
