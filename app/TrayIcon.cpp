#include "app/TrayIcon.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "res/resource.h"

namespace {

// The version-2 layout of the record, the one that ends with the balloon fields. Its size depends on
// the build: the 64-bit record is larger than the 32-bit one, and a size the shell does not know gets
// no icon and no balloons.
constexpr DWORD kRecordSize = NOTIFYICONDATAW_V2_SIZE;

constexpr const wchar_t* kProgramTip = L"Tessaly";

// The text as far as it fits, never ending in half of a surrogate pair.
template <std::size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text) {
    std::size_t kept = std::min(text.size(), N - 1);
    if (kept < text.size() && kept > 0 && text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) --kept;
    std::wmemcpy(field, text.data(), kept);
    field[kept] = L'\0';
}

}  // namespace

CTrayIcon::CTrayIcon(ShellNotify shell, UINT retryMs) : shell_(std::move(shell)), retryMs_(retryMs) {}

NOTIFYICONDATAW CTrayIcon::Record(UINT flags) const {
    NOTIFYICONDATAW record{};
    record.cbSize = kRecordSize;
    record.hWnd = window_;
    record.uID = kIconId;
    record.uFlags = flags;
    record.uCallbackMessage = kCallbackMessage;
    record.hIcon = icon_;
    CopyCut(record.szTip, tip_.empty() ? kProgramTip : tip_);
    return record;
}

void CTrayIcon::Add(HWND window, HICON icon) {
    window_ = window;
    icon_ = icon;
    if (TryAdd())
        OnAdded();
    else
        SetTimer(window_, kRetryTimer, retryMs_, nullptr);
}

void CTrayIcon::RetryAdd() {
    if (window_ && TryAdd()) OnAdded();
}

bool CTrayIcon::TryAdd() {
    NOTIFYICONDATAW record = Record(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    // An add is refused too when the icon is there already: after a "TaskbarCreated" that did not lose it,
    // or when the shell timed out on an add it then carried out. Only an existing icon can be modified.
    added_ = shell_(NIM_ADD, &record) || shell_(NIM_MODIFY, &record);
    return added_;
}

void CTrayIcon::OnAdded() {
    KillTimer(window_, kRetryTimer);
    if (auto balloon = std::exchange(waitingBalloon_, std::nullopt)) ShowBalloon(*balloon);
}

void CTrayIcon::ShowAlertTip(const std::wstring& title) {
    std::wstring tip = title.empty() ? std::wstring() : L"关键词提醒：" + title;
    std::replace_if(tip.begin(), tip.end(), [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t'; }, L' ');
    if (tip == tip_) return;
    tip_ = std::move(tip);
    if (!added_) return;  // the add that is still to come carries it
    NOTIFYICONDATAW record = Record(NIF_TIP);
    shell_(NIM_MODIFY, &record);
}

void CTrayIcon::ShowBalloon(const Balloon& balloon) {
    if (!added_) {
        waitingBalloon_ = balloon;
        return;
    }
    NOTIFYICONDATAW record = Record(NIF_INFO | NIF_REALTIME);
    CopyCut(record.szInfoTitle, balloon.title);
    CopyCut(record.szInfo, balloon.text);
    record.uTimeout = balloon.timeoutMs;
    // Silent and real-time: during an outage a balloon comes with every attempt, and neither a sound each
    // time nor a pile of stale balloons in the notification centre helps anyone.
    record.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    shell_(NIM_MODIFY, &record);
}

void CTrayIcon::Remove() {
    if (!window_) return;
    KillTimer(window_, kRetryTimer);
    waitingBalloon_.reset();
    if (added_) {
        NOTIFYICONDATAW record = Record(0);
        shell_(NIM_DELETE, &record);
        added_ = false;
    }
    window_ = nullptr;
}

void CTrayIcon::ShowMenu(HWND window, POINT at) {
    // Foreground first, so the menu closes when the user clicks elsewhere.
    SetForegroundWindow(window);
    HINSTANCE module = GetModuleHandleW(nullptr);
    HBITMAP settingsPicture = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_TRAY_SETTINGS));
    HBITMAP alertsPicture = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_TRAY_ALERTS));
    HBITMAP exitPicture = LoadBitmapW(module, MAKEINTRESOURCEW(IDB_TRAY_EXIT));
    if (HMENU menu = CreatePopupMenu()) {
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_SETTINGS, reinterpret_cast<LPCWSTR>(settingsPicture));
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_ALERTS, reinterpret_cast<LPCWSTR>(alertsPicture));
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_EXIT, reinterpret_cast<LPCWSTR>(exitPicture));
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, window, nullptr);
        // Lets the menu close properly when the next click goes elsewhere.
        PostMessageW(window, WM_NULL, 0, 0);
        DestroyMenu(menu);
    }
    if (settingsPicture) DeleteObject(settingsPicture);
    if (alertsPicture) DeleteObject(alertsPicture);
    if (exitPicture) DeleteObject(exitPicture);
}
