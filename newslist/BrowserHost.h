#pragma once
// The embedded browser that shows the news list page. Only BrowserHost.cpp sees the browser's own
// interfaces; this header offers plain types and one callback. Keys typed in the browser reach it
// through the message loops' filter chain, before the dialog manager sees them.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "newslist/ScriptBridge.h"

class CBrowserHost {
public:
    // A browser in parent's client area whose page, once the blank document has completed, is the HTML
    // resource pageId; the page's external.ShowInfo(link) calls onShowInfo. nullptr when the browser
    // control cannot be created here.
    static std::unique_ptr<CBrowserHost> Create(HWND parent, int pageId, ShowInfoHandler onShowInfo);
    virtual ~CBrowserHost() = default;

    enum class PageStatus { Loading, Complete, Failed };
    // Moves the loading on (the page is loaded into the blank document once that has completed) and
    // tells whether the page has completed: loaded, its script run, and its self-check passed (this
    // engine can build a row). Failed when it never will. Called on a timer until it is no longer loading.
    virtual PageStatus PollPage() = 0;
    // Calls the page's global script function by name (see ScriptBridge.h); S_FALSE until the page has
    // completed, or when it has no document or script object.
    virtual HRESULT InvokeScript(const wchar_t* name, std::initializer_list<ScriptArgument> arguments) = 0;
    virtual void SetBounds(const RECT& client) = 0;
    // The page drawn at this percentage of its own size (the browser's optical zoom), for the window's DPI.
    virtual void SetZoom(int percent) = 0;
};

// The browser's event sink: it refuses every navigation but the page's own load (see PageNavigation.h)
// and every new window, so nothing the page shows can take the list away; links reach the user only
// through ShowInfo. The host sets *pageCompleted once the page has completed.
fw::ComPtr<IDispatch> MakeNavigationGuard(std::shared_ptr<const bool> pageCompleted);
