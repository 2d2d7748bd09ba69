#include "app/AboutDlg.h"

#include "newslist/ServerLink.h"
#include "res/resource.h"
#include "settings/SettingKeys.h"

CAboutDlg::CAboutDlg() : fw::Dialog(IDD_ABOUTBOX) {}

bool CAboutDlg::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CAboutDlg> table[] = {
        fw::OnNotify(IDC_ABOUT_HOMEPAGE_LINK, NM_CLICK, &CAboutDlg::OnHomePageLink),
        fw::OnNotify(IDC_ABOUT_HOMEPAGE_LINK, NM_RETURN, &CAboutDlg::OnHomePageLink),
    };
    return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
}

bool CAboutDlg::OnInitDialog() {
    // The link shows the home page of the web host Setting.ini names, which may not be the built-in one.
    const std::wstring url = settings::HomePageUrl();
    SetDlgItemTextW(hwnd_, IDC_ABOUT_HOMEPAGE_LINK, (L"<a>" + url + L"</a>").c_str());
    return true;
}

LRESULT CAboutDlg::OnHomePageLink(NMHDR&) {
    newslist::OpenServerLink(settings::HomePageUrl());
    return 0;
}
