#pragma once
// Sizes at a window's DPI, and which skin pictures a window of that DPI draws. The skin is drawn at
// 100 %, 150 % and 200 %: the 100 % pictures are in skin\ itself, the larger ones in skin\150\ and
// skin\200\ under the same names. Every layout size in the program is written for 96 DPI and goes
// through ScaleForDpi.
#include <string>
#include <string_view>

inline constexpr int kBaseDpi = 96;

// A length in pixels at 96 DPI as pixels at dpi, rounded half away from zero like MulDiv.
constexpr int ScaleForDpi(int pixels, int dpi) {
    const long long scaled = static_cast<long long>(pixels) * dpi;
    const long long half = kBaseDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kBaseDpi : -((-scaled + half) / kBaseDpi));
}

// The inverse: pixels at dpi as pixels at 96 DPI, for reading back what a scaled window measures.
constexpr int UnscaleForDpi(int pixels, int dpi) {
    if (dpi <= 0) return pixels;
    const long long scaled = static_cast<long long>(pixels) * kBaseDpi;
    const long long half = dpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / dpi : -((-scaled + half) / dpi));
}

// The skin scale drawn for dpi: the smallest of 100, 150 and 200 percent at or above the DPI's own
// percentage, so pictures are only ever scaled down; 200 above that. A DPI of 0 or less counts as 96.
int SkinScaleForDpi(int dpi);

// A picture's side drawn at dpi, from its side in the file of a skin scale: the side at 100 % (the file's
// scaled back) scaled to dpi, so a picture of any scale lands on the same size as the layout around it.
int SkinSideAtDpi(int sideInFile, int scalePercent, int dpi);

// The relative path of a skin picture at a scale, e.g. ".\skin\150\bg.jpg"; 100 gives ".\skin\bg.jpg".
std::wstring SkinPicturePath(std::wstring_view fileName, int scalePercent);

// The same picture at another scale, from the path of its 100 % file in a skin folder (absolute or relative):
// "C:\app\skin\loading.gif" at 150 is "C:\app\skin\150\loading.gif"; 100 gives the path as it is.
std::wstring AtSkinScale(std::wstring_view picturePath, int scalePercent);
