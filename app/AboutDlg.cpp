#include "app/AboutDlg.h"

#include "framework/Dpi.h"
#include "newslist/ServerLink.h"
#include "res/resource.h"
#include "settings/SettingKeys.h"

CAboutDlg::CAboutDlg() : fw::Dialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() {
    Destroy();
    if (m_icon) DestroyIcon(m_icon);
}

bool CAboutDlg::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CAboutDlg> table[] = {
        fw::OnNotify(IDC_ABOUT_HOMEPAGE_LINK, NM_CLICK, &CAboutDlg::OnHomePageLink),
        fw::OnNotify(IDC_ABOUT_HOMEPAGE_LINK, NM_RETURN, &CAboutDlg::OnHomePageLink),
        fw::OnMessage(WM_DPICHANGED, &CAboutDlg::OnDpiChanged),
    };
    return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
}

bool CAboutDlg::OnInitDialog() {
    // The link shows the home page of the web host Setting.ini names, which may not be the built-in one.
    const std::wstring url = settings::HomePageUrl();
    SetDlgItemTextW(hwnd_, IDC_ABOUT_HOMEPAGE_LINK, (L"<a>" + url + L"</a>").c_str());
    PutIcon(fw::WindowDpi(hwnd_));
    return true;
}

// The template's icon comes at the system's size; the dialog may stand on a monitor of another DPI.
void CAboutDlg::PutIcon(UINT dpi) {
    const HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CORVANE), IMAGE_ICON,
                                                     fw::SystemMetricForDpi(SM_CXICON, dpi),
                                                     fw::SystemMetricForDpi(SM_CYICON, dpi), 0));
    if (!icon) return;
    SendDlgItemMessageW(hwnd_, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    if (m_icon) DestroyIcon(m_icon);
    m_icon = icon;
}

// The dialog manager scales the template's controls and font once the message goes on to it; the icon is ours.
fw::Result CAboutDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    PutIcon(fw::TakeSuggestedDpiChange(hwnd_, wParam, lParam));
    return fw::Declined;
}

LRESULT CAboutDlg::OnHomePageLink(NMHDR&) {
    newslist::OpenServerLink(settings::HomePageUrl());
    return 0;
}
