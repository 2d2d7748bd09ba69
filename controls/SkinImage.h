#pragma once
// A picture decoded from its file into a device-independent bitmap that its window keeps between paints.
// Pictures with an alpha channel are kept premultiplied, so AlphaBlend composites them exactly. Decoding
// goes through GDI+, which the application object keeps started.
#include <string_view>

#include "framework/DeviceContext.h"

namespace Gdiplus {
class Bitmap;
}

class CSkinImage {
public:
    CSkinImage() = default;
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;

    // Lets go of the current picture and decodes the file (JPEG, PNG, GIF, BMP); false and empty when it
    // is missing or cannot be decoded. The file is not held open afterwards.
    bool Load(const wchar_t* path);
    // The skin picture fileName (e.g. L"bg.jpg") for a window at dpi: the file of the skin scale for dpi,
    // resampled with high quality to its 100 % size scaled to dpi when that scale is not the DPI's own.
    // Width() and Height() are then pixels at dpi.
    bool LoadForDpi(std::wstring_view fileName, UINT dpi);
    // The same file resampled with high quality to width x height once, so drawing it there only copies.
    bool LoadForDpiSized(std::wstring_view fileName, UINT dpi, int width, int height);
    // The file's picture resampled with high quality to width x height once, so drawing it there only copies.
    bool LoadSized(const wchar_t* path, int width, int height);
    void Release();

    bool IsEmpty() const { return !m_bitmap; }
    bool HasAlpha() const { return m_hasAlpha; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // The whole picture scaled into dest: alpha-blended over what dc holds when it has alpha, copied otherwise.
    void Draw(HDC dc, const RECT& dest) const;
    // The whole picture scaled into dest, always copied.
    void StretchCopy(HDC dc, const RECT& dest) const;

private:
    bool Adopt(Gdiplus::Bitmap& picture);
    bool AdoptResized(Gdiplus::Bitmap& picture, int width, int height);

    fw::GdiObject<HBITMAP> m_bitmap;
    int m_width = 0;
    int m_height = 0;
    bool m_hasAlpha = false;
};
