#pragma once
// The program's main window: a skinned, borderless dialog with the category tabs, the news list, three
// advertisement banners and five image buttons in its title area. It is privately the server connection
// and supervises it with two timers, routes every received headline to the list and the pop-up, and
// keeps the tray icon. Closing it only hides it; the program goes on in the tray.
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "alerts/AlertMatcher.h"
#include "app/ConnectionSupervisor.h"
#include "app/MainWindowLayout.h"
#include "app/TrayIcon.h"
#include "connection/Category.h"
#include "connection/Connection.h"
#include "controls/CoolButton.h"
#include "controls/PngButton.h"
#include "controls/SkinImage.h"
#include "framework/Dialog.h"
#include "newslist/LinkListViewEx.h"
#include "popup/QuickInform.h"

// Posted by the receive thread when a banner's image and link were replaced.
// In the application range: in a dialog, WM_USER + 1 is the dialog manager's DM_SETDEFID.
inline constexpr UINT WM_BANNER_CHANGED = WM_APP + 1;
// Posted by the version-check thread when the version page offers an update.
inline constexpr UINT WM_VERSION_OUTDATED = WM_APP + 2;
// Posted by the receive thread when it queued headlines, ended a history or ended, once per drain.
inline constexpr UINT WM_NEWS_WAKE = WM_APP + 3;
// Posted by the connect thread when its attempt has ended.
inline constexpr UINT WM_CONNECT_ENDED = WM_APP + 4;

class CCorvaneDlg : public fw::Dialog, private CConnection {
public:
    // workingDirectory is the program's folder, where the busy pictures of the skin are found.
    explicit CCorvaneDlg(std::wstring workingDirectory, SupervisorTimings timings = {});
    ~CCorvaneDlg() override;

    bool HandleMessage(fw::Message& message) override;

    // The title by which a second copy of the program finds this window.
    static constexpr const wchar_t* kTitle = L"Tessaly财经资讯";
    static constexpr UINT_PTR kSuperviseTimer = 1556;
    static constexpr UINT_PTR kPollTimer = 1555;
    // Slow: whether quiet has ended, and the tray's quiet look. Windows sends no message when a full-screen
    // program ends. Every 2 s while headlines wait for quiet's end; otherwise the check only keeps the tray
    // icon in step (a headline gathers the facts itself when it comes), and every 5 s lets the program sleep.
    static constexpr UINT_PTR kQuietTimer = 1558;
    static constexpr UINT kQuietCheckWaitingMs = 2000;
    static constexpr UINT kQuietCheckMs = 5000;

protected:
    void BindControls() override;
    bool OnInitDialog() override;

private:
    // Opening
    void AddAboutToSystemMenu();
    void LoadBannerImages();
    void DestroyBannerPlaceholders();
    void PlaceOnOpening();
    // The skin's pictures and the image buttons at the window's DPI.
    void LoadSkinPictures();
    void LayOut();
    // Back on the primary monitor when the monitors changed and none shows the window any more.
    void KeepOnDesktop();

    // Supervision and dispatch
    void OnSuperviseTimer();
    void OnPollTimer();
    fw::Result OnNewsWake(WPARAM, LPARAM);
    fw::Result OnConnectEnded(WPARAM, LPARAM);
    void Carry(const SupervisorStep& step);
    bool StartConnectAttempt();
    ConnectAttempt CollectConnectAttempt();
    void TakeQueuedNews();
    void ReloadAlertRules();
    void SelectCategory(const CategoryInfo& category);
    void EndOnFatalError();

    // Commands
    void OnTab(int id);
    void OnHomePage();
    void OnAdvise();
    void OnSettings();
    void OnAlerts();
    void OnAbout();
    void OnExitButton();
    void OnTrayExit();
    void OnQuietOffer(int id);
    void OnQuietEnd();
    void OnShowMainWindow();

    // Messages
    void OnTrayRetryTimer();
    void OnQuietTimer();
    void ShowQuietState();  // the tray icon and tip, and the quiet check's pace
    fw::Result OnSessionChange(WPARAM, LPARAM);
    fw::Result OnTrayCallback(WPARAM, LPARAM);
    fw::Result OnTaskbarCreated(WPARAM, LPARAM);
    fw::Result OnBannerChanged(WPARAM, LPARAM);
    fw::Result OnVersionOutdated(WPARAM, LPARAM);
    fw::Result OnSysCommand(WPARAM, LPARAM);
    fw::Result OnActivate(WPARAM, LPARAM);
    fw::Result OnSize(WPARAM, LPARAM);
    fw::Result OnGetMinMaxInfo(WPARAM, LPARAM);
    fw::Result OnDpiChanged(WPARAM, LPARAM);
    fw::Result OnDisplayChange(WPARAM, LPARAM);
    fw::Result OnNcHitTest(WPARAM, LPARAM);
    fw::Result OnPaint(WPARAM, LPARAM);
    fw::Result OnDrawItem(WPARAM, LPARAM);
    fw::Result OnEraseBackground(WPARAM, LPARAM);
    fw::Result OnSetCursor(WPARAM, LPARAM);
    fw::Result OnLButtonUp(WPARAM, LPARAM);
    fw::Result OnQueryDragIcon(WPARAM, LPARAM);
    fw::Result OnClose(WPARAM, LPARAM);
    fw::Result OnDestroy(WPARAM, LPARAM);

    // White, the skin's background anchored to the right edge, the banners and the title pictures.
    void PaintBackground(HDC dc, int width, int height) const;
    std::optional<int> BannerUnderCursor() const;
    std::wstring BusyPicturePath(BusyPicture picture) const;

    CLinkListViewEx m_newsList;
    CQuickInform m_quickInform;
    alerts::AlertMatcher m_alertRules;  // as last read from Setting.ini
    HICON m_hIcon;
    HICON m_trayIconPicture;  // the small drawings, shared: loaded once for the run
    HICON m_quietTrayIconPicture;
    bool m_sessionNotifications = false;  // registered for the session's lock and unlock
    UINT m_dpi = 96;  // from the window's creation and WM_DPICHANGED
    std::array<RECT, 3> m_bannerRects{};
    std::array<CCoolButton, kCategories.size()> m_tabs;  // in the order of kCategories
    CTrayIcon m_trayIcon;
    std::uint16_t m_port = 0;
    std::string m_server;
    CSkinImage m_background;
    CSkinImage m_titleLeft;
    CSkinImage m_titleText;
    std::array<CSkinImage, 3> m_bannerImages;
    PngButton m_adviseButton;
    PngButton m_settingsButton;
    PngButton m_homePageButton;
    PngButton m_aboutButton;
    PngButton m_exitButton;

    std::wstring m_workingDirectory;
    ConnectionSupervisor m_supervisor;
    std::thread m_connectThread;
    std::atomic<int> m_connectResult{0};  // the connect thread's exit code: 1 connected, 0 failed
    std::atomic<bool> m_connectDone{false};
    UINT m_quietCheckMs = 0;  // the quiet timer's pace; 0 before it is first armed
    bool m_pollArmed = false;  // connected as far as the supervisor knows: the poll timer runs
    // Where the receive and connect threads post their messages; set while the window exists.
    std::atomic<HWND> m_postTarget{nullptr};
};
