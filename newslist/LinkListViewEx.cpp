#include "newslist/LinkListViewEx.h"

#include "controls/SkinScale.h"
#include "framework/Dpi.h"
#include "framework/platform/Diagnostics.h"
#include "newslist/NativeNewsList.h"
#include "newslist/NewsListText.h"
#include "newslist/ServerLink.h"
#include "res/resource.h"

namespace {
constexpr UINT_PTR kPageWaitTimer = 1;
constexpr UINT_PTR kPagePollTimer = 2;
constexpr UINT kPagePollInterval = 50;  // milliseconds
constexpr int kRaisedTop = 10;  // the list reaches this far above its placeholder
}  // namespace

CLinkListViewEx::CLinkListViewEx(UINT pageWaitMilliseconds, BrowserFactory makeBrowser)
    : fw::Dialog(IDD_NEWSLIST), m_pageWait(pageWaitMilliseconds),
      m_makeBrowser(makeBrowser ? std::move(makeBrowser) : BrowserFactory(&CBrowserHost::Create)) {}

CLinkListViewEx::~CLinkListViewEx() {
    // The children go before the objects that draw and host them.
    if (HWND window = Hwnd()) DestroyWindow(window);
}

bool CLinkListViewEx::CreateFromPlaceholder(HWND parent, int placeholderId, int maxRows) {
    if (!parent || !IsWindow(parent) || Hwnd()) return false;
    HWND placeholder = GetDlgItem(parent, placeholderId);
    if (!placeholder) return false;
    RECT area{};
    GetWindowRect(placeholder, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    if (!Create(parent)) return false;
    DestroyWindow(placeholder);
    const int raised = ScaleForDpi(kRaisedTop, static_cast<int>(m_dpi));
    MoveWindow(Hwnd(), area.left, area.top - raised, area.right - area.left, area.bottom - area.top + raised, TRUE);
    RECT client{};
    GetClientRect(Hwnd(), &client);
    m_native->SetBounds(client);
    if (m_browser) m_browser->SetBounds(client);
    ShowWindow(Hwnd(), SW_SHOW);
    SetMaxRows(maxRows);
    return true;
}

bool CLinkListViewEx::OnInitDialog() {
    // Added before the browser's own filter, which so sees the keys first.
    m_keys.SetArea(Hwnd());
    m_keys.AddMessageFilter();
    m_dpi = fw::WindowDpi(Hwnd());
    m_native = std::make_unique<CNativeNewsList>([this](const std::wstring& link) { ShowInfo(link); });
    RECT client{};
    GetClientRect(Hwnd(), &client);
    m_native->Create(Hwnd(), client);
    m_browser = m_makeBrowser(Hwnd(), IDR_HTML_NEWSLIST, [this](const std::wstring& link) { ShowInfo(link); });
    if (m_browser) {
        // Until the page completes, the native list stands in front of it, so rows show the moment they come.
        SetWindowPos(m_native->Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        SetTimer(Hwnd(), kPageWaitTimer, m_pageWait, nullptr);
        SetTimer(Hwnd(), kPagePollTimer, kPagePollInterval, nullptr);
    } else {
        SwitchToNative(L"News list: no browser control; the native list serves");
    }
    return false;  // the list takes no focus of its own
}

bool CLinkListViewEx::AddUnit(const NewsItem& item, const alerts::AlertMatch* alert) {
    const std::optional<std::wstring> time = newslist::ListTimeText(item.publishTime);
    if (!time) return false;
    if (m_native) m_native->AddUnit(*time, item.title, item.link, alert);
    // The page finds the words in the row's text itself; a line break never stands inside a word.
    std::wstring alertWords;
    if (alert)
        for (const std::wstring& word : alerts::MatchedWords(*alert)) alertWords += (alertWords.empty() ? L"" : L"\n") + word;
    if (!m_pageCompleted && !m_nativeShown) {
        m_waitingRows.push_front({*time, item.title, item.link, alertWords});
        if (static_cast<int>(m_waitingRows.size()) > m_maxRows) m_waitingRows.pop_back();
        return true;
    }
    return SUCCEEDED(CallPage(L"addUnit", {*time, item.title, item.link, alertWords}));
}

HRESULT CLinkListViewEx::PopUnit(bool fromTop) {
    if (m_native) fromTop ? m_native->PopTop() : m_native->PopBottom();
    if (!m_waitingRows.empty()) fromTop ? m_waitingRows.pop_front() : m_waitingRows.pop_back();
    return CallPage(fromTop ? L"popTop" : L"popBottom", {});
}

HRESULT CLinkListViewEx::ClearList() {
    if (m_native) m_native->ClearList();
    m_waitingRows.clear();
    return CallPage(L"clearList", {});
}

HRESULT CLinkListViewEx::SetMaxRows(int maxRows) {
    m_maxRows = maxRows;
    if (m_native) m_native->SetMaxRows(maxRows);
    return CallPage(L"SetMaxRows", {static_cast<std::int32_t>(maxRows)});
}

HRESULT CLinkListViewEx::ShowProgressBusy(bool show, const std::wstring& picturePath) {
    if (m_native) m_native->ShowProgressBusy(show, picturePath);
    if (!m_pageCompleted) m_waitingOverlay.emplace(show, picturePath);
    return CallPage(L"ShowProgressBusy", {show, newslist::BusyPictureUrl(picturePath)});
}

void CLinkListViewEx::SetDpi(UINT dpi) {
    m_dpi = dpi;
    if (m_native) m_native->SetDpi(dpi);
    if (m_browser && m_pageCompleted) m_browser->SetZoom(ScaleForDpi(100, static_cast<int>(dpi)));
}

void CLinkListViewEx::ShowInfo(const std::wstring& link) { newslist::OpenServerLink(link); }

HRESULT CLinkListViewEx::CallPage(const wchar_t* name, std::initializer_list<ScriptArgument> arguments) {
    if (m_nativeShown) return S_OK;
    if (!m_browser) return S_FALSE;
    const HRESULT status = m_browser->InvokeScript(name, arguments);
    if (!m_pageCompleted || status == S_OK) return status;
    // The page is gone or broken: its rows are lost with it, the native list has them all.
    SwitchToNative(L"News list: a call of the completed page failed; the native list takes over");
    return S_OK;
}

bool CLinkListViewEx::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CLinkListViewEx> table[] = {
        fw::OnMessage(WM_SIZE, &CLinkListViewEx::OnSize),
        fw::OnMessage(WM_DESTROY, &CLinkListViewEx::OnDestroy),
        fw::OnTimer(kPageWaitTimer, &CLinkListViewEx::OnPageWaitOver),
        fw::OnTimer(kPagePollTimer, &CLinkListViewEx::OnPollPage),
        // Confirm and cancel typed inside the list are not the list's to act on.
        fw::OnCommand(IDOK, &CLinkListViewEx::IgnoreCommand),
        fw::OnCommand(IDCANCEL, &CLinkListViewEx::IgnoreCommand),
    };
    return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
}

fw::Result CLinkListViewEx::OnSize(WPARAM, LPARAM) {
    RECT client{};
    GetClientRect(Hwnd(), &client);
    if (m_native) m_native->SetBounds(client);
    if (m_browser) m_browser->SetBounds(client);
    return 0;
}

fw::Result CLinkListViewEx::OnDestroy(WPARAM, LPARAM) {
    // The browser is closed while its windows still exist, before the children are destroyed.
    KillTimer(Hwnd(), kPagePollTimer);
    KillTimer(Hwnd(), kPageWaitTimer);
    m_browser.reset();
    m_keys.RemoveMessageFilter();
    return fw::Declined;
}

void CLinkListViewEx::OnPollPage() {
    if (!m_browser) return;
    const CBrowserHost::PageStatus status = m_browser->PollPage();
    if (status == CBrowserHost::PageStatus::Loading) return;
    KillTimer(Hwnd(), kPagePollTimer);
    KillTimer(Hwnd(), kPageWaitTimer);
    if (status == CBrowserHost::PageStatus::Failed) {
        SwitchToNative(L"News list: the page did not load or cannot build rows here; the native list takes over");
        return;
    }
    // The page serves the list from now on and is given what was asked for before it completed: the row
    // limit (a limit other than the page's own holds too), the overlay, and the rows, oldest first. The
    // native list has those rows already.
    m_pageCompleted = true;
    m_browser->SetZoom(ScaleForDpi(100, static_cast<int>(m_dpi)));
    CallPage(L"SetMaxRows", {static_cast<std::int32_t>(m_maxRows)});
    if (m_waitingOverlay)
        CallPage(L"ShowProgressBusy", {m_waitingOverlay->first, newslist::BusyPictureUrl(m_waitingOverlay->second)});
    m_waitingOverlay.reset();
    for (auto row = m_waitingRows.rbegin(); row != m_waitingRows.rend() && !m_nativeShown; ++row)
        CallPage(L"addUnit", {row->time, row->title, row->link, row->alertWords});
    m_waitingRows.clear();
    if (!m_nativeShown) ShowWindow(m_native->Hwnd(), SW_HIDE);
}

void CLinkListViewEx::OnPageWaitOver() {
    KillTimer(Hwnd(), kPagePollTimer);
    KillTimer(Hwnd(), kPageWaitTimer);
    SwitchToNative(L"News list: the page did not complete in time; the native list takes over");
}

void CLinkListViewEx::SwitchToNative(const wchar_t* reason) {
    if (m_nativeShown || !m_native) return;
    m_nativeShown = true;
    platform::DiagnosticLine(reason);
    m_browser.reset();
    ShowWindow(m_native->Hwnd(), SW_SHOW);
}
