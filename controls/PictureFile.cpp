#include "controls/PictureFile.h"

#include "framework/GdiplusHeaders.h"

namespace {

Gdiplus::Rect ToGdiplus(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// Scaled pictures take their edge pixels from inside the picture: plain scaling fades the outermost
// pixels into transparency and leaves light seams at the borders.
void DrawScaled(HDC dc, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    Gdiplus::Graphics(dc).DrawImage(&picture, ToGdiplus(dest), source.left, source.top, source.right - source.left,
                                    source.bottom - source.top, Gdiplus::UnitPixel, &edges);
}

// Same-size parts are copied pixel for pixel, so no column of a neighbouring frame blends in.
void DrawUnscaled(HDC dc, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(&picture, ToGdiplus(dest), source.left, source.top, source.right - source.left,
                       source.bottom - source.top, Gdiplus::UnitPixel);
}

}  // namespace

void DrawPictureFile(HDC dc, const wchar_t* path, const RECT& dest) {
    Gdiplus::Image picture(path);
    if (picture.GetLastStatus() != Gdiplus::Ok) return;
    const RECT whole{0, 0, static_cast<LONG>(picture.GetWidth()), static_cast<LONG>(picture.GetHeight())};
    DrawScaled(dc, picture, whole, dest);
}

void DrawPictureFileAtOwnSize(HDC dc, const wchar_t* path, int x, int y) {
    Gdiplus::Image picture(path);
    if (picture.GetLastStatus() != Gdiplus::Ok) return;
    const LONG width = static_cast<LONG>(picture.GetWidth());
    const LONG height = static_cast<LONG>(picture.GetHeight());
    DrawUnscaled(dc, picture, {0, 0, width, height}, {x, y, x + width, y + height});
}

void DrawPicturePart(HDC dc, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    if (source.right - source.left == dest.right - dest.left && source.bottom - source.top == dest.bottom - dest.top)
        DrawUnscaled(dc, picture, source, dest);
    else
        DrawScaled(dc, picture, source, dest);
}
