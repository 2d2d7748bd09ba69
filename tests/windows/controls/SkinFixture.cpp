#include "tests/windows/controls/SkinFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "framework/DeviceContext.h"
#include "framework/GdiplusHeaders.h"
#include "tests/windows/support/Screenshot.h"

bool WritePicture(const std::wstring& path, int width, int height, const std::function<Rgba(int x, int y)>& pixel,
                  bool opaque) {
    const bool jpeg = path.ends_with(L".jpg");
    Gdiplus::Bitmap picture(width, height, opaque || jpeg ? PixelFormat24bppRGB : PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgba c = pixel(x, y);
            picture.SetPixel(x, y, Gdiplus::Color(c.a, c.r, c.g, c.b));
        }
    }
    CLSID encoder;
    return ImageEncoder(jpeg ? L"image/jpeg" : L"image/png", encoder) &&
           picture.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

bool WriteSolidPicture(const std::wstring& path, int width, int height, Rgba colour) {
    return WritePicture(path, width, height, [colour](int, int) { return colour; });
}

ScratchSkin::ScratchSkin() { std::filesystem::create_directories(folder_.Path() / "skin"); }

COLORREF WindowPixel(HWND hwnd, int x, int y) {
    const fw::ClientDC dc(hwnd);
    return GetPixel(dc, x, y);
}

Rgba PicturePixel(const std::wstring& path, int x, int y) {
    Gdiplus::Bitmap picture(path.c_str());
    Gdiplus::Color colour;
    if (picture.GetLastStatus() != Gdiplus::Ok || picture.GetPixel(x, y, &colour) != Gdiplus::Ok) return {0, 0, 0, 0};
    return {colour.GetR(), colour.GetG(), colour.GetB(), colour.GetA()};
}

bool Near(COLORREF actual, COLORREF expected, int tolerance) {
    return std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
           std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
           std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
}

std::string Describe(COLORREF colour) {
    char text[32];
    std::snprintf(text, sizeof text, "rgb(%d, %d, %d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}
