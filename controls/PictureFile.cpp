#include "controls/PictureFile.h"

#include <string>

#include "controls/SkinScale.h"
#include "framework/GdiplusHeaders.h"

namespace {

Gdiplus::Rect ToGdiplus(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// Scaled pictures take their edge pixels from inside the picture: plain scaling fades the outermost
// pixels into transparency and leaves light seams at the borders. Bicubic sampling over pixel centres
// keeps thin lines and Chinese strokes sharp when a larger scale's picture is drawn smaller.
void DrawScaled(Gdiplus::Graphics& graphics, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(&picture, ToGdiplus(dest), source.left, source.top, source.right - source.left,
                       source.bottom - source.top, Gdiplus::UnitPixel, &edges);
}

// Same-size parts are copied pixel for pixel, so no column of a neighbouring frame blends in.
void DrawUnscaled(Gdiplus::Graphics& graphics, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(&picture, ToGdiplus(dest), source.left, source.top, source.right - source.left,
                       source.bottom - source.top, Gdiplus::UnitPixel);
}

void DrawPart(Gdiplus::Graphics& graphics, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    if (source.right - source.left == dest.right - dest.left && source.bottom - source.top == dest.bottom - dest.top)
        DrawUnscaled(graphics, picture, source, dest);
    else
        DrawScaled(graphics, picture, source, dest);
}

RECT WholeOf(Gdiplus::Image& picture) {
    return {0, 0, static_cast<LONG>(picture.GetWidth()), static_cast<LONG>(picture.GetHeight())};
}

std::unique_ptr<Gdiplus::Bitmap> DecodedPicture(const std::wstring& path) {
    std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromFile(path.c_str()));
    if (picture && picture->GetLastStatus() != Gdiplus::Ok) picture.reset();
    return picture;
}

}  // namespace

void DrawPictureFile(HDC dc, const wchar_t* path, const RECT& dest) {
    Gdiplus::Image picture(path);
    if (picture.GetLastStatus() != Gdiplus::Ok) return;
    Gdiplus::Graphics graphics(dc);
    DrawScaled(graphics, picture, WholeOf(picture), dest);
}

void DrawPicturePart(HDC dc, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    Gdiplus::Graphics graphics(dc);
    DrawPart(graphics, picture, source, dest);
}

std::unique_ptr<Gdiplus::Bitmap> LoadSkinPicture(std::wstring_view fileName, UINT dpi, int& scalePercent) {
    scalePercent = SkinScaleForDpi(static_cast<int>(dpi));
    if (scalePercent != 100) {
        if (auto picture = DecodedPicture(SkinPicturePath(fileName, scalePercent))) return picture;
        scalePercent = 100;
    }
    return DecodedPicture(SkinPicturePath(fileName, 100));
}

void DrawSkinPicture(HDC dc, std::wstring_view fileName, UINT dpi, const RECT& dest) {
    int scalePercent = 100;
    const auto picture = LoadSkinPicture(fileName, dpi, scalePercent);
    if (!picture) return;
    Gdiplus::Graphics graphics(dc);
    DrawPart(graphics, *picture, WholeOf(*picture), dest);
}

std::unique_ptr<Gdiplus::Bitmap> ResizedPicture(Gdiplus::Image& picture, int frames, int frameWidth, int height) {
    if (frames <= 0 || frameWidth <= 0 || height <= 0) return nullptr;
    auto resized = std::make_unique<Gdiplus::Bitmap>(frames * frameWidth, height, PixelFormat32bppPARGB);
    if (resized->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(resized.get());
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    const LONG sourceFrameWidth = static_cast<LONG>(picture.GetWidth()) / frames;
    const LONG sourceHeight = static_cast<LONG>(picture.GetHeight());
    for (int frame = 0; frame < frames; ++frame) {
        const RECT source{frame * sourceFrameWidth, 0, (frame + 1) * sourceFrameWidth, sourceHeight};
        const RECT dest{frame * frameWidth, 0, (frame + 1) * frameWidth, height};
        DrawPart(graphics, picture, source, dest);
    }
    return resized;
}
