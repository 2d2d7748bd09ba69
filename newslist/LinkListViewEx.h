#pragma once
// The panel of headlines inside the main window: a child dialog whose client area shows the news list
// page in the embedded browser. Every change to the list is a call of one of the page's script
// functions; the page calls back through ShowInfo when a headline is clicked. Where the browser cannot
// show the page (it cannot be created, the page has not completed a while after creation, or it cannot
// build rows here) or loses it later (a call of the completed page fails), the list switches for good
// to a native list window with the same operations and look, which always holds the same rows. The
// native list also stands in while the page loads, so headlines that arrive meanwhile show at once.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "alerts/AlertMatcher.h"
#include "connection/NewsItem.h"
#include "framework/Dialog.h"
#include "framework/MessageFilter.h"
#include "newslist/BrowserHost.h"

class CNativeNewsList;

class CLinkListViewEx : public fw::Dialog {
public:
    static constexpr UINT kDefaultPageWait = 3000;  // milliseconds the page has to complete after creation
    // Makes the browser (tests give a stand-in); CBrowserHost::Create by default.
    using BrowserFactory = std::function<std::unique_ptr<CBrowserHost>(HWND parent, int pageId, ShowInfoHandler)>;

    explicit CLinkListViewEx(UINT pageWaitMilliseconds = kDefaultPageWait, BrowserFactory makeBrowser = {});
    ~CLinkListViewEx() override;

    // Takes the place of the parent's control placeholderId (which is destroyed), 10 pixels taller at
    // the top, and sets the row limit. False when the parent has no window or no such control.
    bool CreateFromPlaceholder(HWND parent, int placeholderId, int maxRows);
    // Adds a headline at the top; the bottom row goes beyond the row limit. False when the publish time is
    // outside the range of the local-time conversion (no row is added). Before the page has completed, the
    // rows (and the busy overlay) wait and reach the page as it completes, so a history that arrives while
    // the page loads is shown; once it has, a failed call switches to the native list, which shows the row.
    // A keyword alert's row is highlighted, with its matched words in bold.
    bool AddUnit(const NewsItem& item, const alerts::AlertMatch* alert = nullptr);
    // Removes the top or the bottom row; nothing on an empty list. The call's status: S_FALSE when the
    // page is not there.
    HRESULT PopUnit(bool fromTop);
    HRESULT ClearList();
    // Rows already present are not touched.
    HRESULT SetMaxRows(int maxRows);
    // Shows or hides the busy overlay; picturePath is the picture file centred in it (empty: none).
    HRESULT ShowProgressBusy(bool show, const std::wstring& picturePath);
    // Draws the rows and zooms the page for the parent window's new DPI (taken from the window at creation).
    void SetDpi(UINT dpi);

    // The list window, or nullptr when it does not exist.
    HWND Window() const { return Hwnd(); }
    // True once the list has switched to its native form.
    bool IsNative() const { return m_nativeShown; }
    // The native list while the window exists (tests look at what it shows).
    CNativeNewsList* NativeList() const { return m_native.get(); }

    // Opens a clicked headline's link (web links only).
    void ShowInfo(const std::wstring& link);

    bool HandleMessage(fw::Message& message) override;

private:
    bool OnInitDialog() override;
    void OnPollPage();
    fw::Result OnSize(WPARAM, LPARAM);
    fw::Result OnDestroy(WPARAM, LPARAM);
    void OnPageWaitOver();
    void IgnoreCommand() {}
    void SwitchToNative(const wchar_t* reason);
    // The page's script function with these arguments, while the browser serves the list. S_OK once
    // the native list serves it (it has done the operation already), also when this very call found the
    // completed page lost.
    HRESULT CallPage(const wchar_t* name, std::initializer_list<ScriptArgument> arguments);

    // Enter and Escape typed in the list stay in it: they never confirm or cancel the main window.
    fw::DirectEnterAndEscape m_keys;
    UINT m_pageWait;
    BrowserFactory m_makeBrowser;
    std::unique_ptr<CBrowserHost> m_browser;
    // Created with the window and kept up to date always, hidden while the page serves the list, so a
    // switch at any moment shows the rows the list had.
    std::unique_ptr<CNativeNewsList> m_native;
    bool m_nativeShown = false;
    bool m_pageCompleted = false;
    int m_maxRows = 20;  // the page's own default until told otherwise
    UINT m_dpi = 96;

    // What the page is given as it completes: the rows added before then, newest first, within the row
    // limit, and the busy overlay as last asked for.
    struct WaitingRow {
        std::wstring time;
        std::wstring title;
        std::wstring link;
        std::wstring alertWords;
    };
    std::deque<WaitingRow> m_waitingRows;
    std::optional<std::pair<bool, std::wstring>> m_waitingOverlay;
};
