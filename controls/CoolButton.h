#pragma once
// A category tab: an owner-drawn push button that shows one of its four skin pictures, by whether the pointer
// rests on it, whether the left button holds it down and whether its window marked it as the selected tab.
// The picture fills the tab, whose size comes from its window's layout; the skin scale matching the tab's
// DPI keeps it crisp.
#include <array>

#include "controls/ButtonPictures.h"
#include "controls/SkinImage.h"
#include "framework/OwnerDrawButton.h"

class CCoolButton : public fw::OwnerDrawButton {
public:
    bool HandleMessage(fw::Message& message) override;

    // Written only by the window that owns the tabs; it repaints them afterwards.
    void SetSelected(bool selected) { m_bSelected = selected; }
    // The DPI whose skin scale the tab draws, set by its window at creation and on WM_DPICHANGED; until
    // then the tab asks its own window. Repaints the tab.
    void SetDpi(UINT dpi);

    TabPicture ShownPicture() const { return ChooseTabPicture(m_bSelected, m_bHover, m_bPressed != FALSE); }

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    fw::Result OnMouseMove(WPARAM, LPARAM);
    fw::Result OnMouseHover(WPARAM, LPARAM);
    fw::Result OnMouseLeave(WPARAM, LPARAM);
    fw::Result OnLButtonDown(WPARAM, LPARAM);
    fw::Result OnLButtonUp(WPARAM, LPARAM);

    bool m_bHover = false;
    BOOL m_bPressed = FALSE;
    bool m_bSelected = false;
    UINT m_dpi = 0;  // 0: the tab window's own DPI
    // Each look decoded the first time it shows, for the tab's size and DPI, and then only copied: a tab
    // paints at every hover, and with every other tab when one is selected.
    std::array<CSkinImage, 4> m_pictures;
    UINT m_picturesDpi = 0;
    SIZE m_picturesSize{};
};
