#include "controls/PngButton.h"

#include "controls/ButtonPictures.h"
#include "controls/PictureFile.h"
#include "controls/SkinScale.h"
#include "framework/GdiplusHeaders.h"

PngButton::PngButton() = default;

PngButton::~PngButton() = default;

void PngButton::LoadPng(std::wstring_view fileName, UINT dpi) {
    int scalePercent = 100;
    m_pBitmap = LoadSkinPicture(fileName, dpi, scalePercent);
    const int frameWidthInFile = m_pBitmap ? FrameWidth(static_cast<int>(m_pBitmap->GetWidth())) : 0;
    const int heightInFile = m_pBitmap ? static_cast<int>(m_pBitmap->GetHeight()) : 0;
    m_nFrameWidth = SkinSideAtDpi(frameWidthInFile, scalePercent, static_cast<int>(dpi));
    m_nHeight = SkinSideAtDpi(heightInFile, scalePercent, static_cast<int>(dpi));
    if (m_pBitmap && (m_nFrameWidth != frameWidthInFile || m_nHeight != heightInFile)) {
        m_pBitmap = ResizedPicture(*m_pBitmap, 4, m_nFrameWidth, m_nHeight);
        if (!m_pBitmap) m_nFrameWidth = m_nHeight = 0;
    }

    if (!hwnd_) return;
    RECT place;
    GetWindowRect(hwnd_, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(hwnd_, place.left, place.top, m_nFrameWidth, m_nHeight, TRUE);
}

bool PngButton::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<PngButton> table[] = {
        fw::OnMessage(WM_MOUSEMOVE, &PngButton::OnMouseMove),
        fw::OnMessage(WM_MOUSEHOVER, &PngButton::OnMouseHover),
        fw::OnMessage(WM_MOUSELEAVE, &PngButton::OnMouseLeave),
        fw::OnMessage(WM_LBUTTONDOWN, &PngButton::OnLButtonDownOrUp),
        fw::OnMessage(WM_LBUTTONUP, &PngButton::OnLButtonDownOrUp),
        fw::OnMessage(WM_ERASEBKGND, &PngButton::OnEraseBackground),
    };
    return fw::Dispatch(*this, table, message) || OwnerDrawButton::HandleMessage(message);
}

LRESULT PngButton::DefWindowProc(UINT id, WPARAM wParam, LPARAM lParam) {
    // An owner-drawn button would only report BN_DOUBLECLICKED for the second click.
    if (id == WM_LBUTTONDBLCLK) id = WM_LBUTTONDOWN;
    return OwnerDrawButton::DefWindowProc(id, wParam, lParam);
}

void PngButton::DrawItem(const DRAWITEMSTRUCT& item) {
    if (!m_pBitmap) return;
    const int frame = ChooseFrame((item.itemState & ODS_SELECTED) != 0, m_bHover != FALSE);
    const int left = FrameLeft(frame, m_nFrameWidth);
    DrawPicturePart(item.hDC, *m_pBitmap, {left, 0, left + m_nFrameWidth, m_nHeight}, {0, 0, m_nFrameWidth, m_nHeight});
}

fw::Result PngButton::OnMouseMove(WPARAM, LPARAM) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd_, 1};
        m_bTracking = TrackMouseEvent(&track);
    }
    return fw::Declined;
}

fw::Result PngButton::OnMouseHover(WPARAM, LPARAM) {
    m_bHover = TRUE;
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 0;
}

fw::Result PngButton::OnMouseLeave(WPARAM, LPARAM) {
    m_bTracking = FALSE;
    m_bHover = FALSE;
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 0;
}

fw::Result PngButton::OnLButtonDownOrUp(WPARAM, LPARAM) {
    InvalidateRect(hwnd_, nullptr, TRUE);
    return fw::Declined;
}

// Transparent pixels of a frame show what the button's area already holds.
fw::Result PngButton::OnEraseBackground(WPARAM, LPARAM) { return TRUE; }
