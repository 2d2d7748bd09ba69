// A dialog's table answers each message with the right handler: by message, by control id and command,
// by control id and notification code, by timer id, by a range of ids and by a number registered at run
// time; a derived table overrides, names inherited handlers and chains to its base's, a declined message
// goes on, and results come back the way the dialog manager expects them.
#include <gtest/gtest.h>

#include <span>
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
    // Named only in a derived class's table.
    fw::Result OnInheritedMessage(WPARAM, LPARAM) { return Log("inherited", 31); }
    void OnInheritedCommand(int id) { log.push_back("inherited command " + std::to_string(id)); }
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

LPARAM SourceOf(const fw::Dialog& dialog, const Case& c, NMHDR& header) {
    header = {GetDlgItem(dialog.Hwnd(), static_cast<int>(c.notifyId)), c.notifyId, c.notifyCode};
    if (c.source == Source::Button)
        return reinterpret_cast<LPARAM>(GetDlgItem(dialog.Hwnd(), static_cast<int>(LOWORD(c.wParam))));
    if (c.source == Source::Notify) return reinterpret_cast<LPARAM>(&header);
    return 0;
}

void ExpectEachCase(BaseDlg& dialog, std::span<const Case> cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.log.clear();
        NMHDR header{};
        const LRESULT result = SendMessageW(dialog.Hwnd(), c.message, c.wParam, SourceOf(dialog, c, header));
        EXPECT_EQ(dialog.log, c.log);
        EXPECT_EQ(result, c.result);
    }
}

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
    ExpectEachCase(dialog, cases);
}

const fw::RegisteredMessage kRegistered(L"Corvane.Test.Registered");
constexpr UINT kInherited = WM_APP + 4;

// The tabs and switches of the real windows: one line for a run of controls, handlers told which control.
class RangeDlg : public BaseDlg {
public:
    bool HandleMessage(fw::Message& message) override {
        static const fw::MessageEntry<RangeDlg> table[] = {
            fw::OnCommandRange(IDC_TEST_BUTTON, IDC_TEST_CHECK, &RangeDlg::OnSwitch),
            fw::OnCommandRange(IDC_TEST_COMBO, IDC_TEST_LABEL, CBN_SELCHANGE, &RangeDlg::OnChange),
            fw::OnCommand(IDC_TEST_OTHER, &RangeDlg::OnInheritedCommand),
            fw::OnNotifyRange(IDC_TEST_OTHER, IDC_TEST_LINK, NM_CLICK, &RangeDlg::OnClick),
            fw::OnMessage(kRegistered, &RangeDlg::OnRegistered),
            fw::OnMessage(kInherited, &RangeDlg::OnInheritedMessage),
        };
        return fw::Dispatch(*this, table, message) || BaseDlg::HandleMessage(message);
    }

private:
    void OnSwitch(int id) { log.push_back("switch " + std::to_string(id)); }
    void OnChange(int id, UINT code) { log.push_back("change " + std::to_string(id) + " " + std::to_string(code)); }
    LRESULT OnClick(NMHDR& header) {
        log.push_back("click " + std::to_string(header.idFrom));
        return 6;
    }
    fw::Result OnRegistered(WPARAM wParam, LPARAM) { return Log("registered", static_cast<LRESULT>(wParam) * 2); }
};

TEST(MessageTable, RangesRegisteredMessagesAndInheritedHandlers) {
    const UINT registered = RegisterWindowMessageW(L"Corvane.Test.Registered");
    ASSERT_NE(registered, 0u);
    const Case cases[] = {
        {"first of a range", WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED), Source::Button, 0, 0,
         {"switch 1001"}, 0},
        {"inside a range", WM_COMMAND, MAKEWPARAM(IDC_TEST_OWNERDRAW, BN_CLICKED), Source::Button, 0, 0,
         {"switch 1002"}, 0},
        {"last of a range, from a menu", WM_COMMAND, MAKEWPARAM(IDC_TEST_CHECK, 0), Source::None, 0, 0,
         {"switch 1003"}, 0},
        {"range with a code: id and code", WM_COMMAND, MAKEWPARAM(IDC_TEST_LABEL, CBN_SELCHANGE), Source::Button, 0,
         0, {"change 1005 1"}, 0},
        {"range with a code: other code", WM_COMMAND, MAKEWPARAM(IDC_TEST_COMBO, CBN_DROPDOWN), Source::Button, 0, 0,
         {}, 0},
        {"inherited command handler", WM_COMMAND, MAKEWPARAM(IDC_TEST_OTHER, BN_CLICKED), Source::Button, 0, 0,
         {"inherited command 1006"}, 0},
        {"notification range", WM_NOTIFY, IDC_TEST_LINK, Source::Notify, IDC_TEST_LINK, NM_CLICK, {"click 1007"}, 6},
        {"notification below the range", WM_NOTIFY, IDC_TEST_LABEL, Source::Notify, IDC_TEST_LABEL, NM_CLICK, {}, 0},
        {"registered message", registered, 21, Source::None, 0, 0, {"registered"}, 42},
        {"inherited message handler", kInherited, 0, Source::None, 0, 0, {"inherited"}, 31},
        {"the base's table still answers", kOverridden, 0, Source::None, 0, 0, {"base overridden"}, 11},
    };
    RangeDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ExpectEachCase(dialog, cases);
}

}  // namespace
