#pragma once
// The panel of headlines inside the main window: a child dialog whose client area shows the news list
// page in the embedded browser. Every change to the list is a call of one of the page's script
// functions; the page calls back through ShowInfo when a headline is clicked. Where the browser cannot
// show the page (it cannot be created, or the page has not completed a few seconds after creation), the
// list switches for good to a native list window with the same operations and look.
#include <windows.h>

#include <memory>
#include <string>

#include "connection/NewsItem.h"
#include "framework/Dialog.h"

class CBrowserHost;
class CNativeNewsList;

class CLinkListViewEx : public fw::Dialog {
public:
    CLinkListViewEx();
    ~CLinkListViewEx() override;

    // Takes the place of the parent's control placeholderId (which is destroyed), 10 pixels taller at
    // the top, and sets the row limit. False when the parent has no window or no such control.
    bool CreateFromPlaceholder(HWND parent, int placeholderId, int maxRows);
    // Adds a headline at the top; the bottom row goes beyond the row limit. False when the call failed
    // or the publish time is outside the range of the local-time conversion (no row is added).
    bool AddUnit(const NewsItem& item);
    // Removes the top or the bottom row; nothing on an empty list. The call's status.
    HRESULT PopUnit(bool fromTop);
    HRESULT ClearList();
    // Rows already present are not touched.
    HRESULT SetMaxRows(int maxRows);
    // Shows or hides the busy overlay; picturePath is the picture centred in it (empty: none).
    HRESULT ShowProgressBusy(bool show, const std::wstring& picturePath);

    // The list window, or nullptr when it does not exist.
    HWND Window() const { return Hwnd(); }

    // Opens a clicked headline's link (web links only).
    void ShowInfo(const std::wstring& link);

private:
    std::unique_ptr<CBrowserHost> m_browser;
    std::unique_ptr<CNativeNewsList> m_native;
};
