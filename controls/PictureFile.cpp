#include "controls/PictureFile.h"

#include <algorithm>
#include <string>

#include "controls/SkinScale.h"
#include "framework/GdiplusHeaders.h"

namespace {

Gdiplus::Rect ToGdiplus(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// Scaled pictures take their edge pixels from inside the picture: plain scaling fades the outermost
// pixels into transparency and leaves light seams at the borders. Bicubic sampling keeps thin lines and
// Chinese strokes sharp when a larger scale's picture is drawn smaller.
void DrawScaled(Gdiplus::Graphics& graphics, Gdiplus::Image& picture, const RECT& source, const RECT& dest) {
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
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

// A frame of a strip with a one-pixel border that repeats its edge pixels. Scaling samples a little
// beyond a frame's edges; drawn from its strip the neighbouring frame would blend into its outer rows
// and columns, and drawn alone some GDI+ versions (Wine's) leave the outermost ones transparent.
std::unique_ptr<Gdiplus::Bitmap> FrameWithRepeatedEdges(Gdiplus::Bitmap& picture, INT left, INT width, INT height) {
    auto padded = std::make_unique<Gdiplus::Bitmap>(width + 2, height + 2, PixelFormat32bppPARGB);
    if (padded->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Rect frameArea(left, 0, width, height);
    Gdiplus::Rect paddedArea(0, 0, width + 2, height + 2);
    Gdiplus::BitmapData source{};
    Gdiplus::BitmapData target{};
    if (picture.LockBits(&frameArea, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &source) != Gdiplus::Ok)
        return nullptr;
    if (padded->LockBits(&paddedArea, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &target) != Gdiplus::Ok) {
        picture.UnlockBits(&source);
        return nullptr;
    }
    for (INT y = 0; y < height + 2; ++y) {
        const auto* from = reinterpret_cast<const UINT32*>(static_cast<const BYTE*>(source.Scan0) +
                                                           std::clamp(y - 1, 0, height - 1) * source.Stride);
        auto* to = reinterpret_cast<UINT32*>(static_cast<BYTE*>(target.Scan0) + y * target.Stride);
        for (INT x = 0; x < width + 2; ++x) to[x] = from[std::clamp(x - 1, 0, width - 1)];
    }
    padded->UnlockBits(&target);
    picture.UnlockBits(&source);
    return padded;
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

std::unique_ptr<Gdiplus::Bitmap> ResizedPicture(Gdiplus::Bitmap& picture, int frames, int frameWidth, int height) {
    const INT sourceFrameWidth = static_cast<INT>(picture.GetWidth()) / std::max(frames, 1);
    const INT sourceHeight = static_cast<INT>(picture.GetHeight());
    if (frames <= 0 || frameWidth <= 0 || height <= 0 || sourceFrameWidth <= 0 || sourceHeight <= 0) return nullptr;
    auto resized = std::make_unique<Gdiplus::Bitmap>(frames * frameWidth, height, PixelFormat32bppPARGB);
    if (resized->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(resized.get());
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    for (int frame = 0; frame < frames; ++frame) {
        const auto padded = FrameWithRepeatedEdges(picture, frame * sourceFrameWidth, sourceFrameWidth, sourceHeight);
        if (!padded) return nullptr;
        // The bordered frame is drawn whole, its border beyond the clip: every sample is then taken inside
        // the picture drawn, and the frame itself lands exactly on its place.
        const Gdiplus::REAL scaleX = static_cast<Gdiplus::REAL>(frameWidth) / sourceFrameWidth;
        const Gdiplus::REAL scaleY = static_cast<Gdiplus::REAL>(height) / sourceHeight;
        const Gdiplus::RectF place(static_cast<Gdiplus::REAL>(frame * frameWidth) - scaleX, -scaleY,
                                   (sourceFrameWidth + 2) * scaleX, (sourceHeight + 2) * scaleY);
        graphics.SetClip(Gdiplus::Rect(frame * frameWidth, 0, frameWidth, height));
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.DrawImage(padded.get(), place, 0, 0, static_cast<Gdiplus::REAL>(sourceFrameWidth + 2),
                           static_cast<Gdiplus::REAL>(sourceHeight + 2), Gdiplus::UnitPixel);
    }
    return resized;
}
