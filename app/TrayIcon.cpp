#include "app/TrayIcon.h"

#include <cwchar>

#include "res/resource.h"

namespace {

// The version-2 layout of the record, the one that ends with the balloon fields. Its size depends on
// the build: the 64-bit record is larger than the 32-bit one, and a size the shell does not know gets
// no icon and no balloons.
constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;

template <std::size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text) {
    std::wcsncpy(field, text.c_str(), N - 1);
    field[N - 1] = L'\0';
}

}  // namespace

CTrayIcon::CTrayIcon() : data_{} {}

void CTrayIcon::Add(HWND window, HICON icon) {
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = kRecordSize;
    data_.hWnd = window;
    data_.uID = kIconId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kCallbackMessage;
    data_.hIcon = icon;
    CopyCut(data_.szTip, L"Tessaly");
    Shell_NotifyIconW(NIM_ADD, &data_);
    added_ = true;
}

void CTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, UINT timeoutMs) {
    if (!added_) return;
    CopyCut(data_.szInfoTitle, title);
    CopyCut(data_.szInfo, text);
    data_.uTimeout = timeoutMs;
    // Silent and real-time: during an outage a balloon comes with every attempt, and neither a sound each
    // time nor a pile of stale balloons in the notification centre helps anyone.
    data_.uFlags = NIF_INFO | NIF_REALTIME;
    data_.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void CTrayIcon::Remove() {
    if (!added_) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    added_ = false;
}

void CTrayIcon::ShowMenu(HWND window, POINT at) {
    // Foreground first, so the menu closes when the user clicks elsewhere.
    SetForegroundWindow(window);
    HINSTANCE module = GetModuleHandleW(nullptr);
    HBITMAP settingsPicture = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_TRAY_SETTINGS));
    HBITMAP exitPicture = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_TRAY_EXIT));
    if (HMENU menu = CreatePopupMenu()) {
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_SETTINGS, reinterpret_cast<LPCWSTR>(settingsPicture));
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_EXIT, reinterpret_cast<LPCWSTR>(exitPicture));
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, window, nullptr);
        // Lets the menu close properly when the next click goes elsewhere.
        PostMessageW(window, WM_NULL, 0, 0);
        DestroyMenu(menu);
    }
    if (settingsPicture) DeleteObject(settingsPicture);
    if (exitPicture) DeleteObject(exitPicture);
}
