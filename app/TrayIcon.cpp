#include "app/TrayIcon.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "controls/SkinScale.h"
#include "framework/Dpi.h"
#include "framework/StaticBitmap.h"
#include "framework/platform/Text.h"
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
    const std::size_t kept = platform::UnitsWithinLimit(text, N - 1);
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
    CopyCut(record.szTip, !alertTip_.empty() ? alertTip_ : !quietTip_.empty() ? quietTip_ : kProgramTip);
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

void CTrayIcon::AddAgain() {
    if (window_) Add(window_, icon_);
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
    if (tip == alertTip_) return;
    alertTip_ = std::move(tip);
    ModifyTip();
}

void CTrayIcon::ShowQuiet(HICON icon, const std::wstring& quietTip) {
    if (icon != icon_) {
        icon_ = icon;
        if (added_) {
            NOTIFYICONDATAW record = Record(NIF_ICON);
            shell_(NIM_MODIFY, &record);
        }
    }
    if (quietTip == quietTip_) return;
    quietTip_ = quietTip;
    ModifyTip();
}

void CTrayIcon::ModifyTip() {
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

namespace {

// The menu's pictures at the DPI of the monitor it opens on, loaded for one showing and freed with it.
class MenuPicture {
public:
    MenuPicture(int id, UINT dpi) : bitmap_(fw::LoadBitmapResourceForDpi(id, dpi)) {}
    // A line of text made a picture like the others: their height, words and colours, greyed.
    MenuPicture(const std::wstring& text, UINT dpi);
    MenuPicture(const MenuPicture&) = delete;
    MenuPicture& operator=(const MenuPicture&) = delete;
    ~MenuPicture() {
        if (bitmap_) DeleteObject(bitmap_);
    }
    LPCWSTR Item() const { return reinterpret_cast<LPCWSTR>(bitmap_); }

private:
    HBITMAP bitmap_ = nullptr;
};

MenuPicture::MenuPicture(const std::wstring& text, UINT dpi) {
    if (text.empty()) return;
    const int at = static_cast<int>(dpi);
    const int height = ScaleForDpi(19, at), textLeft = ScaleForDpi(24, at), rightMargin = ScaleForDpi(10, at),
              baseline = ScaleForDpi(14, at);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HFONT font = CreateFontW(-ScaleForDpi(12, at), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Microsoft YaHei");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const RECT whole{0, 0, textLeft + extent.cx + rightMargin, height};
    bitmap_ = CreateCompatibleBitmap(screen, whole.right, whole.bottom);
    if (bitmap_) {
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap_);
        FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0x7A, 0x84, 0x91));
        SetTextAlign(dc, TA_BASELINE | TA_LEFT);
        TextOutW(dc, textLeft, baseline, text.c_str(), static_cast<int>(text.size()));
        SelectObject(dc, oldBitmap);
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

}  // namespace

void CTrayIcon::ShowMenu(HWND window, POINT at, const std::wstring& quietState) {
    // Foreground first, so the menu closes when the user clicks elsewhere.
    SetForegroundWindow(window);
    const UINT dpi = fw::DpiAtPoint(at);
    const MenuPicture settings(IDB_TRAY_SETTINGS, dpi), alerts(IDB_TRAY_ALERTS, dpi), exit(IDB_TRAY_EXIT, dpi);
    const MenuPicture quiet(IDB_TRAY_QUIET, dpi), oneHour(IDB_TRAY_QUIET_ONE_HOUR, dpi),
        twoHours(IDB_TRAY_QUIET_TWO_HOURS, dpi), morning(IDB_TRAY_QUIET_MORNING, dpi),
        manual(IDB_TRAY_QUIET_MANUAL, dpi), quietEnd(IDB_TRAY_QUIET_END, dpi);
    const MenuPicture state(quietState, dpi);
    HMENU menu = CreatePopupMenu();
    HMENU offers = CreatePopupMenu();
    if (menu && offers) {
        AppendMenuW(offers, MF_BITMAP, IDM_TRAY_QUIET_ONE_HOUR, oneHour.Item());
        AppendMenuW(offers, MF_BITMAP, IDM_TRAY_QUIET_TWO_HOURS, twoHours.Item());
        AppendMenuW(offers, MF_BITMAP, IDM_TRAY_QUIET_MORNING, morning.Item());
        AppendMenuW(offers, MF_BITMAP, IDM_TRAY_QUIET_MANUAL, manual.Item());
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_SETTINGS, settings.Item());
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_ALERTS, alerts.Item());
        AppendMenuW(menu, MF_BITMAP | MF_POPUP, reinterpret_cast<UINT_PTR>(offers), quiet.Item());
        offers = nullptr;  // the menu owns it now
        if (!quietState.empty()) {
            // Disabled but not greyed: the platform's grey would emboss the picture, which is grey itself.
            AppendMenuW(menu, MF_BITMAP | MF_DISABLED, IDM_TRAY_QUIET_STATE, state.Item());
            AppendMenuW(menu, MF_BITMAP, IDM_TRAY_QUIET_END, quietEnd.Item());
        }
        AppendMenuW(menu, MF_BITMAP, IDM_TRAY_EXIT, exit.Item());
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, window, nullptr);
        // Lets the menu close properly when the next click goes elsewhere.
        PostMessageW(window, WM_NULL, 0, 0);
    }
    if (offers) DestroyMenu(offers);
    if (menu) DestroyMenu(menu);
}
