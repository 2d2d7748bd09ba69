#include "popup/QuickInform.h"

#include <dwmapi.h>
#include <windowsx.h>
#include <mmsystem.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

#include "controls/SkinScale.h"
#include "framework/DeviceContext.h"
#include "framework/Dpi.h"
#include "popup/PopupPlacement.h"
#include "popup/QIUnit.h"
#include "popup/QuietFactsWin32.h"
#include "res/resource.h"

namespace {

// Sizes in pixels at 96 DPI.
constexpr int kWindowWidth = 280;
constexpr int kRightGap = 10;      // between the window's right edge and the work area's
constexpr int kRiseStep = 10;      // pixels per motion step while the window slides up
constexpr int kScrollStep = 40;    // pixels per motion step while the entries scroll
constexpr std::uint32_t kClosingAfter = 5;  // entries added before scrolled-out ones are closed

constexpr int kTitleBandHeight = 29;
constexpr int kBorderWidth = 3;
constexpr const wchar_t* kTitleBarPicture = L"quickinfotitlebar.jpg";
constexpr const wchar_t* kBorderPicture = L"quickinfoborder.jpg";
constexpr const wchar_t* kBottomPicture = L"quickinfoborderbottom.jpg";
constexpr const wchar_t* kBackgroundPicture = L"quickinfobkg.jpg";  // the entries'

// The close area of the title band, in window coordinates from its top right corner.
constexpr RECT kCloseAreaFromRight{37, 7, 5, 25};

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

RECT WindowRect(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child, HWND parent) {
    RECT rect = WindowRect(child);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

constexpr UINT kQuietMove = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// A new sound cuts off one still playing.
void PlayEmbeddedSound(int resource) {
    PlaySoundW(MAKEINTRESOURCEW(resource), GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

const alerts::AlertMatch* AlertAt(std::span<const std::optional<alerts::AlertMatch>> alerts, std::size_t index) {
    return index < alerts.size() && alerts[index] ? &*alerts[index] : nullptr;
}

}  // namespace

CQuickInform::CQuickInform() : CQuickInform(QuickInformIntervals{}) {}

CQuickInform::CQuickInform(QuickInformIntervals intervals, SoundPlayer playSound, QuietFactsSource quietFacts)
    : Dialog(IDD_POPUP),
      intervals_(intervals),
      playSound_(playSound ? std::move(playSound) : PlayEmbeddedSound),
      quietFacts_(quietFacts ? std::move(quietFacts) : [this] { return popup::GatherQuietFacts(monitor_.bounds); }) {
    intervals_.stayDivisor = std::max(1u, intervals_.stayDivisor);
}

CQuickInform::~CQuickInform() { Destroy(); }

int CQuickInform::AddNews(const NewsItem& item, HWND parent, const alerts::AlertMatch* alert) {
    if (!alert) return AddNewsBatch({&item, 1}, parent);
    const std::optional<alerts::AlertMatch> alerts[] = {*alert};
    return AddNewsBatch({&item, 1}, parent, alerts);
}

int CQuickInform::AddNewsBatch(std::span<const NewsItem> items, HWND parent,
                               std::span<const std::optional<alerts::AlertMatch>> alerts) {
    if (items.empty()) return 1;
    CheckQuietEnded(parent);
    popup::ReadSwitches(switches_);
    std::vector<popup::Announcement> batch;
    batch.reserve(items.size());
    std::optional<std::size_t> latest;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const alerts::AlertMatch* alert = AlertAt(alerts, i);
        batch.push_back(popup::HowToAnnounce(switches_, items[i].category, alert));
        if (batch.back() != popup::Announcement::Skipped &&
            popup::Quiet(lastFacts_, alert != nullptr) != popup::QuietReason::None) {
            backlog_.Add(items[i], alert);
            batch.back() = popup::Announcement::Skipped;
            continue;
        }
        latest = i;
    }
    if (latest) {
        latestItem_ = items[*latest];
        latestIsAlert_ = AlertAt(alerts, *latest) != nullptr;
    }
    const std::vector<std::size_t> shown = popup::BatchEntries(batch, kBurstEntries);
    if (shown.empty()) return 1;
    if (!PlaceOnMonitor(parent)) return 0;

    PlayBatchSound(batch);
    KillTimer(hwnd_, kStayTimer);
    SetTimer(hwnd_, kMotionTimer, intervals_.motion, nullptr);
    moving_ = true;
    bool added = true;
    for (std::size_t index : shown) added = AddEntry(items[index], AlertAt(alerts, index)) && added;
    ShowOpened();
    return added ? 1 : 0;
}

bool CQuickInform::CheckQuietEnded(HWND parent) {
    monitor_ = popup::PopupMonitorArea(mainWindow_);
    lastFacts_ = quietFacts_();
    if (backlog_.Empty() || IsQuietNow()) return false;
    return ReleaseWaiting(parent);
}

bool CQuickInform::IsQuietNow() const { return popup::Quiet(lastFacts_, false) != popup::QuietReason::None; }

// The summary entry is made first: its height tells how many entries one view holds, and so how many of
// the waiting alerts show above it.
bool CQuickInform::ReleaseWaiting(HWND parent) {
    if (!PlaceOnMonitor(parent)) return false;
    auto summary = std::make_unique<CQIUnit>(&entryBackground_);
    if (!summary->CreateForSummary(popup::QuietSummaryText(backlog_.Received()), std::time(nullptr), hwnd_,
                                   mainWindow_)) {
        if (entries_.empty()) Destroy();
        return false;
    }
    const std::size_t view = popup::EntriesPerView(workArea_.Height(), FrameHeight(),
                                                   Height(WindowRect(summary->Hwnd())));
    const popup::QuietRelease release = backlog_.Release(view);

    std::vector<popup::Announcement> batch;
    for (const popup::WaitingAlert& waiting : release.alerts)
        batch.push_back(waiting.match.sound ? popup::Announcement::Alert : popup::Announcement::SilentAlert);
    batch.push_back(popup::Announcement::Ordinary);  // the summary
    popup::ReadSwitches(switches_);
    // The summary stays for the general Delay whatever the switches say, as an alert of no category would.
    latestItem_ = {};
    latestIsAlert_ = true;
    PlayBatchSound(batch);
    KillTimer(hwnd_, kStayTimer);
    SetTimer(hwnd_, kMotionTimer, intervals_.motion, nullptr);
    moving_ = true;
    for (const popup::WaitingAlert& waiting : release.alerts) AddEntry(waiting.item, &waiting.match);
    const bool placed = PlaceEntry(std::move(summary));
    ShowOpened();
    return placed;
}

void CQuickInform::PlayBatchSound(std::span<const popup::Announcement> batch) const {
    switch (popup::ChooseBatchSound(batch)) {
        case popup::BatchSound::None: return;
        case popup::BatchSound::Chosen: playSound_(popup::ChooseSound()); return;
        case popup::BatchSound::Alert: playSound_(IDR_SOUND_ALERT); return;
    }
}

bool CQuickInform::OpenWindow(HWND parent) {
    if (!Create(parent)) return false;
    // No taskbar button.
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    // The dialog background never paints over the entries, so they need not repaint after it.
    SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_CLIPCHILDREN);
    // The frame is painted from the skin; the desktop compositor must not draw its own over it.
    const DWMNCRENDERINGPOLICY policy = DWMNCRP_DISABLED;
    DwmSetWindowAttribute(hwnd_, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy);

    // On the chosen monitor first, so the window takes that monitor's DPI; then sized for it. The frame
    // alone: the template has no client height.
    workArea_ = monitor_.work;
    const RECT made = WindowRect(hwnd_);
    const ScreenRect inside = popup::PopupRestingRect(workArea_, Width(made), Height(made), 0);
    SetWindowPos(hwnd_, nullptr, inside.left, inside.top, 0, 0, kQuietMove | SWP_NOSIZE);
    dpi_ = fw::WindowDpi(hwnd_);
    const ScreenRect place = popup::PopupRestingRect(workArea_, Scaled(kWindowWidth), FrameHeight(), Scaled(kRightGap));
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.Width(), place.Height(), kQuietMove | SWP_FRAMECHANGED);
    addedCount_ = 0;
    return true;
}

bool CQuickInform::PlaceOnMonitor(HWND parent) {
    if (hwnd_)
        FollowWorkArea();
    else if (!OpenWindow(parent))
        return false;
    LoadPictures();
    return true;
}

// A window just opened shows once its first entries are in: a hidden window grows without the round trips
// to the display that a shown one costs, and it shows whole, painted at once.
void CQuickInform::ShowOpened() {
    if (IsWindowVisible(hwnd_)) return;
    // Shown without activation: the user may be typing in another program. Topmost is set here, since the
    // style bit alone does not do it.
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// An open window moves with its work area as read for the newest items: a taskbar moved to another edge,
// or the mouse or the main window gone to another monitor. It keeps how far it still has to rise.
void CQuickInform::FollowWorkArea() {
    const ScreenRect work = monitor_.work;
    if (work == workArea_) return;
    const RECT window = WindowRect(hwnd_);
    const ScreenRect place = popup::PopupRestingRect(work, Width(window), Height(window), Scaled(kRightGap));
    const int top = window.top + (work.bottom - workArea_.bottom);
    workArea_ = work;
    SetWindowPos(hwnd_, nullptr, place.left, std::max(top, place.top), 0, 0, kQuietMove | SWP_NOSIZE);
}

int CQuickInform::Scaled(int pixelsAt96Dpi) const { return ScaleForDpi(pixelsAt96Dpi, static_cast<int>(dpi_)); }

int CQuickInform::FrameHeight() const { return Scaled(kTitleBandHeight) + Scaled(kBorderWidth); }

bool CQuickInform::AddEntry(const NewsItem& item, const alerts::AlertMatch* alert) {
    auto created = std::make_unique<CQIUnit>(&entryBackground_);
    if (!created->CreateForItem(item, hwnd_, alert)) return false;
    return PlaceEntry(std::move(created));
}

bool CQuickInform::PlaceEntry(std::unique_ptr<CQIUnit> created) {
    CQIUnit* entry = created.release();  // from here on it frees itself with its window
    entry->SetDpi(dpi_);

    const int height = Height(WindowRect(hwnd_));
    const RECT entryRect = WindowRect(entry->Hwnd());
    const int entryWidth = Width(entryRect), entryHeight = Height(entryRect);
    if (height < workArea_.Height() / 2) {
        // Growing: the new entry goes below the others; the window's bottom now lies below the work area
        // until the motion brings it up.
        SetWindowPos(hwnd_, nullptr, 0, 0, Scaled(kWindowWidth), height + entryHeight, kQuietMove | SWP_NOMOVE);
        SetWindowPos(entry->Hwnd(), nullptr, 0, static_cast<int>(addedCount_) * entryHeight, Scaled(kWindowWidth),
                     entryHeight, kQuietMove);
        if (!entries_.empty()) InvalidateRect(entries_.back()->Hwnd(), nullptr, TRUE);
    } else {
        if (entries_.empty()) {
            entry->Destroy();
            return false;
        }
        // Full: the new entry waits below the newest, out of view, until the motion scrolls it in.
        const RECT newest = RectInParent(entries_.back()->Hwnd(), hwnd_);
        SetWindowPos(entry->Hwnd(), nullptr, 0, newest.bottom, entryWidth, entryHeight + 1, kQuietMove);
    }
    ShowWindow(entry->Hwnd(), SW_SHOWNA);
    entries_.push_back(entry);
    ++addedCount_;
    CatchUpWithBurst();
    // Paints now what the new entry and the growth uncovered.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return true;
}

// Items may come faster than the motion scrolls them in (a burst, or a busy thread whose timer steps come
// late). Entries waiting below the view are then limited to one view height: the list skips up by the excess
// at once and every entry that leaves the view at the top closes, so the live entries, and the windows and
// handles with them, stay bounded however fast items come, and the newest are the ones shown.
void CQuickInform::CatchUpWithBurst() {
    RECT view;
    GetClientRect(hwnd_, &view);
    const RECT newest = WindowRect(entries_.back()->Hwnd());
    // Measured to the window's outer bottom edge, where the ordinary motion stops.
    const int scroll =
        popup::CatchUpScroll(newest.bottom - WindowRect(hwnd_).bottom, Height(view), Height(newest));
    if (scroll == 0) return;
    ScrollEntries(scroll);
    if (addedCount_ < kClosingAfter) return;
    while (!entries_.empty() && ScrolledOut(entries_.front())) {
        CQIUnit* oldest = entries_.front();
        entries_.pop_front();
        oldest->Destroy();
    }
}

bool CQuickInform::ScrolledOut(const CQIUnit* entry) const {
    POINT clientTop{0, 0};
    ClientToScreen(hwnd_, &clientTop);
    return WindowRect(entry->Hwnd()).bottom <= clientTop.y;
}

void CQuickInform::ScrollEntries(int by) {
    // All entries move in one step, so none is seen out of line with the others.
    HDWP moves = BeginDeferWindowPos(static_cast<int>(entries_.size()));
    for (CQIUnit* entry : entries_) {
        const RECT place = RectInParent(entry->Hwnd(), hwnd_);
        if (moves)
            moves = DeferWindowPos(moves, entry->Hwnd(), nullptr, 0, place.top - by, 0, 0, kQuietMove | SWP_NOSIZE);
    }
    if (moves) EndDeferWindowPos(moves);
    for (CQIUnit* entry : entries_) InvalidateRect(GetDlgItem(entry->Hwnd(), IDC_ENTRY_LOGO), nullptr, TRUE);
}

void CQuickInform::OnMotionTimer() {
    const RECT window = WindowRect(hwnd_);
    const int restingTop =
        popup::PopupRestingRect(workArea_, Width(window), Height(window), Scaled(kRightGap)).top;
    if (window.top > restingTop) {
        const int rise = std::min(Scaled(kRiseStep), static_cast<int>(window.top) - restingTop);
        SetWindowPos(hwnd_, nullptr, window.left, window.top - rise, 0, 0, kQuietMove | SWP_NOSIZE);
        return;
    }
    if (!entries_.empty()) {
        if (addedCount_ >= kClosingAfter && ScrolledOut(entries_.front())) {
            CQIUnit* oldest = entries_.front();
            entries_.pop_front();
            oldest->Destroy();
            if (entries_.empty()) return;
        }
        if (WindowRect(entries_.back()->Hwnd()).bottom > window.bottom) {
            ScrollEntries(Scaled(kScrollStep));
            return;
        }
    }
    KillTimer(hwnd_, kMotionTimer);
    moving_ = false;
    ArmStayTimer();
}

std::vector<popup::EntryOnShow> CQuickInform::EntriesOnShow() const {
    std::vector<popup::EntryOnShow> shown;
    for (const CQIUnit* entry : entries_)
        shown.push_back({entry->IsAlert(), entry->Acknowledged(), ScrolledOut(entry)});
    return shown;
}

// While an alert waits for the user, no stay time runs; the click that acknowledges the last one arms it.
void CQuickInform::ArmStayTimer() {
    if (!popup::StayTimeRuns(EntriesOnShow())) return;
    if (const std::optional<unsigned> stay = popup::ChooseStayTime(switches_, latestItem_.category, latestIsAlert_))
        SetTimer(hwnd_, kStayTimer, std::max(1u, *stay / intervals_.stayDivisor), nullptr);
}

fw::Result CQuickInform::OnAlertAcknowledged(WPARAM, LPARAM) {
    if (!moving_) ArmStayTimer();
    return 0;
}

void CQuickInform::OnStayTimer() {
    KillTimer(hwnd_, kStayTimer);
    Destroy();
}

// Another DPI (moved to a monitor of another scale, or the scale changed): the frame, the width and every
// entry are laid out again, the entries stacked with the newest at the bottom, in the work area's corner.
fw::Result CQuickInform::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    dpi_ = fw::TakeSuggestedDpiChange(hwnd_, wParam, lParam);
    LoadPictures();
    RECT client;
    GetClientRect(hwnd_, &client);
    int inView = 0;
    for (CQIUnit* entry : entries_) {
        const RECT place = RectInParent(entry->Hwnd(), hwnd_);
        const bool shown = place.bottom > 0 && place.top < client.bottom;
        entry->SetDpi(dpi_);
        if (shown) inView += Height(WindowRect(entry->Hwnd()));
    }
    const int width = Scaled(kWindowWidth);
    const ScreenRect place = popup::PopupRestingRect(workArea_, width, FrameHeight() + inView, Scaled(kRightGap));
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.Width(), place.Height(), kQuietMove | SWP_FRAMECHANGED);
    int bottom = inView;
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
        const int height = Height(WindowRect((*entry)->Hwnd()));
        SetWindowPos((*entry)->Hwnd(), nullptr, 0, bottom - height, width, height, kQuietMove);
        bottom -= height;
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
    return 0;
}

void CQuickInform::CloseAllEntries() {
    for (CQIUnit* entry : entries_) entry->Destroy();
    entries_.clear();
}

bool CQuickInform::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CQuickInform> table[] = {
        fw::OnTimer(kMotionTimer, &CQuickInform::OnMotionTimer),
        fw::OnTimer(kStayTimer, &CQuickInform::OnStayTimer),
        fw::OnMessage(CQIUnit::kAlertAcknowledged, &CQuickInform::OnAlertAcknowledged),
        fw::OnMessage(WM_NCCALCSIZE, &CQuickInform::OnNcCalcSize),
        fw::OnMessage(WM_NCHITTEST, &CQuickInform::OnNcHitTest),
        fw::OnMessage(WM_NCPAINT, &CQuickInform::OnNcPaint),
        fw::OnMessage(WM_NCACTIVATE, &CQuickInform::OnNcActivate),
        fw::OnMessage(WM_NCLBUTTONDOWN, &CQuickInform::OnNcLButtonDown),
        fw::OnMessage(WM_NCLBUTTONUP, &CQuickInform::OnNcLButtonUp),
        fw::OnMessage(WM_DESTROY, &CQuickInform::OnDestroy),
        fw::OnMessage(WM_DPICHANGED, &CQuickInform::OnDpiChanged),
    };
    return fw::Dispatch(*this, table, message) || Dialog::HandleMessage(message);
}

bool CQuickInform::OnInitDialog() { return false; }  // no focus taken

fw::Result CQuickInform::OnDestroy(WPARAM, LPARAM) {
    CloseAllEntries();
    addedCount_ = 0;
    KillTimer(hwnd_, kMotionTimer);
    KillTimer(hwnd_, kStayTimer);
    moving_ = false;
    return fw::Declined;
}

// The frame is as large as its skin pictures on every system: the title band on top, thin borders elsewhere.
// (A system frame is smaller or larger depending on the system, and would cut the band or show its own.)
fw::Result CQuickInform::OnNcCalcSize(WPARAM, LPARAM lParam) {
    RECT& client = *reinterpret_cast<RECT*>(lParam);  // the first rectangle in either form of the message
    const int border = Scaled(kBorderWidth);
    client.left += border;
    client.right = std::max(client.left, client.right - border);
    client.top += Scaled(kTitleBandHeight);
    client.bottom = std::max(client.top, client.bottom - border);
    return 0;
}

// The whole frame drags the window; the close area's press is swallowed when it arrives.
fw::Result CQuickInform::OnNcHitTest(WPARAM, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT client;
    GetClientRect(hwnd_, &client);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT window = WindowRect(hwnd_);
    if (!PtInRect(&window, point)) return HTNOWHERE;
    return PtInRect(&client, point) ? HTCLIENT : HTCAPTION;
}

fw::Result CQuickInform::OnNcPaint(WPARAM, LPARAM) {
    PaintFrame();
    return 0;
}

fw::Result CQuickInform::OnNcActivate(WPARAM, LPARAM) {
    PaintFrame();
    return TRUE;
}

void CQuickInform::LoadPictures() {
    if (picturesDpi_ == dpi_) return;
    titleBar_.LoadForDpi(kTitleBarPicture, dpi_);
    border_.LoadForDpi(kBorderPicture, dpi_);
    bottom_.LoadForDpi(kBottomPicture, dpi_);
    entryBackground_.LoadForDpi(kBackgroundPicture, dpi_);
    picturesDpi_ = dpi_;
}

void CQuickInform::PaintFrame() {
    const RECT window = WindowRect(hwnd_);
    const int width = Width(window), height = Height(window);
    const fw::WindowDC dc(hwnd_);
    // The client area is the entries' own.
    RECT client;
    GetClientRect(hwnd_, &client);
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);

    // Starts from what the frame shows, so a missing picture leaves its part as it was.
    const fw::OffscreenDC buffer(dc, width, height);
    BitBlt(buffer, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    const int band = Scaled(kTitleBandHeight), border = Scaled(kBorderWidth);
    LoadPictures();
    titleBar_.Draw(buffer, {0, 0, width, band});
    border_.Draw(buffer, {0, band, border, band + height});
    border_.Draw(buffer, {width - border, band, width, band + height});
    bottom_.Draw(buffer, {0, height - border, width, height});
    buffer.CopyTo(dc, 0, 0);

    closeArea_ = {width - Scaled(kCloseAreaFromRight.left), Scaled(kCloseAreaFromRight.top),
                  width - Scaled(kCloseAreaFromRight.right), Scaled(kCloseAreaFromRight.bottom)};
}

bool CQuickInform::InCloseArea(LPARAM screenPoint) const {
    const RECT window = WindowRect(hwnd_);
    const POINT point{GET_X_LPARAM(screenPoint) - window.left, GET_Y_LPARAM(screenPoint) - window.top};
    return PtInRect(&closeArea_, point) != FALSE;
}

fw::Result CQuickInform::OnNcLButtonDown(WPARAM, LPARAM lParam) {
    if (!InCloseArea(lParam)) return fw::Declined;  // the title band drags the window
    return 0;
}

fw::Result CQuickInform::OnNcLButtonUp(WPARAM, LPARAM lParam) {
    if (!InCloseArea(lParam)) return fw::Declined;
    Destroy();
    return 0;
}
