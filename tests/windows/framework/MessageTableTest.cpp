// A dialog's table answers each message with the right handler: by message, by control id and command,
// by control id and notification code, by timer id; a derived table overrides and chains to its base's,
// a declined message goes on, and results come back the way the dialog manager expects them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "tests/windows/framework/TestDialogs.h"

namespace {

constexpr UINT kOverridden = WM_APP + 1;
constexpr UINT kDeclinedByDerived = WM_APP + 2;
constexpr UINT kUndeclared = WM_APP + 3;

class BaseDlg : public fw::Dialog {
public:
    BaseDlg() : Dialog(IDD_TEST_PLAIN) {}
    std::vector<std::string> log;

    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<BaseDlg> table[] = {
            fw::OnMessage(kOverridden, &BaseDlg::OnOverridden),
            fw::OnMessage(kDeclinedByDerived, &BaseDlg::OnDeclinedByDerived),
            fw::OnCommand(IDC_TEST_OTHER, &BaseDlg::OnOther),
        };
        return fw::Dispatch(*this, table, message) || Dialog::HandleMessage(message);
    }

private:
    fw::Result OnOverridden(WPARAM, LPARAM) { return Log("base overridden", 11); }
    fw::Result OnDeclinedByDerived(WPARAM, LPARAM) { return Log("base declined-by-derived", 12); }
    void OnOther() { log.push_back("base other"); }

protected:
    fw::Result Log(const char* what, LRESULT result) {
        log.push_back(what);
        return result;
    }
};

class DerivedDlg : public BaseDlg {
public:
    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<DerivedDlg> table[] = {
            fw::OnMessage(kOverridden, &DerivedDlg::OnOverridden),
            fw::OnMessage(kDeclinedByDerived, &DerivedDlg::OnDeclinedByDerived),
            fw::OnCommand(IDC_TEST_BUTTON, BN_DOUBLECLICKED, &DerivedDlg::OnButtonDoubleClick),
            fw::OnCommand(IDC_TEST_BUTTON, &DerivedDlg::OnButton),
            fw::OnNotify(IDC_TEST_LINK, NM_CLICK, &DerivedDlg::OnLinkClick),
            fw::OnTimer(7, &DerivedDlg::OnTimer7),
            fw::OnMessage(WM_NCHITTEST, &DerivedDlg::OnNcHitTest),
            fw::OnMessage(WM_CTLCOLORSTATIC, &DerivedDlg::OnStaticColour),
        };
        return fw::Dispatch(*this, table, message) || BaseDlg::HandleMessage(message);
    }

private:
    fw::Result OnOverridden(WPARAM, LPARAM) { return Log("derived overridden", 21); }
    fw::Result OnDeclinedByDerived(WPARAM, LPARAM) {
        log.push_back("derived looked");
        return fw::Declined;
    }
    void OnButton() { log.push_back("button"); }
    void OnButtonDoubleClick() { log.push_back("button double"); }
    LRESULT OnLinkClick(NMHDR& header) {
        log.push_back("link " + std::to_string(header.idFrom));
        return 5;
    }
    void OnTimer7() { log.push_back("timer 7"); }
    fw::Result OnNcHitTest(WPARAM, LPARAM) { return Log("hit test", HTCAPTION); }
    fw::Result OnStaticColour(WPARAM, LPARAM) {
        return Log("static colour", reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    }
};

enum class Source { None, Button, Notify };

struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
    Source source;
    UINT notifyId;
    UINT notifyCode;
    std::vector<std::string> log;
    LRESULT result;
};

TEST(MessageTable, EachMessageReachesItsHandler) {
    const LRESULT kWhiteBrush = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    const Case cases[] = {
        {"derived entry overrides the base's", kOverridden, 0, Source::None, 0, 0, {"derived overridden"}, 21},
        {"declined message goes on to the base's table", kDeclinedByDerived, 0, Source::None, 0, 0,
         {"derived looked", "base declined-by-derived"}, 12},
        {"undeclared message gets the default", kUndeclared, 0, Source::None, 0, 0, {}, 0},
        {"button click", WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), Source::Button, 0, 0, {"button"}, 0},
        {"menu item with the id", WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, 0), Source::None, 0, 0, {"button"}, 0},
        {"accelerator with the id", WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, 1), Source::None, 0, 0, {"button"}, 0},
        {"double click is no click", WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_DOUBLECLICKED), Source::Button, 0, 0,
         {"button double"}, 0},
        {"other notification of the button", WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_SETFOCUS), Source::Button, 0, 0,
         {}, 0},
        {"command of the base's table", WM_COMMAND, MAKEWPARAM(IDC_TEST_OTHER, BN_CLICKED), Source::None, 0, 0,
         {"base other"}, 0},
        {"notification by id and code", WM_NOTIFY, IDC_TEST_LINK, Source::Notify, IDC_TEST_LINK, NM_CLICK,
         {"link 1007"}, 5},
        {"other code of the same control", WM_NOTIFY, IDC_TEST_LINK, Source::Notify, IDC_TEST_LINK, NM_RETURN, {}, 0},
        {"same code from another control", WM_NOTIFY, IDC_TEST_OTHER, Source::Notify, IDC_TEST_OTHER, NM_CLICK, {}, 0},
        {"declared timer", WM_TIMER, 7, Source::None, 0, 0, {"timer 7"}, 0},
        {"other timer", WM_TIMER, 8, Source::None, 0, 0, {}, 0},
        {"result through the message result slot", WM_NCHITTEST, 0, Source::None, 0, 0, {"hit test"}, HTCAPTION},
        {"colour brush returned directly", WM_CTLCOLORSTATIC, 0, Source::None, 0, 0, {"static colour"}, kWhiteBrush},
    };

    DerivedDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.log.clear();
        NMHDR header{GetDlgItem(dialog.Hwnd(), static_cast<int>(c.notifyId)), c.notifyId, c.notifyCode};
        LPARAM lParam = 0;
        if (c.source == Source::Button) lParam = reinterpret_cast<LPARAM>(GetDlgItem(dialog.Hwnd(), IDC_TEST_BUTTON));
        if (c.source == Source::Notify) lParam = reinterpret_cast<LPARAM>(&header);
        const LRESULT result = SendMessageW(dialog.Hwnd(), c.message, c.wParam, lParam);
        EXPECT_EQ(dialog.log, c.log);
        EXPECT_EQ(result, c.result);
    }
}

}  // namespace
