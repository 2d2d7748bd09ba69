// Sizes at each DPI a desk has, and the skin scale drawn for it.
#include <gtest/gtest.h>

#include "controls/SkinScale.h"

TEST(SkinScale, LengthsScaleAndRoundLikeTheSystem) {
    struct Case {
        int pixels, dpi, scaled;
    } cases[] = {
        {600, 96, 600}, {600, 120, 750}, {600, 144, 900}, {600, 192, 1200},
        {1, 144, 2},    {3, 120, 4},     {5, 144, 8},     {-290, 144, -435},
        {-3, 120, -4},  {0, 192, 0},     {18, 168, 32},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleForDpi(c.pixels, c.dpi), c.scaled) << c.pixels << " at " << c.dpi;
        EXPECT_EQ(UnscaleForDpi(c.scaled, c.dpi), c.pixels) << c.scaled << " at " << c.dpi;
    }
}

TEST(SkinScale, TheNearestScaleAtOrAboveIsDrawn) {
    struct Case {
        int dpi, scale;
    } cases[] = {
        {0, 100},   {72, 100},  {96, 100},  {97, 150},  {120, 150}, {144, 150},
        {145, 200}, {168, 200}, {192, 200}, {240, 200}, {288, 200},
    };
    for (const Case& c : cases) EXPECT_EQ(SkinScaleForDpi(c.dpi), c.scale) << c.dpi;
}

TEST(SkinScale, LargerPicturesLiveInTheirScalesFolder) {
    EXPECT_EQ(SkinPicturePath(L"bg.jpg", 100), L".\\skin\\bg.jpg");
    EXPECT_EQ(SkinPicturePath(L"bg.jpg", 150), L".\\skin\\150\\bg.jpg");
    EXPECT_EQ(SkinPicturePath(L"button4over.png", 200), L".\\skin\\200\\button4over.png");
}

TEST(SkinScale, APictureOfAnyScaleLandsOnItsSizeAtTheDpi) {
    // A 33-pixel side at 100 % is 50 at 144 DPI, whichever scale's file is drawn, and whichever way the
    // renderer rounded the larger files.
    struct Case {
        int sideInFile, scale, dpi, side;
    } cases[] = {
        {33, 100, 96, 33},  {33, 100, 144, 50}, {50, 150, 144, 50}, {49, 150, 144, 50}, {66, 200, 144, 50},
        {50, 150, 120, 41}, {66, 200, 192, 66}, {56, 100, 120, 70}, {84, 150, 96, 56},
        {0, 150, 144, 0},   {1, 200, 96, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SkinSideAtDpi(c.sideInFile, c.scale, c.dpi), c.side) << c.sideInFile << " at " << c.scale << " %, " << c.dpi;
}

TEST(SkinScale, ABusyPictureGivenAt100PercentIsFoundInItsScalesFolder) {
    EXPECT_EQ(AtSkinScale(L"C:\\Corvane\\skin\\loading.gif", 100), L"C:\\Corvane\\skin\\loading.gif");
    EXPECT_EQ(AtSkinScale(L"C:\\Corvane\\skin\\loading.gif", 150), L"C:\\Corvane\\skin\\150\\loading.gif");
    EXPECT_EQ(AtSkinScale(L".\\skin\\connecting.gif", 200), L".\\skin\\200\\connecting.gif");
    EXPECT_EQ(AtSkinScale(L"loading.gif", 200), L"200\\loading.gif");
}
