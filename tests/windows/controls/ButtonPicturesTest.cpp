// Which picture each skinned button shows, over its whole state table, and where the pictures are found.
#include <gtest/gtest.h>

#include "controls/ButtonPictures.h"

namespace {

TEST(ButtonPictures, TabPictureFollowsTheStateTable) {
    struct Case {
        bool selected, hover, pressed;
        TabPicture picture;
    };
    const Case cases[] = {
        {true, false, false, TabPicture::Selected}, {true, true, false, TabPicture::Selected},
        {true, false, true, TabPicture::Selected},  {true, true, true, TabPicture::Selected},
        {false, true, true, TabPicture::Down},      {false, true, false, TabPicture::Over},
        {false, false, false, TabPicture::Leave},   {false, false, true, TabPicture::Leave},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseTabPicture(c.selected, c.hover, c.pressed), c.picture)
            << c.selected << c.hover << c.pressed;
}

TEST(ButtonPictures, TabPicturesAreNumberedByControlId) {
    struct Case {
        int controlId;
        int number;
    };
    for (const Case c : {Case{1039, 1}, Case{1040, 2}, Case{1041, 3}, Case{1042, 4}, Case{1038, 0}, Case{1043, 0},
                         Case{1063, 0}, Case{0, 0}})
        EXPECT_EQ(TabPictureNumber(c.controlId), c.number) << c.controlId;

    EXPECT_EQ(TabPictureFile(1, TabPicture::Leave), L"button1leave.png");
    EXPECT_EQ(TabPictureFile(2, TabPicture::Over), L"button2over.png");
    EXPECT_EQ(TabPictureFile(3, TabPicture::Down), L"button3down.png");
    EXPECT_EQ(TabPictureFile(4, TabPicture::Selected), L"button4selected.png");
}

TEST(ButtonPictures, ImageButtonFrameFollowsTheStateTable) {
    struct Case {
        bool pushed, hover;
        int frame;
    };
    for (const Case c : {Case{true, true, 3}, Case{true, false, 3}, Case{false, true, 2}, Case{false, false, 1}})
        EXPECT_EQ(ChooseFrame(c.pushed, c.hover), c.frame) << c.pushed << c.hover;
}

TEST(ButtonPictures, FrameWidthIsAQuarterOfTheStripRoundedDown) {
    struct Case {
        int pictureWidth, frameWidth;
    };
    for (const Case c : {Case{56, 14}, Case{58, 14}, Case{59, 14}, Case{60, 15}, Case{3, 0}, Case{0, 0}})
        EXPECT_EQ(FrameWidth(c.pictureWidth), c.frameWidth) << c.pictureWidth;
    EXPECT_EQ(FrameLeft(1, 14), 0);
    EXPECT_EQ(FrameLeft(2, 14), 14);
    EXPECT_EQ(FrameLeft(3, 14), 28);
}

}  // namespace
