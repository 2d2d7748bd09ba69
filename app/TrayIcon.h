#pragma once
// The main window's icon in the notification area: added when the window opens, removed when it
// closes, added again when the taskbar is re-created; the supervisor's balloons; the quiet look; the tray
// menu.
//
// The shell may refuse the add, as it does at sign-in before it is ready, and a "TaskbarCreated" does not
// always follow. A refused add is tried again on a timer of the window until the icon is there, and a
// balloon asked for meanwhile waits for it: only the latest, since each one tells the connection's state
// as it is now.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>

#include "app/ConnectionSupervisor.h"

class CTrayIcon {
public:
    // The callback message the shell sends the window for mouse activity over the icon.
    static constexpr UINT kCallbackMessage = WM_USER + 0x15;
    static constexpr UINT kIconId = 128;
    // The window's timer that tries a refused add again; its WM_TIMER calls RetryAdd.
    static constexpr UINT_PTR kRetryTimer = 1557;
    static constexpr UINT kRetryMs = 2000;

    // The shell's notification-icon call; tests put a refusing shell in its place.
    using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* record)>;

    explicit CTrayIcon(ShellNotify shell = Shell_NotifyIconW, UINT retryMs = kRetryMs);
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds the icon with the tip "Tessaly".
    void Add(HWND window, HICON icon);
    // Adds it again as it was last shown, icon and tip, after Explorer re-created the taskbar.
    void AddAgain();
    void RetryAdd();
    // The tip tells of the last keyword alert, "关键词提醒：" and its title, until it is given an empty
    // title (the user has seen the main window); then it is the quiet tip or the program's name again.
    void ShowAlertTip(const std::wstring& title);
    // The icon and, in place of the program's name, the tip while the pop-up keeps quiet; an empty tip
    // when it does not. The last alert's tip comes first: it tells of one headline the user has not seen.
    void ShowQuiet(HICON icon, const std::wstring& quietTip);
    // Replaces the balloon on show, if any; the tip and the icon stay. Waits while the icon is missing.
    void ShowBalloon(const Balloon& balloon);
    void Remove();

    bool IsShown() const { return added_; }

    // The menu of the tray icon at a screen point; the chosen item reaches window as a command. quietState
    // is the line of the user's "免打扰" and its end, empty while the user chose none: with it come that
    // line and "结束免打扰".
    static void ShowMenu(HWND window, POINT at, const std::wstring& quietState);

private:
    NOTIFYICONDATAW Record(UINT flags) const;
    bool TryAdd();
    void OnAdded();
    void ModifyTip();

    ShellNotify shell_;
    UINT retryMs_;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    bool added_ = false;
    std::optional<Balloon> waitingBalloon_;
    std::wstring alertTip_;
    std::wstring quietTip_;
};
