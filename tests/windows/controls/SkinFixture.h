#pragma once
// Test pictures written on the fly into a skin folder of a scratch directory that is the current directory
// for the length of a test, and reading back what a window or context shows.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Sessions.h"
#include "tests/core/support/TempWorkingDirectory.h"

// RGB with an alpha channel, as a picture file holds it (not multiplied by alpha).
struct Rgba {
    BYTE r, g, b, a = 255;
};

// Writes a PNG (or, for a ".jpg" path, a JPEG) of the given size; pixel(x, y) gives each pixel.
// opaque writes a picture without an alpha channel.
bool WritePicture(const std::wstring& path, int width, int height, const std::function<Rgba(int x, int y)>& pixel,
                  bool opaque = false);
bool WriteSolidPicture(const std::wstring& path, int width, int height, Rgba colour);

// A scratch directory with an empty skin folder, made the current directory; everything goes at the end.
class ScratchSkin {
public:
    ScratchSkin();

private:
    fw::GdiplusSession gdiplus_;
    TempWorkingDirectory folder_;
};

COLORREF WindowPixel(HWND hwnd, int x, int y);

// A pixel of a picture file as it is stored, with its alpha; alpha 0 when the file cannot be read.
Rgba PicturePixel(const std::wstring& path, int x, int y);

// Colours within a small distance of each other per channel (JPEG and blending round).
bool Near(COLORREF actual, COLORREF expected, int tolerance = 3);
std::string Describe(COLORREF colour);
