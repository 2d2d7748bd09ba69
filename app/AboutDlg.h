#pragma once
// The About box: the program's icon, version and the vendor's home page as a link.
#include "framework/Dialog.h"

class CAboutDlg : public fw::Dialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;
    bool HandleMessage(fw::Message& message) override;

protected:
    bool OnInitDialog() override;

private:
    LRESULT OnHomePageLink(NMHDR&);
    fw::Result OnDpiChanged(WPARAM, LPARAM);
    void PutIcon(UINT dpi);

    HICON m_icon = nullptr;  // at the dialog's DPI
};
