#pragma once
// An image button of the title area: an owner-drawn push button whose PNG holds four frames side by side
// and which shows frame 1 at rest, 2 under the pointer and 3 while pushed. Its picture is a GDI+ bitmap:
// the button lives inside the application's GDI+ session.
#include <memory>
#include <string_view>

#include "framework/OwnerDrawButton.h"

namespace Gdiplus {
class Bitmap;
}

class PngButton : public fw::OwnerDrawButton {
public:
    PngButton();
    ~PngButton() override;

    // Decodes the skin strip fileName (e.g. L"help.png") of the skin scale for dpi, each frame resampled
    // to its 100 % size at dpi when that scale is not the DPI's own, and sizes the button to one frame,
    // keeping its top-left corner; a missing or undecodable file leaves the button 0 x 0.
    void LoadPng(std::wstring_view fileName, UINT dpi);

    bool HandleMessage(fw::Message& message) override;
    // A quick second click is a second press, so a double click makes two clicks.
    LRESULT DefWindowProc(UINT id, WPARAM wParam, LPARAM lParam) override;

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    fw::Result OnMouseMove(WPARAM, LPARAM);
    fw::Result OnMouseHover(WPARAM, LPARAM);
    fw::Result OnMouseLeave(WPARAM, LPARAM);
    fw::Result OnLButtonDownOrUp(WPARAM, LPARAM);
    fw::Result OnEraseBackground(WPARAM, LPARAM);

    BOOL m_bTracking = FALSE;
    BOOL m_bHover = FALSE;
    int m_nHeight = 0;
    int m_nFrameWidth = 0;
    std::unique_ptr<Gdiplus::Bitmap> m_pBitmap;
};
