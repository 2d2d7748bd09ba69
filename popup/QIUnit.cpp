#include "popup/QIUnit.h"

#include "controls/PictureFile.h"
#include "framework/StaticBitmap.h"
#include "newslist/ServerLink.h"
#include "popup/PopupRules.h"
#include "res/resource.h"

namespace {

constexpr const wchar_t* kBackgroundPicture = L".\\skin\\quickinfobkg.jpg";
// Where the title control in use stands, in pixels: beside the logo, two lines high, and clear of the
// pop-up's right border (its client area is 274 pixels wide), so no glyph of a wrapped line is cut.
constexpr RECT kTitlePlace{112, 10, 112 + 156, 10 + 30};

}  // namespace

CQIUnit::CQIUnit() : Dialog(IDD_POPUP_ENTRY), whiteBrush_(CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF))) {}

CQIUnit::~CQIUnit() = default;

int CQIUnit::CreateForItem(const NewsItem& item, HWND parent) {
    if (!Create(parent)) return 0;
    ShowLogo(popup::EntryBitmap(item.category));
    ShowTitle(item);
    SetDlgItemTextW(hwnd_, IDC_ENTRY_TIME, popup::EntryTimeText(item.publishTime).c_str());
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return 1;
}

void CQIUnit::ShowLogo(int bitmap) {
    HWND image = GetDlgItem(hwnd_, IDC_ENTRY_LOGO);
    const LONG style = GetWindowLongW(image, GWL_STYLE);
    SetWindowLongW(image, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_BITMAP | SS_CENTERIMAGE);
    fw::SetStaticBitmap(image, static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap),
                                                               IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

void CQIUnit::ShowTitle(const NewsItem& item) {
    HWND title;
    if (!item.link.empty()) {
        title = GetDlgItem(hwnd_, IDC_ENTRY_TITLE_LINK);
        SetWindowTextW(title, popup::EntryLinkText(item.title).c_str());
        link_ = item.link;
    } else {
        // Shortened like a link's title and wrapped over the same two lines, shown as written: no '&'
        // turns into an underline.
        title = GetDlgItem(hwnd_, IDC_ENTRY_TITLE_TEXT);
        const LONG style = GetWindowLongW(title, GWL_STYLE);
        SetWindowLongW(title, GWL_STYLE, (style & ~SS_ELLIPSISMASK) | SS_NOPREFIX | SS_EDITCONTROL);
        SetWindowTextW(title, popup::EntryLabelText(item.title).c_str());
    }
    MoveWindow(title, kTitlePlace.left, kTitlePlace.top, kTitlePlace.right - kTitlePlace.left,
               kTitlePlace.bottom - kTitlePlace.top, FALSE);
    ShowWindow(title, SW_SHOWNA);
}

bool CQIUnit::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CQIUnit> table[] = {
        fw::OnNotify(IDC_ENTRY_TITLE_LINK, NM_CLICK, &CQIUnit::OnLinkClick),
        fw::OnMessage(WM_CTLCOLORSTATIC, &CQIUnit::OnCtlColorStatic),
        fw::OnMessage(WM_ERASEBKGND, &CQIUnit::OnEraseBackground),
        // Enter or Esc reaching an entry must not close it: it is part of the pop-up, which keeps it listed.
        fw::OnCommand(IDOK, &CQIUnit::OnIgnoredCommand),
        fw::OnCommand(IDCANCEL, &CQIUnit::OnIgnoredCommand),
    };
    return fw::Dispatch(*this, table, message) || Dialog::HandleMessage(message);
}

LRESULT CQIUnit::OnLinkClick(NMHDR&) {
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
    DrawPictureFile(buffer, kBackgroundPicture, client);
    buffer.CopyTo(dc, 0, 0);
    return TRUE;
}
