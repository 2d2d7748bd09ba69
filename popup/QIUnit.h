#pragma once
// One entry of the pop-up notifier: a child panel with the category's logo, the headline's title (a link
// when the item has one) and its publish time, over the skin's entry background. The pop-up creates,
// places and moves it; the entry fills itself in, paints its background and opens its link when clicked.
//
// A keyword alert's entry stands out: an amber band at its left edge and a warm tint over the background,
// and a title it draws itself, with the rule's matched words in bold. A click anywhere on it opens its link
// and acknowledges it: the first one tells the pop-up (kAlertAcknowledged), whose stay time waits for that.
//
// The summary entry after quiet looks like an ordinary one (the envelope, its text as a link, the time it
// was shown); a click anywhere on it asks the main window to show itself and counts as read.
//
// Its sizes are for 96 DPI, scaled to its DPI: the one its window was made at, then what the pop-up hands it
// (SetDpi), which scales the entry, its controls and its font and lays the title out again.
//
// An entry allocated with new frees itself after its window has been destroyed (Destroy, or its parent's end). One is made per
// announced headline for as long as the program runs, so it releases every GDI object it made.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "alerts/AlertMatcher.h"
#include "connection/NewsItem.h"
#include "controls/SkinImage.h"
#include "framework/DeviceContext.h"
#include "framework/Dialog.h"
#include "popup/AlertTitle.h"

class CQIUnit : public fw::Dialog {
public:
    // background: the skin's entry background at the entry's DPI, kept by the pop-up for as long as its
    // entries live; without one the entry shows the dialog colour.
    explicit CQIUnit(const CSkinImage* background = nullptr);
    ~CQIUnit() override;

    // Creates the entry's window, hidden, as a child of parent and fills it in for the item, highlighted
    // when it is an alert. 1 when the window exists and is filled in, 0 when it could not be created (the
    // object is then the caller's).
    int CreateForItem(const NewsItem& item, HWND parent, const alerts::AlertMatch* alert = nullptr);
    // Creates the summary entry, hidden: text at time (seconds since 1970); a click posts WM_COMMAND
    // IDM_SHOW_MAIN_WINDOW to mainWindow. 1 when made, 0 as above.
    int CreateForSummary(const std::wstring& text, std::int64_t time, HWND parent, HWND mainWindow);

    // Lays the entry out at another DPI; its window keeps its place's top left corner.
    void SetDpi(UINT dpi);
    UINT Dpi() const { return dpi_; }

    bool IsAlert() const { return alert_; }
    bool Acknowledged() const { return acknowledged_; }

    // Sent to the parent when the user first clicks an alert's entry; lParam is the entry's window.
    static constexpr UINT kAlertAcknowledged = WM_APP + 1;

    bool HandleMessage(fw::Message& message) override;

protected:
    // No default focus: the pop-up must never take the keyboard from the program in use.
    bool OnInitDialog() override { return false; }
    void OnFinalMessage(HWND) override { delete this; }

private:
    bool CreateAtDpi(HWND parent);
    RECT TitlePlace() const;
    void PlaceTitle(HWND title);
    void ShowLogo(int bitmap);
    void LayOutAlertTitle();
    HFONT EntryFont() const;
    void ShowMainWindow();
    void ShowTitle(const NewsItem& item);
    void ShowAlertTitle(const alerts::AlertMatch& alert);
    void DrawAlert(HDC dc, const RECT& client) const;

    LRESULT OnLinkClick(NMHDR&);
    fw::Result OnCtlColorStatic(WPARAM, LPARAM);
    fw::Result OnEraseBackground(WPARAM, LPARAM);
    fw::Result OnLButtonDown(WPARAM, LPARAM);
    fw::Result OnLButtonUp(WPARAM, LPARAM);
    fw::Result OnSetCursor(WPARAM, LPARAM);
    void OnIgnoredCommand() {}

    std::wstring link_;
    UINT dpi_ = 96;
    int logo_ = 0;                          // the logo's bitmap resource
    HWND shownTitle_ = nullptr;             // the title control in use, if any
    fw::GdiObject<HFONT> scaledFont_;       // the dialog's font at a DPI other than the one it was made at
    const CSkinImage* background_;
    fw::GdiObject<HBRUSH> whiteBrush_;

    bool alert_ = false;
    bool summary_ = false;
    HWND mainWindow_ = nullptr;             // the summary's click goes there
    bool acknowledged_ = false;
    bool pressed_ = false;                  // the left button went down on the entry
    alerts::AlertMatch alertMatch_;
    std::vector<popup::TitleLine> alertTitle_;
    fw::GdiObject<HFONT> titleFont_;        // the dialog's font, underlined when the title is a link
    fw::GdiObject<HFONT> boldFont_;         // the same, bold, for the matched words
    int lineHeight_ = 0;
};
