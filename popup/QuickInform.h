#pragma once
// The pop-up notifier: a small always-on-top window at the lower right corner of the work area that
// announces live headlines. The work area is that of the monitor chosen in Setting.ini (popup/PopupPlacement.h),
// read again for every item handed in, so the window follows a moved taskbar or the chosen monitor. All its
// sizes are for 96 DPI and scaled to the window's DPI, taken when it opens and from WM_DPICHANGED. It opens for an announced item, plays a sound, adds one entry (CQIUnit) per
// item at the bottom, rises into view, grows up to half the work-area height and then scrolls older
// entries out at the top. After the stay time chosen in Setting.ini without a new announced item it
// closes itself; the close area of its title band closes it too. The next announced item opens it again.
//
// A keyword alert is announced even when its category or the pop-up as a whole is switched off, gets a
// highlighted entry, plays the alert sound unless its rule is silent, and holds the window open: no stay
// time runs while an alert entry the user has not clicked is in view.
//
// The object lives for the whole run; its window comes and goes. Destroying the object destroys the
// window and every entry with it, and so does Destroy, after which the object is ready for the next item.
// Esc and Alt+F4 reaching the window close it like its close area. User-interface thread only.
//
// While quiet (popup::Quiet) an item is not announced: no window, no sound. It waits in a small list, and
// when nothing holds the pop-up quiet any more the window opens with each waiting alert and one summary
// entry, which asks the main window to show itself when clicked.
#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "alerts/AlertMatcher.h"
#include "connection/NewsItem.h"
#include "controls/ScreenAreas.h"
#include "controls/SkinImage.h"
#include "framework/Dialog.h"
#include "popup/PopupRules.h"
#include "popup/QuietBacklog.h"
#include "popup/QuietRules.h"

class CQIUnit;

// The pop-up's timing. The product's values are the defaults; tests shorten them.
struct QuickInformIntervals {
    UINT motion = 30;            // milliseconds between two steps of rising or scrolling
    unsigned stayDivisor = 1;    // every stay time chosen in the settings is divided by this
};

// Plays an embedded sound by its resource number. The pop-up's own plays it with PlaySoundW; tests hand in
// one that records which sound a batch would play.
using SoundPlayer = std::function<void(int resource)>;

// The facts the quiet decision is made on. The pop-up's own gathers them from the system
// (popup::GatherQuietFacts, on the pop-up's monitor); tests hand in their own.
using QuietFactsSource = std::function<popup::QuietFacts()>;

class CQuickInform : public fw::Dialog {
public:
    CQuickInform();
    explicit CQuickInform(QuickInformIntervals intervals, SoundPlayer playSound = {},
                          QuietFactsSource quietFacts = {});
    ~CQuickInform() override;

    // Hands the pop-up one live item, an alert when alert is given. 1 when it was handled (announced, or
    // skipped because its category is switched off); 0 when the window or the entry could not be created,
    // or when the window is at full height and holds no entry.
    int AddNews(const NewsItem& item, HWND parent, const alerts::AlertMatch* alert = nullptr);
    // Hands the pop-up the live items taken from the queue at once, in arrival order; alerts is empty or
    // holds one entry per item (nullopt for an ordinary item). The settings are read once and one sound
    // plays; every alert gets an entry, and of the ordinary items announced only the newest that fit in
    // kBurstEntries (older ones would only be scrolled past unseen). 1 when every entry was made.
    int AddNewsBatch(std::span<const NewsItem> items, HWND parent,
                     std::span<const std::optional<alerts::AlertMatch>> alerts = {});
    static constexpr std::size_t kBurstEntries = 10;

    // Gathers the facts anew and, when nothing holds an ordinary item back any more and items waited,
    // opens the window with the waiting alerts and the summary entry. True when it did. AddNewsBatch does
    // this first too, so what waited shows before what is new.
    bool CheckQuietEnded(HWND parent);
    // Whether an ordinary item would wait, by the facts as last gathered.
    bool IsQuietNow() const;
    // The headlines waiting to be summed up.
    std::size_t WaitingCount() const { return backlog_.Received(); }
    // The window the summary entry's click asks to show (WM_COMMAND IDM_SHOW_MAIN_WINDOW), and whose
    // monitor the pop-up goes to when the user chose so.
    void SetMainWindow(HWND mainWindow) { mainWindow_ = mainWindow; }

    // The entries on show, oldest first.
    std::size_t EntryCount() const { return entries_.size(); }
    // The DPI the window draws at.
    UINT Dpi() const { return dpi_; }

    bool HandleMessage(fw::Message& message) override;

    // Timer ids of the window.
    static constexpr UINT_PTR kStayTimer = 1;
    static constexpr UINT_PTR kMotionTimer = 2;

protected:
    bool OnInitDialog() override;

private:
    bool OpenWindow(HWND parent);
    bool PlaceOnMonitor(HWND parent);
    void ShowOpened();
    void FollowWorkArea();
    int Scaled(int pixelsAt96Dpi) const;
    int FrameHeight() const;
    void PlayBatchSound(std::span<const popup::Announcement> batch) const;
    bool AddEntry(const NewsItem& item, const alerts::AlertMatch* alert);
    bool PlaceEntry(std::unique_ptr<CQIUnit> created);
    bool ReleaseWaiting(HWND parent);
    void CatchUpWithBurst();
    void ScrollEntries(int by);
    bool ScrolledOut(const CQIUnit* entry) const;
    std::vector<popup::EntryOnShow> EntriesOnShow() const;
    void ArmStayTimer();
    void CloseAllEntries();

    void OnMotionTimer();
    void OnStayTimer();
    fw::Result OnAlertAcknowledged(WPARAM, LPARAM);
    fw::Result OnDestroy(WPARAM, LPARAM);
    fw::Result OnDpiChanged(WPARAM, LPARAM);
    fw::Result OnNcCalcSize(WPARAM, LPARAM);
    fw::Result OnNcHitTest(WPARAM, LPARAM);
    fw::Result OnNcPaint(WPARAM, LPARAM);
    fw::Result OnNcActivate(WPARAM, LPARAM);
    fw::Result OnNcLButtonDown(WPARAM, LPARAM);
    fw::Result OnNcLButtonUp(WPARAM, LPARAM);

    void LoadPictures();
    void PaintFrame();
    bool InCloseArea(LPARAM screenPoint) const;

    QuickInformIntervals intervals_;
    SoundPlayer playSound_;
    QuietFactsSource quietFacts_;
    popup::QuietFacts lastFacts_;
    popup::QuietBacklog backlog_;
    HWND mainWindow_ = nullptr;
    std::deque<CQIUnit*> entries_;  // not owned: each entry frees itself with its window
    std::uint32_t addedCount_ = 0;  // entries added since the window last opened
    MonitorArea monitor_;           // the chosen monitor as last read
    ScreenRect workArea_;           // the work area the window stands in
    UINT dpi_ = 96;
    RECT closeArea_{};              // window coordinates
    // Decoded once for a DPI and kept while the program runs: the frame paints again at every step of the
    // motion, and every entry paints the background.
    CSkinImage titleBar_, border_, bottom_, entryBackground_;
    UINT picturesDpi_ = 0;
    NewsItem latestItem_;
    bool latestIsAlert_ = false;
    bool moving_ = false;           // the motion timer runs: the stay timer is armed when it ends
    PopupSwitches switches_;
};
