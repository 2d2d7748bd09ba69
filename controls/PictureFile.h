#pragma once
// Drawing pictures through GDI+ onto a device context; pictures with alpha composite over what it holds.
// The caller has GDI+ started. A picture file that cannot be loaded draws nothing.
#include <windows.h>

#include <memory>
#include <string_view>

namespace Gdiplus {
class Bitmap;
class Image;
}  // namespace Gdiplus

// The file's picture scaled into dest.
void DrawPictureFile(HDC dc, const wchar_t* path, const RECT& dest);

// The part source of a loaded picture, in pixels, into dest: copied pixel for pixel when the sizes match,
// scaled with high quality otherwise.
void DrawPicturePart(HDC dc, Gdiplus::Image& picture, const RECT& source, const RECT& dest);

// The skin picture fileName (e.g. L"bg.jpg") for a window at dpi: the file of SkinScaleForDpi(dpi), or the
// 100 % file where that one is missing or broken (an older skin folder), scaled up then. scalePercent
// receives the scale of the file decoded. nullptr when neither decodes.
std::unique_ptr<Gdiplus::Bitmap> LoadSkinPicture(std::wstring_view fileName, UINT dpi, int& scalePercent);

// The skin picture fileName for a window at dpi scaled into dest with high quality.
void DrawSkinPicture(HDC dc, std::wstring_view fileName, UINT dpi, const RECT& dest);

// A copy of picture made of frames (equal parts side by side) at frameWidth x height each, in 32-bit
// premultiplied ARGB: each frame is scaled with high quality on its own, so no frame's edge takes colour
// from its neighbour. nullptr when GDI+ cannot make it.
std::unique_ptr<Gdiplus::Bitmap> ResizedPicture(Gdiplus::Bitmap& picture, int frames, int frameWidth, int height);
