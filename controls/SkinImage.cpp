#include "controls/SkinImage.h"

#include "controls/PictureFile.h"
#include "controls/SkinScale.h"
#include "framework/GdiplusHeaders.h"

namespace {

// Far beyond any skin or banner picture; keeps the bitmap's byte count well inside what GDI allocates.
constexpr int kLargestSide = 8192;

bool FitsLargestSide(int width, int height) {
    return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide;
}

HBITMAP CreateTopDownDib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

bool CSkinImage::Load(const wchar_t* path) {
    Release();
    Gdiplus::Bitmap picture(path);
    return picture.GetLastStatus() == Gdiplus::Ok && Adopt(picture);
}

bool CSkinImage::LoadForDpi(std::wstring_view fileName, UINT dpi) {
    Release();
    int scalePercent = 100;
    const auto picture = LoadSkinPicture(fileName, dpi, scalePercent);
    if (!picture) return false;
    const int width = SkinSideAtDpi(static_cast<int>(picture->GetWidth()), scalePercent, static_cast<int>(dpi));
    const int height = SkinSideAtDpi(static_cast<int>(picture->GetHeight()), scalePercent, static_cast<int>(dpi));
    return AdoptResized(*picture, width, height);
}

bool CSkinImage::LoadForDpiSized(std::wstring_view fileName, UINT dpi, int width, int height) {
    Release();
    int scalePercent = 100;
    const auto picture = LoadSkinPicture(fileName, dpi, scalePercent);
    return picture && AdoptResized(*picture, width, height);
}

bool CSkinImage::LoadSized(const wchar_t* path, int width, int height) {
    Release();
    Gdiplus::Bitmap picture(path);
    return picture.GetLastStatus() == Gdiplus::Ok && AdoptResized(picture, width, height);
}

bool CSkinImage::AdoptResized(Gdiplus::Bitmap& picture, int width, int height) {
    if (width == static_cast<int>(picture.GetWidth()) && height == static_cast<int>(picture.GetHeight()))
        return Adopt(picture);
    if (!FitsLargestSide(width, height)) return false;
    const bool hasAlpha = Gdiplus::IsAlphaPixelFormat(picture.GetPixelFormat());
    const auto resized = ResizedPicture(picture, 1, width, height);
    if (!resized || !Adopt(*resized)) return false;
    m_hasAlpha = hasAlpha;  // the resampled copy always has a channel; an opaque picture keeps being copied
    return true;
}

bool CSkinImage::Adopt(Gdiplus::Bitmap& picture) {
    const UINT width = picture.GetWidth();
    const UINT height = picture.GetHeight();
    if (!FitsLargestSide(static_cast<int>(width), static_cast<int>(height))) return false;

    const bool hasAlpha = Gdiplus::IsAlphaPixelFormat(picture.GetPixelFormat());
    void* bits = nullptr;
    fw::GdiObject<HBITMAP> dib(CreateTopDownDib(static_cast<int>(width), static_cast<int>(height), &bits));
    if (!dib) return false;

    // GDI+ converts straight into the bitmap's pixels.
    Gdiplus::BitmapData pixels{};
    pixels.Width = width;
    pixels.Height = height;
    pixels.Stride = static_cast<INT>(width * 4);
    pixels.PixelFormat = hasAlpha ? PixelFormat32bppPARGB : PixelFormat32bppRGB;
    pixels.Scan0 = bits;
    Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    if (picture.LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, pixels.PixelFormat,
                         &pixels) != Gdiplus::Ok)
        return false;
    picture.UnlockBits(&pixels);

    m_bitmap = std::move(dib);
    m_width = static_cast<int>(width);
    m_height = static_cast<int>(height);
    m_hasAlpha = hasAlpha;
    return true;
}

void CSkinImage::Release() {
    m_bitmap.Reset();
    m_width = m_height = 0;
    m_hasAlpha = false;
}

void CSkinImage::Draw(HDC dc, const RECT& dest) const {
    if (!m_hasAlpha) {
        StretchCopy(dc, dest);
        return;
    }
    if (IsEmpty()) return;
    fw::MemoryDC source(dc);
    const fw::SelectedObject picture(source, m_bitmap.Get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source, 0, 0, m_width, m_height,
               blend);
}

void CSkinImage::StretchCopy(HDC dc, const RECT& dest) const {
    if (IsEmpty()) return;
    fw::MemoryDC source(dc);
    const fw::SelectedObject picture(source, m_bitmap.Get());
    // Averaging keeps scaled-down pictures smooth; the default mode would merge rows into darker ones.
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin;
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source, 0, 0, m_width, m_height,
               SRCCOPY);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    SetStretchBltMode(dc, oldMode);
}
