#pragma once
// Drawing pictures through GDI+ onto a device context; pictures with alpha composite over what it holds.
// The caller has GDI+ started. A picture file that cannot be loaded draws nothing.
#include <windows.h>

namespace Gdiplus {
class Image;
}

// The file's picture scaled into dest.
void DrawPictureFile(HDC dc, const wchar_t* path, const RECT& dest);

// The file's picture at its own size in pixels, its top-left corner at (x, y).
void DrawPictureFileAtOwnSize(HDC dc, const wchar_t* path, int x, int y);

// The part source of a loaded picture, in pixels, into dest.
void DrawPicturePart(HDC dc, Gdiplus::Image& picture, const RECT& source, const RECT& dest);
