#include "app/CorvaneDlg.h"

#include <windowsx.h>
#include <wtsapi32.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <vector>

#include "alerts/AlertStore.h"
#include "alerts/AlertsDlg.h"
#include "app/AboutDlg.h"
#include "app/MainWindowPlacement.h"
#include "app/NewsRouting.h"
#include "app/QuietTrayText.h"
#include "app/VersionCheck.h"
#include "controls/MemoryDC.h"
#include "controls/SkinScale.h"
#include "framework/Dpi.h"
#include "framework/Monitors.h"
#include "newslist/NewsListText.h"
#include "newslist/ServerLink.h"
#include "popup/QuietFactsWin32.h"
#include "res/resource.h"
#include "popup/QuietRules.h"
#include "settings/NotSavedMessage.h"
#include "settings/SettingDlg.h"
#include "settings/SettingKeys.h"

namespace {

constexpr int kNewsListRows = 20;

// Explorer announces a re-created taskbar with this message; the icon is added again.
const fw::RegisteredMessage kTaskbarCreated(L"TaskbarCreated");

RECT ToRect(const Box& box) { return {box.left, box.top, box.left + box.width, box.top + box.height}; }

// Repainted whole at the new place: bits copied from the old place would show a stale background
// through the transparent pixels of the title buttons.
void MoveControl(HWND control, const Box& box) {
    if (control)
        SetWindowPos(control, nullptr, box.left, box.top, box.width, box.height,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

// At the small-icon size of the primary monitor, where the taskbar's notification area is.
HICON LoadTrayIcon(int id) {
    const UINT dpi = fw::DpiAtPoint({0, 0});
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         fw::SystemMetricForDpi(SM_CXSMICON, dpi),
                                         fw::SystemMetricForDpi(SM_CYSMICON, dpi), 0));
}

RECT ToRect(const ScreenRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

CCorvaneDlg::CCorvaneDlg(std::wstring workingDirectory, SupervisorTimings timings)
    : fw::Dialog(IDD_MAIN),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CORVANE))),
      m_trayIconPicture(LoadTrayIcon(IDI_CORVANE)),
      m_quietTrayIconPicture(LoadTrayIcon(IDI_CORVANE_QUIET)),
      m_workingDirectory(std::move(workingDirectory)),
      m_supervisor(timings) {
    Banners().SetChangedCallback([this] {
        if (HWND target = m_postTarget.load()) PostMessageW(target, WM_BANNER_CHANGED, 0, 0);
    });
    SetWakeUpCallback([this] {
        if (HWND target = m_postTarget.load()) PostMessageW(target, WM_NEWS_WAKE, 0, 0);
    });
}

CCorvaneDlg::~CCorvaneDlg() {
    // The window goes first, and with it the receive thread and any attempt in flight.
    Destroy();
    StopAndWait();
    if (m_connectThread.joinable()) m_connectThread.join();
    DestroyIcon(m_trayIconPicture);
    DestroyIcon(m_quietTrayIconPicture);
}

bool CCorvaneDlg::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CCorvaneDlg> table[] = {
        fw::OnTimer(kSuperviseTimer, &CCorvaneDlg::OnSuperviseTimer),
        fw::OnTimer(kPollTimer, &CCorvaneDlg::OnPollTimer),
        fw::OnTimer(CTrayIcon::kRetryTimer, &CCorvaneDlg::OnTrayRetryTimer),
        fw::OnTimer(kQuietTimer, &CCorvaneDlg::OnQuietTimer),
        fw::OnCommandRange(IDC_TAB_GOLD, IDC_TAB_STOCKS, &CCorvaneDlg::OnTab),
        fw::OnCommand(IDC_TOP_HOMEPAGE, &CCorvaneDlg::OnHomePage),
        fw::OnCommand(IDC_TOP_ADVISE, &CCorvaneDlg::OnAdvise),
        fw::OnCommand(IDC_TOP_SETTINGS, &CCorvaneDlg::OnSettings),
        fw::OnCommand(IDC_TOP_ABOUT, &CCorvaneDlg::OnAbout),
        fw::OnCommand(IDC_TOP_EXIT, &CCorvaneDlg::OnExitButton),
        fw::OnCommand(IDM_TRAY_SETTINGS, &CCorvaneDlg::OnSettings),
        fw::OnCommand(IDM_TRAY_ALERTS, &CCorvaneDlg::OnAlerts),
        fw::OnCommand(IDM_TRAY_EXIT, &CCorvaneDlg::OnTrayExit),
        fw::OnCommandRange(IDM_TRAY_QUIET_ONE_HOUR, IDM_TRAY_QUIET_MANUAL, &CCorvaneDlg::OnQuietOffer),
        fw::OnCommand(IDM_TRAY_QUIET_END, &CCorvaneDlg::OnQuietEnd),
        fw::OnCommand(IDM_SHOW_MAIN_WINDOW, &CCorvaneDlg::OnShowMainWindow),
        fw::OnMessage(WM_WTSSESSION_CHANGE, &CCorvaneDlg::OnSessionChange),
        fw::OnMessage(CTrayIcon::kCallbackMessage, &CCorvaneDlg::OnTrayCallback),
        fw::OnMessage(kTaskbarCreated, &CCorvaneDlg::OnTaskbarCreated),
        fw::OnMessage(WM_BANNER_CHANGED, &CCorvaneDlg::OnBannerChanged),
        fw::OnMessage(WM_VERSION_OUTDATED, &CCorvaneDlg::OnVersionOutdated),
        fw::OnMessage(WM_NEWS_WAKE, &CCorvaneDlg::OnNewsWake),
        fw::OnMessage(WM_CONNECT_ENDED, &CCorvaneDlg::OnConnectEnded),
        fw::OnMessage(WM_SYSCOMMAND, &CCorvaneDlg::OnSysCommand),
        fw::OnMessage(WM_ACTIVATE, &CCorvaneDlg::OnActivate),
        fw::OnMessage(WM_SIZE, &CCorvaneDlg::OnSize),
        fw::OnMessage(WM_GETMINMAXINFO, &CCorvaneDlg::OnGetMinMaxInfo),
        fw::OnMessage(WM_DPICHANGED, &CCorvaneDlg::OnDpiChanged),
        fw::OnMessage(WM_DISPLAYCHANGE, &CCorvaneDlg::OnDisplayChange),
        fw::OnMessage(WM_NCHITTEST, &CCorvaneDlg::OnNcHitTest),
        fw::OnMessage(WM_PAINT, &CCorvaneDlg::OnPaint),
        fw::OnMessage(WM_DRAWITEM, &CCorvaneDlg::OnDrawItem),
        fw::OnMessage(WM_ERASEBKGND, &CCorvaneDlg::OnEraseBackground),
        fw::OnMessage(WM_SETCURSOR, &CCorvaneDlg::OnSetCursor),
        fw::OnMessage(WM_LBUTTONUP, &CCorvaneDlg::OnLButtonUp),
        fw::OnMessage(WM_QUERYDRAGICON, &CCorvaneDlg::OnQueryDragIcon),
        fw::OnMessage(WM_CLOSE, &CCorvaneDlg::OnClose),
        fw::OnMessage(WM_DESTROY, &CCorvaneDlg::OnDestroy),
    };
    return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
}

void CCorvaneDlg::BindControls() {
    for (std::size_t i = 0; i < kCategories.size(); ++i) Bind(kCategories[i].tabControlId, m_tabs[i]);
    Bind(IDC_TOP_HOMEPAGE, m_homePageButton);
    Bind(IDC_TOP_ADVISE, m_adviseButton);
    Bind(IDC_TOP_SETTINGS, m_settingsButton);
    Bind(IDC_TOP_ABOUT, m_aboutButton);
    Bind(IDC_TOP_EXIT, m_exitButton);
}

// --- Opening ---

bool CCorvaneDlg::OnInitDialog() {
    m_dpi = fw::WindowDpi(hwnd_);
    StartVersionCheck(hwnd_, WM_VERSION_OUTDATED);
    AddAboutToSystemMenu();
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    PlaceOnOpening();

    m_newsList.CreateFromPlaceholder(hwnd_, IDC_NEWSLIST_PLACEHOLDER, kNewsListRows);
    m_newsList.ShowProgressBusy(true, L"");

    m_server = settings::ReadServerAddress();
    m_port = settings::ReadServerPort();
    ReloadAlertRules();

    SetWindowTextW(hwnd_, kTitle);
    // The class is the platform's dialog class, so every later dialog of the process has the shadow too.
    SetClassLongPtrW(hwnd_, GCL_STYLE, GetClassLongPtrW(hwnd_, GCL_STYLE) | CS_DROPSHADOW);
    UpdateWindow(hwnd_);

    SupervisorStep first;
    first.arm = m_supervisor.FirstTimer();
    Carry(first);
    m_trayIcon.Add(hwnd_, m_trayIconPicture);
    m_quickInform.SetMainWindow(hwnd_);
    // The unlock ends a quiet the locked screen held.
    m_sessionNotifications = WTSRegisterSessionNotification(hwnd_, NOTIFY_FOR_THIS_SESSION);
    ShowQuietState();

    m_postTarget = hwnd_;
    LoadSkinPictures();
    LoadBannerImages();
    DestroyBannerPlaceholders();
    LayOut();
    return true;
}

void CCorvaneDlg::AddAboutToSystemMenu() {
    HMENU systemMenu = GetSystemMenu(hwnd_, FALSE);
    if (!systemMenu) return;
    wchar_t text[128]{};
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128) <= 0) return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text);
}

void CCorvaneDlg::LoadBannerImages() {
    // Each picture is resampled once to its slot's size at this DPI, so a paint only copies it. A missing,
    // empty or unreadable file leaves the banner empty: the background shows through.
    RECT client{};
    GetClientRect(hwnd_, &client);
    const MainWindowLayout layout = LayOutMainWindow(client.right, client.bottom, static_cast<int>(m_dpi));
    for (int i = 0; i < 3; ++i)
        m_bannerImages[i].LoadSized(Banners().Slot(i + 1).imagePath.c_str(), layout.banners[i].width,
                                    layout.banners[i].height);
}

// The banners are painted by the window itself, where the layout puts them.
void CCorvaneDlg::DestroyBannerPlaceholders() {
    for (const int id : {IDC_BANNER1_PLACEHOLDER, IDC_BANNER2_PLACEHOLDER, IDC_BANNER3_PLACEHOLDER})
        if (HWND placeholder = GetDlgItem(hwnd_, id)) DestroyWindow(placeholder);
}

// Centred on the monitor with the mouse, at the size for that monitor's DPI.
void CCorvaneDlg::PlaceOnOpening() {
    POINT cursor{};
    GetCursorPos(&cursor);
    const WindowSize size = MainWindowMinSize(static_cast<int>(fw::DpiAtPoint(cursor)));
    const RECT place = ToRect(OpeningPlacement(fw::DesktopMonitors(), cursor.x, cursor.y, size.width, size.height));
    const auto move = [&] {
        SetWindowPos(hwnd_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    move();
    // A move onto a monitor of another DPI ends on the rectangle its WM_DPICHANGED suggests; a second move,
    // now at that DPI, puts the window where it belongs.
    RECT moved{};
    if (!GetWindowRect(hwnd_, &moved) || !EqualRect(&moved, &place)) move();
}

void CCorvaneDlg::KeepOnDesktop() {
    RECT window{};
    GetWindowRect(hwnd_, &window);
    const auto kept = KeptOnDesktop(fw::DesktopMonitors(), fw::ToScreenRect(window));
    if (kept) SetWindowPos(hwnd_, nullptr, kept->left, kept->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CCorvaneDlg::LoadSkinPictures() {
    m_background.LoadForDpi(L"bg.jpg", m_dpi);
    m_titleLeft.LoadForDpi(L"titlebarleft.png", m_dpi);
    m_titleText.LoadForDpi(L"titletext.png", m_dpi);
    m_homePageButton.LoadPng(L"help.png", m_dpi);
    m_adviseButton.LoadPng(L"advise.png", m_dpi);
    m_settingsButton.LoadPng(L"set.png", m_dpi);
    m_aboutButton.LoadPng(L"person.png", m_dpi);
    m_exitButton.LoadPng(L"exit.png", m_dpi);
    for (CCoolButton& tab : m_tabs) tab.SetDpi(m_dpi);
}

void CCorvaneDlg::LayOut() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const MainWindowLayout layout = LayOutMainWindow(client.right, client.bottom, static_cast<int>(m_dpi));
    for (std::size_t i = 0; i < m_tabs.size(); ++i) MoveControl(m_tabs[i].Hwnd(), layout.tabs[i]);
    MoveControl(m_adviseButton.Hwnd(), layout.advise);
    MoveControl(m_settingsButton.Hwnd(), layout.settings);
    MoveControl(m_homePageButton.Hwnd(), layout.homePage);
    MoveControl(m_aboutButton.Hwnd(), layout.about);
    MoveControl(m_exitButton.Hwnd(), layout.exit);
    const RECT band = ToRect(layout.repaint);
    InvalidateRect(hwnd_, &band, FALSE);
    MoveControl(m_newsList.Window(), layout.newsList);
    for (int i = 0; i < 3; ++i) m_bannerRects[i] = ToRect(layout.banners[i]);
}

// --- Supervision and dispatch ---

void CCorvaneDlg::OnSuperviseTimer() {
    const ConnectAttempt attempt = CollectConnectAttempt();
    const SupervisorStep step = m_supervisor.OnSuperviseTick(attempt, IsConnected());
    if (step.startAttempt && !StartConnectAttempt()) {
        EndOnFatalError();
        return;
    }
    Carry(step);
}

void CCorvaneDlg::OnPollTimer() {
    TakeWakeUp();  // before the drain, so an item queued during it posts a wake-up again
    Carry(m_supervisor.OnPollTick(IsConnected(), IsLoading()));
}

// The poll tick at once: headlines, the end of a history and a lost connection show without waiting for the timer,
// which stays as a safety net.
fw::Result CCorvaneDlg::OnNewsWake(WPARAM, LPARAM) {
    if (m_pollArmed)
        OnPollTimer();
    else
        TakeWakeUp();
    return 0;
}

// A connection made is taken up at once; a failed attempt still waits for the retry tick, so the pause between
// attempts stays.
fw::Result CCorvaneDlg::OnConnectEnded(WPARAM, LPARAM) {
    if (!m_pollArmed && m_connectDone.load() && m_connectResult.load() == 1 && IsConnected()) OnSuperviseTimer();
    return 0;
}

ConnectAttempt CCorvaneDlg::CollectConnectAttempt() {
    if (!m_connectThread.joinable()) return ConnectAttempt::None;
    if (!m_connectDone.load()) return ConnectAttempt::Running;
    m_connectThread.join();
    return m_connectResult.load() == 1 ? ConnectAttempt::Succeeded : ConnectAttempt::Failed;
}

bool CCorvaneDlg::StartConnectAttempt() {
    m_connectDone = false;
    try {
        // The connect thread only connects; its result is collected by a supervisor tick.
        m_connectThread = std::thread([this, server = m_server, port = m_port] {
            m_connectResult = Connect(server.c_str(), port) ? 1 : 0;
            m_connectDone = true;
            if (HWND target = m_postTarget.load()) PostMessageW(target, WM_CONNECT_ENDED, 0, 0);
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CCorvaneDlg::Carry(const SupervisorStep& step) {
    if (step.arm) {
        const bool poll = step.arm->timer == SupervisionTimer::Poll;
        m_pollArmed = poll;
        KillTimer(hwnd_, poll ? kSuperviseTimer : kPollTimer);
        SetTimer(hwnd_, poll ? kPollTimer : kSuperviseTimer, step.arm->delayMs, nullptr);
    }
    if (step.overlay) m_newsList.ShowProgressBusy(step.overlay->show, BusyPicturePath(step.overlay->picture));
    if (step.balloon) m_trayIcon.ShowBalloon(*step.balloon);
    if (step.selectStocks) SelectCategory(kStocks);
    if (step.takeNews) TakeQueuedNews();
}

std::wstring CCorvaneDlg::BusyPicturePath(BusyPicture picture) const {
    switch (picture) {
        case BusyPicture::Connecting: return m_workingDirectory + L"\\skin\\connecting.gif";
        case BusyPicture::Loading: return m_workingDirectory + L"\\skin\\loading.gif";
        case BusyPicture::None: break;
    }
    return {};
}

void CCorvaneDlg::TakeQueuedNews() {
    // Taken whole: of a burst, the list draws only the rows it will still hold and the pop-up gets its
    // share at once, so the last headline is on screen at once however many came.
    std::vector<NewsItem> items;
    NewsItem item;
    while (PopNews(item)) items.push_back(std::move(item));
    if (items.empty() || !m_newsList.Window()) return;
    std::vector<NewsRoute> routes;
    routes.reserve(items.size());
    for (const NewsItem& taken : items) {
        NewsRoute route = RouteNewsItem(taken.category, CurrentCategory(), IsLoading());
        // An item without a time the list can show adds no row, so it does not count among the rows kept.
        route.toList = route.toList && newslist::ListTimeText(taken.publishTime).has_value();
        routes.push_back(route);
    }
    KeepNewestListRows(routes, kNewsListRows);
    std::vector<NewsItem> announced;
    std::vector<std::optional<alerts::AlertMatch>> alerts;  // one per announced item once any is an alert
    for (std::size_t i = 0; i < items.size(); ++i) {
        // Only what may be announced is matched: a history item is never an alert.
        std::optional<alerts::AlertMatch> alert;
        if (routes[i].toPopup && !m_alertRules.Empty()) alert = m_alertRules.Match(newslist::TitlePlainText(items[i].title));
        if (routes[i].toList) m_newsList.AddUnit(items[i], alert ? &*alert : nullptr);
        if (!routes[i].toPopup) continue;
        if (alert && GetForegroundWindow() != hwnd_) m_trayIcon.ShowAlertTip(alert->visibleText);
        if (alert && alerts.empty()) alerts.resize(announced.size());  // the ordinary items before the first alert
        if (alert || !alerts.empty()) alerts.push_back(std::move(alert));
        announced.push_back(std::move(items[i]));
    }
    if (!announced.empty()) {
        // The new rows are on screen first: making the pop-up's entries takes many times longer than drawing them.
        RedrawWindow(m_newsList.Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        fw::ShowDrawingNow();
        m_quickInform.AddNewsBatch(announced, GetDesktopWindow(), alerts);
    }
    ShowQuietState();
}

void CCorvaneDlg::ReloadAlertRules() { m_alertRules = alerts::AlertMatcher(alerts::ReadAlertRules()); }

void CCorvaneDlg::SelectCategory(const CategoryInfo& category) {
    if (IsLoading() || !IsConnected()) return;
    for (std::size_t i = 0; i < kCategories.size(); ++i) {
        m_tabs[i].SetSelected(&kCategories[i] == &category);
        if (m_tabs[i].Hwnd()) InvalidateRect(m_tabs[i].Hwnd(), nullptr, FALSE);
    }
    const std::lock_guard lock(QueueLock());
    ClearNews();
    m_newsList.ClearList();
    RequestCategory(category.guid);
    PostMessageW(hwnd_, WM_NEWS_WAKE, 0, 0);  // the loading overlay at once, not at the next poll tick
}

void CCorvaneDlg::EndOnFatalError() {
    EndDialog(0);
    PostQuitMessage(0);
}

// --- Commands ---

void CCorvaneDlg::OnTab(int id) {
    for (const CategoryInfo& category : kCategories)
        if (category.tabControlId == id) SelectCategory(category);
}

void CCorvaneDlg::OnHomePage() { newslist::OpenServerLink(settings::HomePageUrl()); }

void CCorvaneDlg::OnAdvise() { newslist::OpenServerLink(settings::ReadWebSite() + L"/about.html"); }

void CCorvaneDlg::OnSettings() {
    OpenSettingsDialog(hwnd_);
    ReloadAlertRules();  // the settings dialog leads to the keyword dialog too
}

void CCorvaneDlg::OnAlerts() {
    if (OpenAlertsDialog(hwnd_)) ReloadAlertRules();
}

void CCorvaneDlg::OnAbout() {
    CAboutDlg about;
    about.DoModal(hwnd_);
}

void CCorvaneDlg::OnExitButton() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

void CCorvaneDlg::OnTrayExit() {
    EndDialog(0);
    PostQuitMessage(0);
}

void CCorvaneDlg::OnQuietOffer(int id) {
    const auto offer = static_cast<popup::QuietOffer>(id - IDM_TRAY_QUIET_ONE_HOUR);
    if (!popup::WriteQuietChoice(popup::ChooseQuiet(offer, popup::LocalNow()))) ShowNotSavedMessage(hwnd_, L"免打扰", L"免打扰未保存");
    OnQuietTimer();
}

void CCorvaneDlg::OnQuietEnd() {
    if (!popup::WriteQuietChoice({})) ShowNotSavedMessage(hwnd_, L"免打扰", L"免打扰未保存");
    OnQuietTimer();
}

void CCorvaneDlg::OnShowMainWindow() {
    KeepOnDesktop();
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
}

// --- Messages ---

fw::Result CCorvaneDlg::OnTrayCallback(WPARAM, LPARAM lParam) {
    POINT cursor{};
    GetCursorPos(&cursor);
    switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: OnShowMainWindow(); break;
        case WM_RBUTTONUP: CTrayIcon::ShowMenu(hwnd_, cursor, QuietStateText(popup::ReadQuietChoice(), popup::LocalNow())); break;
        default: break;
    }
    return 0;
}

void CCorvaneDlg::OnTrayRetryTimer() { m_trayIcon.RetryAdd(); }

fw::Result CCorvaneDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    m_trayIcon.AddAgain();
    return 0;
}

void CCorvaneDlg::OnQuietTimer() {
    m_quickInform.CheckQuietEnded(GetDesktopWindow());
    ShowQuietState();
}

void CCorvaneDlg::ShowQuietState() {
    const bool quiet = m_quickInform.IsQuietNow();
    m_trayIcon.ShowQuiet(quiet ? m_quietTrayIconPicture : m_trayIconPicture,
                         quiet ? QuietTipText(m_quickInform.WaitingCount()) : std::wstring());
    const UINT pace = m_quickInform.WaitingCount() > 0 ? kQuietCheckWaitingMs : kQuietCheckMs;
    if (pace == m_quietCheckMs) return;
    m_quietCheckMs = pace;
    SetTimer(hwnd_, kQuietTimer, pace, nullptr);
}

fw::Result CCorvaneDlg::OnSessionChange(WPARAM wParam, LPARAM) {
    if (wParam == WTS_SESSION_UNLOCK) OnQuietTimer();
    return 0;
}

fw::Result CCorvaneDlg::OnBannerChanged(WPARAM, LPARAM) {
    LoadBannerImages();
    InvalidateRect(hwnd_, nullptr, FALSE);
    return 0;
}

fw::Result CCorvaneDlg::OnVersionOutdated(WPARAM, LPARAM) {
    // The window comes back from the tray first: when the platform keeps the prompt from the front, the
    // window's taskbar button is how the user finds it, and the prompt says what the program is about to do.
    KeepOnDesktop();
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    PromptOutdatedVersion(hwnd_);
    // Whichever button: the program ends as through the tray menu's exit item, so its closing steps run.
    OnTrayExit();
    return 0;
}

fw::Result CCorvaneDlg::OnSysCommand(WPARAM wParam, LPARAM) {
    if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return fw::Declined;
    OnAbout();
    return 0;
}

fw::Result CCorvaneDlg::OnSize(WPARAM, LPARAM) {
    LayOut();
    InvalidateRect(hwnd_, nullptr, FALSE);
    return fw::Declined;
}

fw::Result CCorvaneDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
    auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
    const int dpi = static_cast<int>(m_dpi);
    const WindowSize least = MainWindowMinSize(dpi);
    info.ptMinTrackSize = {least.width, least.height};
    info.ptMaxSize.y = fw::SystemMetricForDpi(SM_CYFULLSCREEN, m_dpi) + fw::SystemMetricForDpi(SM_CYDLGFRAME, m_dpi) +
                       fw::SystemMetricForDpi(SM_CYCAPTION, m_dpi) - ScaleForDpi(3, dpi);
    return 0;
}

// Moved to the rectangle the system suggests, then everything drawn again at the new DPI.
fw::Result CCorvaneDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_dpi = fw::TakeSuggestedDpiChange(hwnd_, wParam, lParam);
    LoadSkinPictures();
    LoadBannerImages();
    m_newsList.SetDpi(m_dpi);
    LayOut();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    return 0;
}

fw::Result CCorvaneDlg::OnDisplayChange(WPARAM, LPARAM) {
    KeepOnDesktop();
    return fw::Declined;
}

fw::Result CCorvaneDlg::OnNcHitTest(WPARAM, LPARAM lParam) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const auto hit = HitTestMainWindow(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam),
                                       {client.left, client.top, client.right, client.bottom}, static_cast<int>(m_dpi));
    if (!hit) return fw::Declined;
    return static_cast<LRESULT>(*hit);
}

fw::Result CCorvaneDlg::OnPaint(WPARAM, LPARAM) {
    const fw::PaintDC paint(hwnd_);
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (IsIconic(hwnd_)) {
        const int x = (client.right - fw::SystemMetricForDpi(SM_CXICON, m_dpi) + 1) / 2;
        const int y = (client.bottom - fw::SystemMetricForDpi(SM_CYICON, m_dpi) + 1) / 2;
        DrawIcon(paint, x, y, m_hIcon);
        return 0;
    }
    const CMemoryDC memory(paint, &client);
    PaintBackground(memory, client.right, client.bottom);
    return 0;
}

void CCorvaneDlg::PaintBackground(HDC dc, int width, int height) const {
    const RECT client{0, 0, width, height};
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const MainWindowLayout layout = LayOutMainWindow(width, height, static_cast<int>(m_dpi));
    if (!m_background.IsEmpty()) m_background.Draw(dc, ToRect(layout.background));
    for (int i = 0; i < 3; ++i)
        if (!m_bannerImages[i].IsEmpty()) m_bannerImages[i].StretchCopy(dc, m_bannerRects[i]);
    if (!m_titleLeft.IsEmpty()) m_titleLeft.Draw(dc, ToRect(layout.titleLeft));
    if (!m_titleText.IsEmpty()) m_titleText.Draw(dc, ToRect(layout.titleText));
}

fw::Result CCorvaneDlg::OnDrawItem(WPARAM, LPARAM lParam) {
    // The image buttons of the title area have transparent pixels: they are drawn over the window's own
    // background at their place, which a move leaves stale otherwise.
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    const HWND topButtons[] = {m_adviseButton.Hwnd(), m_settingsButton.Hwnd(), m_homePageButton.Hwnd(),
                               m_aboutButton.Hwnd(), m_exitButton.Hwnd()};
    if (std::find(std::begin(topButtons), std::end(topButtons), item.hwndItem) == std::end(topButtons))
        return fw::Declined;
    RECT place{};
    GetWindowRect(item.hwndItem, &place);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int saved = SaveDC(item.hDC);
    SetViewportOrgEx(item.hDC, -place.left, -place.top, nullptr);
    PaintBackground(item.hDC, client.right, client.bottom);
    RestoreDC(item.hDC, saved);
    return fw::Declined;  // the button draws its picture next
}

fw::Result CCorvaneDlg::OnEraseBackground(WPARAM, LPARAM) { return 1; }

std::optional<int> CCorvaneDlg::BannerUnderCursor() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(hwnd_, &cursor);
    for (int i = 0; i < 3; ++i)
        if (PtInRect(&m_bannerRects[i], cursor)) return i + 1;
    return std::nullopt;
}

fw::Result CCorvaneDlg::OnSetCursor(WPARAM, LPARAM lParam) {
    // The hand over a banner is chosen where the platform chooses the cursor, so it never flickers
    // back to the arrow between two moves.
    if (LOWORD(lParam) != HTCLIENT || !BannerUnderCursor()) return fw::Declined;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

fw::Result CCorvaneDlg::OnLButtonUp(WPARAM, LPARAM) {
    // Banner links come from the server: only web links are opened.
    if (const auto slot = BannerUnderCursor()) newslist::OpenServerLink(Banners().Slot(*slot).url);
    return fw::Declined;
}

fw::Result CCorvaneDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

fw::Result CCorvaneDlg::OnActivate(WPARAM wParam, LPARAM) {
    // The user has seen the window: the tip stops telling of the last alert.
    if (LOWORD(wParam) != WA_INACTIVE) m_trayIcon.ShowAlertTip({});
    return fw::Declined;
}

fw::Result CCorvaneDlg::OnClose(WPARAM, LPARAM) {
    ShowWindow(hwnd_, SW_HIDE);
    return 0;
}

fw::Result CCorvaneDlg::OnDestroy(WPARAM, LPARAM) {
    m_postTarget = nullptr;
    KillTimer(hwnd_, kQuietTimer);
    if (m_sessionNotifications) WTSUnRegisterSessionNotification(hwnd_);
    m_quickInform.Destroy();
    m_trayIcon.Remove();
    // Ends the receive thread and any connect attempt in flight, then collects the connect thread, so
    // nothing connects while the window object is torn down.
    StopAndWait();
    if (m_connectThread.joinable()) m_connectThread.join();
    return fw::Declined;
}
