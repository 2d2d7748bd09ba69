#include "popup/QIUnit.h"

#include <iterator>
#include <utility>

#include "controls/SkinScale.h"
#include "framework/Dpi.h"
#include "framework/GdiplusHeaders.h"
#include "framework/StaticBitmap.h"
#include "newslist/ServerLink.h"
#include "popup/PopupRules.h"
#include "res/resource.h"

namespace {

// Where the title control in use stands, in pixels at 96 DPI: beside the logo, two lines high, and clear of the
// pop-up's right border (its client area is 274 pixels wide), so no glyph of a wrapped line is cut.
constexpr RECT kTitlePlace{112, 10, 112 + 156, 10 + 30};
constexpr std::size_t kTitleLines = 2;

// An alert's highlight: an amber band at the left edge over a light warm tint, through which the skin's
// background still shows.
constexpr int kBandWidth = 4;
const Gdiplus::Color kBandColour(255, 0xF0, 0x9A, 0x00);
const Gdiplus::Color kTintColour(56, 0xFF, 0xB3, 0x20);
// An alert's title link: the link control's default colour on Windows, dark enough on the tint.
constexpr COLORREF kAlertLinkColour = RGB(0x00, 0x66, 0xCC);

}  // namespace

CQIUnit::CQIUnit(const CSkinImage* background)
    : Dialog(IDD_POPUP_ENTRY), background_(background), whiteBrush_(CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF))) {}

CQIUnit::~CQIUnit() = default;

// The template is laid out at the DPI the window is made at; the entry scales itself from there.
bool CQIUnit::CreateAtDpi(HWND parent) {
    if (!Create(parent)) return false;
    fw::KeepDialogLayoutOnDpiChange(hwnd_);
    dpi_ = fw::WindowDpi(hwnd_);
    return true;
}

RECT CQIUnit::TitlePlace() const {
    const int dpi = static_cast<int>(dpi_);
    return {ScaleForDpi(kTitlePlace.left, dpi), ScaleForDpi(kTitlePlace.top, dpi), ScaleForDpi(kTitlePlace.right, dpi),
            ScaleForDpi(kTitlePlace.bottom, dpi)};
}

void CQIUnit::PlaceTitle(HWND title) {
    shownTitle_ = title;
    const RECT place = TitlePlace();
    MoveWindow(title, place.left, place.top, place.right - place.left, place.bottom - place.top, FALSE);
}

void CQIUnit::SetDpi(UINT dpi) {
    if (!hwnd_ || dpi == dpi_ || dpi == 0) return;
    const auto scale = [&](LONG length) { return MulDiv(length, static_cast<int>(dpi), static_cast<int>(dpi_)); };
    RECT own{};
    GetWindowRect(hwnd_, &own);
    SetWindowPos(hwnd_, nullptr, 0, 0, scale(own.right - own.left), scale(own.bottom - own.top),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LOGFONTW face{};
    GetObjectW(EntryFont(), sizeof face, &face);
    face.lfHeight = scale(face.lfHeight);
    face.lfWidth = scale(face.lfWidth);
    fw::GdiObject<HFONT> font(CreateFontIndirectW(&face));
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&place), 2);
        MoveWindow(child, scale(place.left), scale(place.top), scale(place.right - place.left),
                   scale(place.bottom - place.top), FALSE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    }
    scaledFont_ = std::move(font);  // the previous one is no longer in use
    dpi_ = dpi;
    if (shownTitle_) PlaceTitle(shownTitle_);
    if (logo_) ShowLogo(logo_);
    if (alert_) LayOutAlertTitle();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int CQIUnit::CreateForItem(const NewsItem& item, HWND parent, const alerts::AlertMatch* alert) {
    if (!CreateAtDpi(parent)) return 0;
    ShowLogo(popup::EntryBitmap(item.category));
    link_ = item.link;
    if (alert)
        ShowAlertTitle(*alert);
    else
        ShowTitle(item);
    SetDlgItemTextW(hwnd_, IDC_ENTRY_TIME, popup::EntryTimeText(item.publishTime).c_str());
    // The time control would paint its white background over the tint: the alert's entry draws the time too.
    if (alert_) ShowWindow(GetDlgItem(hwnd_, IDC_ENTRY_TIME), SW_HIDE);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return 1;
}

int CQIUnit::CreateForSummary(const std::wstring& text, std::int64_t time, HWND parent, HWND mainWindow) {
    if (!CreateAtDpi(parent)) return 0;
    summary_ = true;
    mainWindow_ = mainWindow;
    ShowLogo(IDB_LOGO_OTHER);
    // Its text is never cut: it is ours, and short. The link stands for the entry's click, which goes to
    // the main window rather than a server's link.
    HWND title = GetDlgItem(hwnd_, IDC_ENTRY_TITLE_LINK);
    SetWindowTextW(title, (L"<a>" + text + L"</a>").c_str());
    PlaceTitle(title);
    ShowWindow(title, SW_SHOWNA);
    SetDlgItemTextW(hwnd_, IDC_ENTRY_TIME, popup::EntryTimeText(time).c_str());
    return 1;
}

void CQIUnit::ShowMainWindow() {
    acknowledged_ = true;
    if (mainWindow_) PostMessageW(mainWindow_, WM_COMMAND, IDM_SHOW_MAIN_WINDOW, 0);
}

void CQIUnit::ShowLogo(int bitmap) {
    logo_ = bitmap;
    HWND image = GetDlgItem(hwnd_, IDC_ENTRY_LOGO);
    const LONG style = GetWindowLongW(image, GWL_STYLE);
    SetWindowLongW(image, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_BITMAP | SS_CENTERIMAGE);
    fw::SetStaticBitmap(image, fw::LoadBitmapResourceForDpi(bitmap, dpi_));
}

void CQIUnit::ShowTitle(const NewsItem& item) {
    HWND title;
    if (!item.link.empty()) {
        title = GetDlgItem(hwnd_, IDC_ENTRY_TITLE_LINK);
        SetWindowTextW(title, popup::EntryLinkText(item.title).c_str());
    } else {
        // Shortened like a link's title and wrapped over the same two lines, shown as written: no '&'
        // turns into an underline.
        title = GetDlgItem(hwnd_, IDC_ENTRY_TITLE_TEXT);
        const LONG style = GetWindowLongW(title, GWL_STYLE);
        SetWindowLongW(title, GWL_STYLE, (style & ~SS_ELLIPSISMASK) | SS_NOPREFIX | SS_EDITCONTROL);
        SetWindowTextW(title, popup::EntryLabelText(item.title).c_str());
    }
    PlaceTitle(title);
    ShowWindow(title, SW_SHOWNA);
}

// The title controls stay hidden: neither can draw bold runs inside a line. The entry draws the title itself,
// in the place, font and colour the controls would use. Its window text is the whole visible text.
void CQIUnit::ShowAlertTitle(const alerts::AlertMatch& alert) {
    alert_ = true;
    alertMatch_ = alert;
    SetWindowTextW(hwnd_, alert.visibleText.c_str());
    LayOutAlertTitle();
}

// The dialog keeps the font it was made with (it deletes it itself); a scaled one is the entry's own.
HFONT CQIUnit::EntryFont() const {
    return scaledFont_ ? scaledFont_.Get() : reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
}

void CQIUnit::LayOutAlertTitle() {
    LOGFONTW face{};
    GetObjectW(EntryFont(), sizeof face, &face);
    face.lfUnderline = link_.empty() ? FALSE : TRUE;
    titleFont_.Reset(CreateFontIndirectW(&face));
    face.lfWeight = FW_BOLD;
    boldFont_.Reset(CreateFontIndirectW(&face));

    const fw::ClientDC dc(hwnd_);
    TEXTMETRICW metrics{};
    {
        const fw::SelectedObject font(dc, titleFont_.Get());
        GetTextMetricsW(dc, &metrics);
    }
    lineHeight_ = metrics.tmHeight;
    const auto measure = [&](std::wstring_view text, bool bold) {
        const fw::SelectedObject font(dc, bold ? boldFont_.Get() : titleFont_.Get());
        SIZE size{};
        GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const RECT place = TitlePlace();
    alertTitle_ = popup::LayOutAlertTitle(alertMatch_.visibleText, alertMatch_.words, place.right - place.left,
                                          kTitleLines, measure);
}

void CQIUnit::DrawAlert(HDC dc, const RECT& client) const {
    {
        Gdiplus::Graphics graphics(dc);
        const Gdiplus::SolidBrush tint(kTintColour), band(kBandColour);
        graphics.FillRectangle(&tint, 0, 0, client.right, client.bottom);
        graphics.FillRectangle(&band, 0, 0, ScaleForDpi(kBandWidth, static_cast<int>(dpi_)), client.bottom);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    HWND time = GetDlgItem(hwnd_, IDC_ENTRY_TIME);
    RECT timePlace{};
    GetWindowRect(time, &timePlace);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&timePlace), 2);
    wchar_t timeText[64]{};
    const int timeLength = GetWindowTextW(time, timeText, static_cast<int>(std::size(timeText)));
    {
        const fw::SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(time, WM_GETFONT, 0, 0)));
        DrawTextW(dc, timeText, timeLength, &timePlace, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
    }

    if (!link_.empty()) SetTextColor(dc, kAlertLinkColour);
    const RECT place = TitlePlace();
    int y = place.top;
    for (const popup::TitleLine& line : alertTitle_) {
        int x = place.left;
        for (const popup::TitleRun& run : line) {
            const fw::SelectedObject font(dc, run.bold ? boldFont_.Get() : titleFont_.Get());
            const int length = static_cast<int>(run.text.size());
            TextOutW(dc, x, y, run.text.c_str(), length);
            SIZE size{};
            GetTextExtentPoint32W(dc, run.text.c_str(), length, &size);
            x += size.cx;
        }
        y += lineHeight_;
    }
}

bool CQIUnit::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CQIUnit> table[] = {
        fw::OnNotify(IDC_ENTRY_TITLE_LINK, NM_CLICK, &CQIUnit::OnLinkClick),
        fw::OnMessage(WM_CTLCOLORSTATIC, &CQIUnit::OnCtlColorStatic),
        fw::OnMessage(WM_ERASEBKGND, &CQIUnit::OnEraseBackground),
        fw::OnMessage(WM_LBUTTONDOWN, &CQIUnit::OnLButtonDown),
        fw::OnMessage(WM_LBUTTONUP, &CQIUnit::OnLButtonUp),
        fw::OnMessage(WM_SETCURSOR, &CQIUnit::OnSetCursor),
        // Enter or Esc reaching an entry must not close it: it is part of the pop-up, which keeps it listed.
        fw::OnCommand(IDOK, &CQIUnit::OnIgnoredCommand),
        fw::OnCommand(IDCANCEL, &CQIUnit::OnIgnoredCommand),
    };
    return fw::Dispatch(*this, table, message) || Dialog::HandleMessage(message);
}

LRESULT CQIUnit::OnLinkClick(NMHDR&) {
    if (summary_)
        ShowMainWindow();
    else
        newslist::OpenServerLink(link_);
    return 0;
}

fw::Result CQIUnit::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
    switch (GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) {
        case IDC_ENTRY_TIME:
        case IDC_ENTRY_TITLE_LINK:
        case IDC_ENTRY_TITLE_TEXT:
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(whiteBrush_.Get());
        default:
            return fw::Declined;
    }
}

fw::Result CQIUnit::OnEraseBackground(WPARAM wParam, LPARAM) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    RECT client;
    GetClientRect(hwnd_, &client);
    const fw::OffscreenDC buffer(dc, client.right, client.bottom);
    // What shows where the picture is missing: the dialog's own background.
    FillRect(buffer, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (background_) background_->StretchCopy(buffer, client);
    if (alert_) DrawAlert(buffer, client);
    buffer.CopyTo(dc, 0, 0);
    return TRUE;
}

fw::Result CQIUnit::OnLButtonDown(WPARAM, LPARAM) {
    pressed_ = alert_ || summary_;
    return fw::Declined;
}

// A click on an alert's entry, anywhere on it, does what a click on its title link would, and tells the
// pop-up the first time, so its stay time can run again.
fw::Result CQIUnit::OnLButtonUp(WPARAM, LPARAM) {
    if (!std::exchange(pressed_, false)) return fw::Declined;
    if (summary_) {
        ShowMainWindow();
        return 0;
    }
    if (!link_.empty()) newslist::OpenServerLink(link_);
    if (!std::exchange(acknowledged_, true))
        SendMessageW(GetParent(hwnd_), kAlertAcknowledged, 0, reinterpret_cast<LPARAM>(hwnd_));
    return 0;
}

fw::Result CQIUnit::OnSetCursor(WPARAM, LPARAM lParam) {
    const bool clickable = (alert_ && !link_.empty()) || summary_;
    if (!clickable || LOWORD(lParam) != HTCLIENT) return fw::Declined;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}
