#include "controls/CoolButton.h"

#include "controls/MemoryDC.h"
#include "framework/Dpi.h"

// Each handler updates the tab's state and declines, so the button's own processing follows.
bool CCoolButton::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CCoolButton> table[] = {
        fw::OnMessage(WM_MOUSEMOVE, &CCoolButton::OnMouseMove),
        fw::OnMessage(WM_MOUSEHOVER, &CCoolButton::OnMouseHover),
        fw::OnMessage(WM_MOUSELEAVE, &CCoolButton::OnMouseLeave),
        fw::OnMessage(WM_LBUTTONDOWN, &CCoolButton::OnLButtonDown),
        fw::OnMessage(WM_LBUTTONUP, &CCoolButton::OnLButtonUp),
    };
    return fw::Dispatch(*this, table, message) || OwnerDrawButton::HandleMessage(message);
}

void CCoolButton::DrawItem(const DRAWITEMSTRUCT&) {
    // Drawn on the button's own context through an off-screen copy, so switching pictures never flickers.
    RECT client;
    GetClientRect(hwnd_, &client);
    const fw::ClientDC window(hwnd_);
    const CMemoryDC memory(window, &client);
    const int pictureNumber = TabPictureNumber(GetDlgCtrlID(hwnd_));
    if (pictureNumber == 0) return;  // not a tab: plain white
    const UINT dpi = m_dpi ? m_dpi : fw::WindowDpi(hwnd_);
    if (dpi != m_picturesDpi || client.right != m_picturesSize.cx || client.bottom != m_picturesSize.cy) {
        for (CSkinImage& picture : m_pictures) picture.Release();
        m_picturesDpi = dpi;
        m_picturesSize = {client.right, client.bottom};
    }
    CSkinImage& picture = m_pictures[static_cast<std::size_t>(ShownPicture())];
    if (picture.IsEmpty())
        picture.LoadForDpiSized(TabPictureFile(pictureNumber, ShownPicture()), dpi, client.right, client.bottom);
    picture.Draw(memory, client);
}

void CCoolButton::SetDpi(UINT dpi) {
    m_dpi = dpi;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

fw::Result CCoolButton::OnMouseMove(WPARAM, LPARAM) {
    TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, hwnd_, 1};
    TrackMouseEvent(&track);
    return fw::Declined;
}

fw::Result CCoolButton::OnMouseHover(WPARAM, LPARAM) {
    m_bHover = true;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE);
    return fw::Declined;
}

fw::Result CCoolButton::OnMouseLeave(WPARAM, LPARAM) {
    m_bHover = false;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE);
    return fw::Declined;
}

fw::Result CCoolButton::OnLButtonDown(WPARAM, LPARAM) {
    m_bPressed = TRUE;
    return fw::Declined;
}

fw::Result CCoolButton::OnLButtonUp(WPARAM, LPARAM) {
    m_bPressed = FALSE;
    return fw::Declined;
}
