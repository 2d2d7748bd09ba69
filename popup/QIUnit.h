#pragma once
// One entry of the pop-up notifier: a child panel with the category's logo, the headline's title (a link
// when the item has one) and its publish time, over the skin's entry background. The pop-up creates,
// places and moves it; the entry fills itself in, paints its background and opens its link when clicked.
//
// An entry allocated with new frees itself after its window has been destroyed. One is made per
// announced headline for as long as the program runs, so it releases every GDI object it made.
#include <windows.h>

#include <string>

#include "connection/NewsItem.h"
#include "framework/DeviceContext.h"
#include "framework/Dialog.h"

class CQIUnit : public fw::Dialog {
public:
    CQIUnit();
    ~CQIUnit() override;

    // Creates the entry's window, hidden, as a child of parent and fills it in for the item. 1 when the
    // window exists and is filled in, 0 when it could not be created (the object is then the caller's).
    int CreateForItem(const NewsItem& item, HWND parent);

    // Destroys the entry's window; the object frees itself with it.
    void Close();

    bool HandleMessage(fw::Message& message) override;

protected:
    // No default focus: the pop-up must never take the keyboard from the program in use.
    bool OnInitDialog() override { return false; }
    void OnFinalMessage(HWND) override { delete this; }

private:
    void ShowLogo(int bitmap);
    void ShowTitle(const NewsItem& item);

    LRESULT OnLinkClick(NMHDR&);
    fw::Result OnCtlColorStatic(WPARAM, LPARAM);
    fw::Result OnEraseBackground(WPARAM, LPARAM);
    fw::Result OnDestroy(WPARAM, LPARAM);
    void OnIgnoredCommand() {}

    std::wstring link_;
    fw::GdiObject<HBRUSH> whiteBrush_;
    fw::GdiObject<HBITMAP> logo_;  // a static control never frees the bitmap it is given
};
