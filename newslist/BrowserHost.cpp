// The one file that sees the browser control's and the document's interfaces.
#include "newslist/BrowserHost.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <shlwapi.h>

#include "framework/ComObject.h"
#include "framework/ComValues.h"
#include "framework/MessageFilter.h"
#include "framework/platform/Diagnostics.h"
#include "newslist/PageNavigation.h"

namespace {

// No three-dimensional border, flat scroll bars, and the page behaves as a dialog (no text selection).
constexpr DWORD kHostFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_FLAT_SCROLLBAR;
static_assert(kHostFlags == 0x85);

// The container side of the browser control: its client site, in-place site and frame, and the host UI
// handler that sets the look and hands the page its external object.
class CBrowserSite
    : public fw::ComObject<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame, IDocHostUIHandler> {
public:
    CBrowserSite(HWND parent, fw::ComPtr<IDispatch> external) : parent_(parent), external_(std::move(external)) {}

    void* FindInterface(REFIID iid) override {
        if (iid == IID_IOleWindow) return static_cast<IOleInPlaceSite*>(this);
        if (iid == IID_IOleInPlaceUIWindow) return static_cast<IOleInPlaceFrame*>(this);
        return ComObject::FindInterface(iid);
    }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of the in-place site and of the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = parent_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override {
        if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
        *frame = this;
        AddRef();
        *document = nullptr;
        GetClientRect(parent_, position);
        *clip = *position;
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = parent_;
        frameInfo->haccel = nullptr;
        frameInfo->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: the list has no tool space, menus or status line.
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        return S_OK;  // handled: the browser shows no menu of its own
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override {
        if (!info) return E_POINTER;
        info->dwFlags = kHostFlags;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        info->pchHostCss = nullptr;
        info->pchHostNS = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        if (key) *key = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override {
        if (target) *target = nullptr;
        return E_NOTIMPL;
    }
    // The page's window.external, which script may use although the page is local.
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override { return external_.CopyTo(external); }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override {
        if (translated) *translated = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** filtered) override {
        if (filtered) *filtered = nullptr;
        return S_FALSE;
    }

private:
    HWND parent_;
    fw::ComPtr<IDispatch> external_;
};

// The browser's DWebBrowserEvents2: refuses navigations and new windows through their Cancel argument.
class CNavigationGuard : public fw::ComObject<IDispatch> {
public:
    explicit CNavigationGuard(std::shared_ptr<const bool> pageCompleted) : pageCompleted_(std::move(pageCompleted)) {}

    void* FindInterface(REFIID iid) override {
        if (iid == DIID_DWebBrowserEvents2) return static_cast<IDispatch*>(this);
        return ComObject::FindInterface(iid);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

    // The arguments come last first: BeforeNavigate2 (disp, URL, flags, target frame, post data, headers,
    // Cancel), NewWindow2 (disp, Cancel), NewWindow3 (disp, Cancel, flags, URL context, URL).
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (!parameters || !parameters->rgvarg) return S_OK;
        VARIANT* arguments = parameters->rgvarg;
        switch (id) {
            case DISPID_BEFORENAVIGATE2:
                if (parameters->cArgs == 7 && !IsPagesOwnLoad(arguments[5])) {
                    platform::DiagnosticLine(L"News list: a navigation away from the page was refused");
                    Refuse(arguments[0]);
                }
                break;
            case DISPID_NEWWINDOW2:
                if (parameters->cArgs == 2) Refuse(arguments[0]);
                break;
            case DISPID_NEWWINDOW3:
                if (parameters->cArgs == 5) Refuse(arguments[3]);
                break;
            default:
                break;
        }
        return S_OK;
    }

private:
    bool IsPagesOwnLoad(VARIANT& url) const {
        fw::Variant value;
        if (FAILED(VariantCopyInd(value.Put(), &url))) return false;
        const std::optional<std::wstring> text = value.AsString();
        return text && newslist::IsPagesOwnLoad(*text, *pageCompleted_);
    }

    static void Refuse(VARIANT& cancel) {
        if (cancel.vt == (VT_BYREF | VT_BOOL) && cancel.pboolVal) *cancel.pboolVal = VARIANT_TRUE;
    }

    std::shared_ptr<const bool> pageCompleted_;
};

class CWebBrowserHost final : public CBrowserHost, private fw::MessageFilter {
public:
    CWebBrowserHost(HWND parent, int pageId) : parent_(parent), pageId_(pageId) {}

    ~CWebBrowserHost() override {
        RemoveMessageFilter();
        if (events_) events_->Unadvise(eventsCookie_);
        if (auto inPlace = object_.As<IOleInPlaceObject>()) inPlace->InPlaceDeactivate();
        if (object_) {
            object_->Close(OLECLOSE_NOSAVE);
            object_->SetClientSite(nullptr);
        }
    }

    bool Start(ShowInfoHandler onShowInfo) {
        if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    reinterpret_cast<void**>(object_.Put()))))
            return false;
        site_ = fw::MakeComObject<CBrowserSite>(parent_, MakeShowInfoExternal(std::move(onShowInfo)));
        fw::ComPtr<IOleClientSite> clientSite(static_cast<IOleClientSite*>(site_.Get()));
        if (FAILED(object_->SetClientSite(clientSite.Get()))) return false;
        RECT client{};
        GetClientRect(parent_, &client);
        if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.Get(), 0, parent_, &client)))
            return false;
        browser_ = object_.As<IWebBrowser2>();
        if (!browser_) return false;
        browser_->put_Silent(VARIANT_TRUE);  // no script error or security boxes over the program
        browser_->put_RegisterAsDropTarget(VARIANT_FALSE);
        // Without the guard on its navigations the browser does not serve the list.
        auto container = browser_.As<IConnectionPointContainer>();
        if (!container || FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, events_.Put())) ||
            FAILED(events_->Advise(MakeNavigationGuard(pageCompleted_).Get(), &eventsCookie_))) {
            events_.Reset();
            return false;
        }
        const fw::Bstr blank(L"about:blank");
        if (FAILED(browser_->Navigate(blank.Get(), nullptr, nullptr, nullptr, nullptr))) return false;
        AddMessageFilter();
        return true;
    }

    PageStatus PollPage() override {
        if (state_ == State::Complete) return PageStatus::Complete;
        if (state_ == State::Failed) return PageStatus::Failed;
        fw::ComPtr<IHTMLDocument2> document = Document();
        if (!document || !IsComplete(*document.Get())) return PageStatus::Loading;
        if (state_ == State::Blank) {
            state_ = LoadPage(*document.Get()) ? State::Loading : State::Failed;
            return state_ == State::Failed ? PageStatus::Failed : PageStatus::Loading;
        }
        // Complete, and its own script has run: the functions the list calls exist.
        fw::ComPtr<IDispatch> script;
        if (FAILED(document->get_Script(script.Put())) || !script) return PageStatus::Loading;
        LPOLESTR name[] = {const_cast<LPOLESTR>(L"addUnit")};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(script->GetIDsOfNames(IID_NULL, name, 1, LOCALE_SYSTEM_DEFAULT, &id))) return PageStatus::Loading;
        // An engine that runs the page but cannot build a row would show every headline as an empty row.
        state_ = CallScriptFunction(script.Get(), L"pageSelfCheck", {}) == S_OK ? State::Complete : State::Failed;
        if (state_ == State::Failed) return PageStatus::Failed;
        *pageCompleted_ = true;
        return PageStatus::Complete;
    }

    HRESULT InvokeScript(const wchar_t* name, std::initializer_list<ScriptArgument> arguments) override {
        if (state_ != State::Complete) return S_FALSE;
        fw::ComPtr<IHTMLDocument2> document = Document();
        if (!document) return S_FALSE;
        fw::ComPtr<IDispatch> script;
        if (FAILED(document->get_Script(script.Put())) || !script) return S_FALSE;
        return CallScriptFunction(script.Get(), name, std::span<const ScriptArgument>(arguments.begin(), arguments.size()));
    }

    void SetBounds(const RECT& client) override {
        if (auto inPlace = object_.As<IOleInPlaceObject>()) inPlace->SetObjectRects(&client, &client);
    }

    void SetZoom(int percent) override {
        if (!browser_) return;
        VARIANT zoom{};
        zoom.vt = VT_I4;
        zoom.lVal = percent;
        browser_->ExecWB(kOpticalZoom, OLECMDEXECOPT_DONTPROMPTUSER, &zoom, nullptr);
    }

    // Keys typed in the browser go to its accelerators first (the page's own key handling decides).
    bool PreTranslateMessage(MSG& message) override {
        if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
        if (!message.hwnd || !IsChild(parent_, message.hwnd)) return false;
        auto active = object_.As<IOleInPlaceActiveObject>();
        return active && active->TranslateAccelerator(&message) == S_OK;
    }

private:
    enum class State { Blank, Loading, Complete, Failed };
    // OLECMDID_OPTICAL_ZOOM, which older SDK headers lack.
    static constexpr OLECMDID kOpticalZoom = static_cast<OLECMDID>(63);

    fw::ComPtr<IHTMLDocument2> Document() const {
        fw::ComPtr<IDispatch> document;
        if (!browser_ || FAILED(browser_->get_Document(document.Put())) || !document) return {};
        return document.As<IHTMLDocument2>();
    }

    static bool IsComplete(IHTMLDocument2& document) {
        fw::Bstr state;
        return SUCCEEDED(document.get_readyState(state.Put())) && state.View() == L"complete";
    }

    // The page's bytes from the resources, loaded into the blank document as they are: its own
    // declaration tells the document their character set.
    bool LoadPage(IHTMLDocument2& document) const {
        HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(pageId_), MAKEINTRESOURCEW(23));  // RT_HTML
        HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return false;
        fw::ComPtr<IStream> stream;
        stream.Attach(SHCreateMemStream(static_cast<const BYTE*>(bytes), SizeofResource(nullptr, resource)));
        fw::ComPtr<IPersistStreamInit> persist;
        if (!stream || FAILED(document.QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(persist.Put()))))
            return false;
        return SUCCEEDED(persist->InitNew()) && SUCCEEDED(persist->Load(stream.Get()));
    }

    HWND parent_;
    int pageId_;
    fw::ComPtr<IOleObject> object_;
    fw::ComPtr<IWebBrowser2> browser_;
    fw::ComPtr<CBrowserSite> site_;
    fw::ComPtr<IConnectionPoint> events_;
    DWORD eventsCookie_ = 0;
    State state_ = State::Blank;
    std::shared_ptr<bool> pageCompleted_ = std::make_shared<bool>(false);  // read by the navigation guard
};

}  // namespace

fw::ComPtr<IDispatch> MakeNavigationGuard(std::shared_ptr<const bool> pageCompleted) {
    return fw::MakeComObject<CNavigationGuard>(std::move(pageCompleted));
}

std::unique_ptr<CBrowserHost> CBrowserHost::Create(HWND parent, int pageId, ShowInfoHandler onShowInfo) {
    auto host = std::make_unique<CWebBrowserHost>(parent, pageId);
    if (!host->Start(std::move(onShowInfo))) return nullptr;
    return host;
}
