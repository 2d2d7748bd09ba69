#include "framework/StaticBitmap.h"

#include <commctrl.h>

#include <memory>

#include "controls/SkinScale.h"
#include "framework/GdiplusHeaders.h"

namespace fw {

namespace {

// Tells this subclass apart from the bound object's (Control.cpp).
constexpr UINT_PTR kSubclassId = 0x436F7262;
// The bitmap we handed the control (GetWindowSubclass, which could hold it, is missing from MinGW's import library).
constexpr const wchar_t* kBitmapProperty = L"Corvane.StaticBitmap";

HBITMAP HandedOver(HWND control) { return static_cast<HBITMAP>(GetPropW(control, kBitmapProperty)); }

// Swaps the control's picture and deletes what it showed: the bitmap we handed over before and, when the
// control answered with a different one (its own copy, or a picture set by its template), that one as well.
void Replace(HWND control, HBITMAP bitmap) {
    const HBITMAP previous = HandedOver(control);
    const auto returned = reinterpret_cast<HBITMAP>(
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (returned && returned != previous && returned != bitmap) DeleteObject(returned);
    if (previous && previous != bitmap) DeleteObject(previous);
    if (bitmap)
        SetPropW(control, kBitmapProperty, bitmap);
    else
        RemovePropW(control, kBitmapProperty);
}

LRESULT CALLBACK FreeWithControl(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (id == WM_NCDESTROY) {
        // The picture is taken away before the control's own cleanup, so nothing is freed twice.
        Replace(hwnd, nullptr);
        RemoveWindowSubclass(hwnd, FreeWithControl, kSubclassId);
    }
    return DefSubclassProc(hwnd, id, wParam, lParam);
}

}  // namespace

bool SetStaticBitmap(HWND control, HBITMAP bitmap) {
    if (!IsWindow(control) || !SetWindowSubclass(control, FreeWithControl, kSubclassId, 0)) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    if (bitmap != HandedOver(control) || !bitmap) Replace(control, bitmap);
    return true;
}

HBITMAP LoadBitmapResourceForDpi(int resource, UINT dpi) {
    const auto stored = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!stored || dpi == kBaseDpi) return stored;
    BITMAP size{};
    GetObjectW(stored, sizeof size, &size);
    const int width = ScaleForDpi(size.bmWidth, static_cast<int>(dpi));
    const int height = ScaleForDpi(size.bmHeight, static_cast<int>(dpi));
    HBITMAP scaled = nullptr;
    {
        const std::unique_ptr<Gdiplus::Bitmap> source(Gdiplus::Bitmap::FromHBITMAP(stored, nullptr));
        Gdiplus::Bitmap target(width, height, PixelFormat24bppRGB);
        Gdiplus::Graphics graphics(&target);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        // Clamped edges, so the border pixels do not fade into the transparent outside.
        Gdiplus::ImageAttributes edges;
        edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        if (source && graphics.DrawImage(source.get(), Gdiplus::Rect(0, 0, width, height), 0, 0, size.bmWidth,
                                         size.bmHeight, Gdiplus::UnitPixel, &edges) == Gdiplus::Ok)
            target.GetHBITMAP(Gdiplus::Color(255, 255, 255), &scaled);
    }
    if (!scaled) return stored;
    DeleteObject(stored);
    return scaled;
}

}  // namespace fw
