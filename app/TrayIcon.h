#pragma once
// The main window's icon in the notification area: added when the window opens, removed when it
// closes, added again when the taskbar is re-created; the supervisor's balloons; the tray menu.
#include <windows.h>
#include <shellapi.h>

#include <string>

class CTrayIcon {
public:
    // The callback message the shell sends the window for mouse activity over the icon.
    static constexpr UINT kCallbackMessage = WM_USER + 0x15;
    static constexpr UINT kIconId = 128;

    CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds the icon with the tip "Tessaly"; again after Explorer re-created the taskbar.
    void Add(HWND window, HICON icon);
    // Replaces the balloon on show, if any; the tip and the icon stay.
    void ShowBalloon(const std::wstring& title, const std::wstring& text, UINT timeoutMs);
    void Remove();

    // The menu of the tray icon at a screen point; the chosen item reaches window as a command.
    static void ShowMenu(HWND window, POINT at);

private:
    NOTIFYICONDATAW data_;
    bool added_ = false;
};
