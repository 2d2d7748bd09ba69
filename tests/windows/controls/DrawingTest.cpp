// The drawing primitives: the off-screen context copies its area once, at its end; the image object decodes,
// blends exactly and scales; picture files draw scaled or by source rectangle, and missing ones draw nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "controls/MemoryDC.h"
#include "controls/PictureFile.h"
#include "controls/SkinImage.h"
#include "controls/SkinScale.h"
#include "framework/DeviceContext.h"
#include "framework/GdiplusHeaders.h"
#include "tests/windows/controls/SkinFixture.h"

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kBlue = RGB(0, 0, 220);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A 64 x 48 picture in memory, filled with one colour, to draw on and read back.
class Canvas {
public:
    explicit Canvas(COLORREF fill) : dc_(nullptr) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, -48, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        selection_.emplace(dc_, bitmap_.Get());
        Fill({0, 0, 64, 48}, fill);
    }
    HDC Dc() const { return dc_; }
    void Fill(const RECT& area, COLORREF colour) const {
        fw::GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
        FillRect(dc_, &area, brush.Get());
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    fw::MemoryDC dc_;
    fw::GdiObject<HBITMAP> bitmap_;
    std::optional<fw::SelectedObject> selection_;
};

void Fill(HDC dc, const RECT& area, COLORREF colour) {
    fw::GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &area, brush.Get());
}

struct Probe {
    int x, y;
    COLORREF before;  // while the CMemoryDC lives
    COLORREF after;   // once it has ended
};

struct MemoryDcCase {
    const char* name;
    std::optional<RECT> area;
    POINT viewportOrigin;
    std::vector<Probe> probes;
};

TEST(MemoryDC, CopiesItsAreaToTheTargetOnlyAtItsEnd) {
    // Green is drawn at (12..20, 7..15) in the target's coordinates; the rest of the area shows the
    // target's background colour (blue) and nothing outside the area changes.
    const MemoryDcCase cases[] = {
        {"area given", RECT{10, 5, 30, 25}, {0, 0},
         {{15, 10, kRed, kGreen}, {25, 20, kRed, kBlue}, {5, 5, kRed, kRed}, {35, 10, kRed, kRed}}},
        {"clipping box as area", std::nullopt, {0, 0},
         {{15, 10, kRed, kGreen}, {5, 5, kRed, kBlue}, {60, 40, kRed, kBlue}}},
        {"target with a moved origin", RECT{10, 5, 30, 25}, {5, 3},
         {{15, 10, kRed, kGreen}, {25, 20, kRed, kBlue}, {5, 5, kRed, kRed}, {31, 10, kRed, kRed}}},
    };
    for (const MemoryDcCase& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas target(kRed);
        SetViewportOrgEx(target.Dc(), c.viewportOrigin.x, c.viewportOrigin.y, nullptr);
        SetBkColor(target.Dc(), kBlue);
        {
            const CMemoryDC memory(target.Dc(), c.area ? &*c.area : nullptr);
            Fill(memory, {12, 7, 20, 15}, kGreen);
            for (const Probe& p : c.probes)
                EXPECT_EQ(target.At(p.x, p.y), p.before) << p.x << "," << p.y << " " << Describe(target.At(p.x, p.y));
        }
        for (const Probe& p : c.probes)
            EXPECT_EQ(target.At(p.x, p.y), p.after) << p.x << "," << p.y << " " << Describe(target.At(p.x, p.y));
    }
}

TEST(SkinImage, MissingOrUndecodableFileLeavesItEmptyAndDrawingNothing) {
    ScratchSkin skin;
    std::FILE* junk = _wfopen(L"skin\\junk.png", L"wb");
    std::fputs("not a picture", junk);
    std::fclose(junk);
    ASSERT_TRUE(WriteSolidPicture(L"skin\\good.png", 4, 4, {0, 0, 220}));

    for (const wchar_t* path : {L"skin\\missing.png", L"skin\\junk.png"}) {
        CSkinImage image;
        ASSERT_TRUE(image.Load(L"skin\\good.png"));
        EXPECT_FALSE(image.Load(path));  // the earlier picture is let go of as well
        EXPECT_TRUE(image.IsEmpty());
        Canvas canvas(kRed);
        image.Draw(canvas.Dc(), {0, 0, 64, 48});
        image.StretchCopy(canvas.Dc(), {0, 0, 64, 48});
        EXPECT_EQ(canvas.At(10, 10), kRed);
    }
}

TEST(SkinImage, BlendsAlphaPicturesExactlyAndCopiesOthers) {
    ScratchSkin skin;
    // Left half opaque blue, right half red at half coverage.
    ASSERT_TRUE(WritePicture(L"skin\\alpha.png", 8, 4, [](int x, int) {
        return x < 4 ? Rgba{0, 0, 220, 255} : Rgba{200, 0, 0, 128};
    }));
    ASSERT_TRUE(WriteSolidPicture(L"skin\\plain.jpg", 8, 4, {0, 160, 0}));

    CSkinImage alpha;
    ASSERT_TRUE(alpha.Load(L"skin\\alpha.png"));
    EXPECT_TRUE(alpha.HasAlpha());
    EXPECT_EQ(alpha.Width(), 8);
    EXPECT_EQ(alpha.Height(), 4);
    Canvas onWhite(kWhite);
    alpha.Draw(onWhite.Dc(), {0, 0, 32, 16});  // scaled four times
    EXPECT_TRUE(Near(onWhite.At(4, 8), kBlue)) << Describe(onWhite.At(4, 8));
    // Half of (200, 0, 0) over white: (228, 127, 127). Colours taken as already multiplied would give (255, 127, 127).
    EXPECT_TRUE(Near(onWhite.At(28, 8), RGB(228, 127, 127))) << Describe(onWhite.At(28, 8));
    EXPECT_EQ(onWhite.At(40, 8), kWhite);

    CSkinImage plain;
    ASSERT_TRUE(plain.Load(L"skin\\plain.jpg"));
    EXPECT_FALSE(plain.HasAlpha());
    for (const bool stretchCopy : {false, true}) {
        Canvas canvas(kRed);
        if (stretchCopy)
            plain.StretchCopy(canvas.Dc(), {8, 8, 24, 16});
        else
            plain.Draw(canvas.Dc(), {8, 8, 24, 16});
        EXPECT_TRUE(Near(canvas.At(16, 12), kGreen)) << Describe(canvas.At(16, 12));
        EXPECT_EQ(canvas.At(30, 12), kRed);
    }
}

// A banner is resampled once to its slot at the window's DPI, its halves where they were and no edge faded.
TEST(SkinImage, ABannerIsResampledOnceToItsSlotsSize) {
    ScratchSkin skin;
    ASSERT_TRUE(WritePicture(L"1.png", 8, 4, [](int x, int) { return x < 4 ? Rgba{0, 0, 220} : Rgba{0, 160, 0}; }));
    CSkinImage banner;
    ASSERT_TRUE(banner.LoadSized(L"1.png", 20, 10));
    EXPECT_EQ(banner.Width(), 20);
    EXPECT_EQ(banner.Height(), 10);
    Canvas canvas(kRed);
    banner.StretchCopy(canvas.Dc(), {0, 0, 20, 10});
    EXPECT_TRUE(Near(canvas.At(0, 0), kBlue, 12)) << "no edge fades: " << Describe(canvas.At(0, 0));
    EXPECT_TRUE(Near(canvas.At(19, 9), kGreen, 12)) << Describe(canvas.At(19, 9));
    EXPECT_EQ(canvas.At(25, 5), kRed);
    EXPECT_FALSE(banner.LoadSized(L"missing.jpg", 20, 10));
    EXPECT_TRUE(banner.IsEmpty());
}

TEST(SkinImage, DoesNotHoldItsFileOpen) {
    // A banner picture is replaced on disk while the window shows the old one.
    ScratchSkin skin;
    ASSERT_TRUE(WriteSolidPicture(L"1.jpg", 8, 8, {0, 160, 0}));
    CSkinImage banner;
    ASSERT_TRUE(banner.Load(L"1.jpg"));
    EXPECT_TRUE(DeleteFileW(L"1.jpg"));
    EXPECT_FALSE(banner.IsEmpty());
}

// One picture of one colour per skin scale, each at its size for that scale (20 x 10 at 100 %).
void WriteScaledPictures(const std::wstring& fileName) {
    ASSERT_TRUE(WriteSolidPicture(SkinPicturePath(fileName, 100), 20, 10, {200, 0, 0}));
    ASSERT_TRUE(WriteSolidPicture(SkinPicturePath(fileName, 150), 30, 15, {0, 160, 0}));
    ASSERT_TRUE(WriteSolidPicture(SkinPicturePath(fileName, 200), 40, 20, {0, 0, 220}));
}

TEST(SkinImage, LoadsThePictureOfTheDpisScaleAtItsSizeForTheDpi) {
    ScratchSkin skin;
    std::filesystem::create_directories(L"skin\\150");
    std::filesystem::create_directories(L"skin\\200");
    WriteScaledPictures(L"pic.png");
    ASSERT_TRUE(WriteSolidPicture(L"skin\\only100.jpg", 20, 10, {200, 0, 0}));
    struct Case {
        const wchar_t* fileName;
        UINT dpi;
        COLORREF colour;
        int width, height;
    };
    const Case cases[] = {
        {L"pic.png", 96, kRed, 20, 10},       {L"pic.png", 120, kGreen, 25, 13},
        {L"pic.png", 144, kGreen, 30, 15},    {L"pic.png", 168, kBlue, 35, 18},
        {L"pic.png", 192, kBlue, 40, 20},     {L"pic.png", 288, kBlue, 60, 30},
        {L"only100.jpg", 144, kRed, 30, 15},  // an older skin folder: the 100 % picture, scaled up
        {L"only100.jpg", 192, kRed, 40, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.fileName)) + " at " + std::to_string(c.dpi));
        CSkinImage image;
        ASSERT_TRUE(image.LoadForDpi(c.fileName, c.dpi));
        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        Canvas canvas(kWhite);
        image.Draw(canvas.Dc(), {0, 0, image.Width(), image.Height()});
        // Every pixel, the edges too, is the picture's own: resampling takes nothing from outside it.
        for (const POINT p : {POINT{0, 0}, POINT{c.width / 2, c.height / 2}, POINT{c.width - 1, c.height - 1}})
            EXPECT_TRUE(Near(canvas.At(p.x, p.y), c.colour, 4)) << p.x << "," << p.y << " " << Describe(canvas.At(p.x, p.y));
    }
    CSkinImage missing;
    EXPECT_FALSE(missing.LoadForDpi(L"missing.png", 144));
    EXPECT_TRUE(missing.IsEmpty());
}

TEST(SkinImage, KeepsPremultipliedAlphaWhenResampled) {
    ScratchSkin skin;
    std::filesystem::create_directories(L"skin\\200");
    // Red at half coverage; at 168 DPI the 200 % picture is resampled to 35 x 18.
    ASSERT_TRUE(WritePicture(SkinPicturePath(L"half.png", 200), 40, 20, [](int, int) { return Rgba{200, 0, 0, 128}; }));
    CSkinImage image;
    ASSERT_TRUE(image.LoadForDpi(L"half.png", 168));
    EXPECT_TRUE(image.HasAlpha());
    EXPECT_EQ(image.Width(), 35);
    Canvas onWhite(kWhite);
    image.Draw(onWhite.Dc(), {0, 0, image.Width(), image.Height()});
    EXPECT_TRUE(Near(onWhite.At(17, 9), RGB(228, 127, 127), 4)) << Describe(onWhite.At(17, 9));
}

TEST(PictureFile, DrawsTheSkinPictureOfTheDpisScaleIntoItsPlace) {
    ScratchSkin skin;
    std::filesystem::create_directories(L"skin\\150");
    std::filesystem::create_directories(L"skin\\200");
    WriteScaledPictures(L"band.jpg");
    for (const auto& [dpi, colour] : {std::pair{96u, kRed}, std::pair{144u, kGreen}, std::pair{192u, kBlue}}) {
        Canvas canvas(kWhite);
        DrawSkinPicture(canvas.Dc(), L"band.jpg", dpi, {4, 4, 60, 44});
        EXPECT_TRUE(Near(canvas.At(4, 4), colour, 6)) << dpi << " " << Describe(canvas.At(4, 4));
        EXPECT_TRUE(Near(canvas.At(59, 43), colour, 6)) << dpi << " " << Describe(canvas.At(59, 43));
        EXPECT_EQ(canvas.At(3, 3), kWhite);
        EXPECT_EQ(canvas.At(60, 44), kWhite);
    }
}

TEST(PictureFile, DrawsScaledOrByPartAndNothingWhenMissing) {
    ScratchSkin skin;
    // Four frames of 10 x 6: red, green, blue, white.
    const Rgba frames[] = {{200, 0, 0}, {0, 160, 0}, {0, 0, 220}, {255, 255, 255}};
    ASSERT_TRUE(WritePicture(L"skin\\strip.png", 40, 6, [&](int x, int) { return frames[x / 10]; }));

    Canvas scaled(RGB(0, 0, 0));
    DrawPictureFile(scaled.Dc(), L"skin\\strip.png", {0, 0, 64, 12});  // 16 pixels per frame
    for (const auto& [x, colour] : {std::pair{8, kRed}, std::pair{24, kGreen}, std::pair{40, kBlue}})
        EXPECT_TRUE(Near(scaled.At(x, 6), colour)) << x << " " << Describe(scaled.At(x, 6));
    // The outermost pixels keep the picture's colour instead of fading out.
    EXPECT_TRUE(Near(scaled.At(0, 0), kRed, 8)) << Describe(scaled.At(0, 0));
    EXPECT_TRUE(Near(scaled.At(63, 11), kWhite, 8)) << Describe(scaled.At(63, 11));

    // A frame by its source rectangle, pixel for pixel: no column of its neighbours shows.
    Canvas part(RGB(0, 0, 0));
    fw::GdiplusSession gdiplus;
    Gdiplus::Bitmap strip(L"skin\\strip.png");
    DrawPicturePart(part.Dc(), strip, {10, 0, 20, 6}, {5, 5, 15, 11});
    for (int x = 5; x < 15; ++x) EXPECT_EQ(part.At(x, 8), kGreen) << x;
    EXPECT_EQ(part.At(4, 8), RGB(0, 0, 0));
    EXPECT_EQ(part.At(15, 8), RGB(0, 0, 0));

    Canvas untouched(kRed);
    DrawPictureFile(untouched.Dc(), L"skin\\missing.png", {0, 0, 64, 48});
    EXPECT_EQ(untouched.At(10, 10), kRed);
}

}  // namespace
