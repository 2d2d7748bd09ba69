// Template controls bound to member objects by id receive their own messages through their own tables,
// pass the rest to the control's class, and draw and colour themselves from what their dialog reflects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/OwnerDrawButton.h"
#include "framework/StandardControls.h"
#include "tests/windows/framework/CapturedDiagnostics.h"
#include "tests/windows/framework/TestDialogs.h"

namespace {

constexpr UINT kPing = WM_APP + 5;

class RecordingButton : public fw::Control {
public:
    std::vector<std::wstring> texts;

    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<RecordingButton> table[] = {
            fw::OnMessage(kPing, &RecordingButton::OnPing),
            fw::OnMessage(WM_SETTEXT, &RecordingButton::OnSetText),
        };
        return fw::Dispatch(*this, table, message) || Control::HandleMessage(message);
    }

private:
    fw::Result OnPing(WPARAM wParam, LPARAM) { return static_cast<LRESULT>(wParam) + 1; }
    // Sees the new text and lets the button take it as usual.
    fw::Result OnSetText(WPARAM, LPARAM lParam) {
        texts.emplace_back(reinterpret_cast<const wchar_t*>(lParam));
        return fw::Declined;
    }
};

class SwatchButton : public fw::OwnerDrawButton {
public:
    std::vector<UINT> drawnIds;
    HDC lastDc = nullptr;

    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<SwatchButton> table[] = {
            fw::OnMessage(fw::Reflected(WM_CTLCOLORBTN), &SwatchButton::OnColour),
        };
        return fw::Dispatch(*this, table, message) || OwnerDrawButton::HandleMessage(message);
    }

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override {
        drawnIds.push_back(item.CtlID);
        lastDc = item.hDC;
    }

private:
    fw::Result OnColour(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)); }
};

class BindingDlg : public fw::Dialog {
public:
    BindingDlg() : Dialog(IDD_TEST_PLAIN) {}
    RecordingButton button;
    SwatchButton swatch;
    fw::CheckBox check;
    fw::ComboBox combo;
    bool allBound = false;

protected:
    void BindControls() override {
        allBound = Bind(IDC_TEST_BUTTON, button) && Bind(IDC_TEST_OWNERDRAW, swatch) && Bind(IDC_TEST_CHECK, check) &&
                   Bind(IDC_TEST_COMBO, combo);
    }
};

HWND Item(const fw::Dialog& dialog, int id) { return GetDlgItem(dialog.Hwnd(), id); }

TEST(ControlBinding, BoundControlGetsItsOwnMessagesAndTheClassDoesTheRest) {
    BindingDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ASSERT_TRUE(dialog.allBound);
    EXPECT_EQ(dialog.button.Hwnd(), Item(dialog, IDC_TEST_BUTTON));
    EXPECT_EQ(fw::Control::FromHandle(Item(dialog, IDC_TEST_BUTTON)), &dialog.button);
    EXPECT_EQ(fw::Control::FromHandle(Item(dialog, IDC_TEST_OTHER)), nullptr);

    EXPECT_EQ(SendMessageW(dialog.button.Hwnd(), kPing, 41, 0), 42);
    SetWindowTextW(dialog.button.Hwnd(), L"Renamed");
    EXPECT_EQ(dialog.button.texts, std::vector<std::wstring>{L"Renamed"});
    wchar_t text[32] = {};
    GetWindowTextW(dialog.button.Hwnd(), text, 32);
    EXPECT_STREQ(text, L"Renamed");
}

TEST(ControlBinding, BindingEndsWithTheControlWindow) {
    BindingDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND button = dialog.button.Hwnd();
    DestroyWindow(dialog.Hwnd());
    EXPECT_EQ(dialog.button.Hwnd(), nullptr);
    EXPECT_EQ(fw::Control::FromHandle(button), nullptr);
}

TEST(ControlBinding, OwnerDrawAndColoursAreReflectedToTheControlObject) {
    BindingDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND swatch = dialog.swatch.Hwnd();

    DRAWITEMSTRUCT item{ODT_BUTTON, IDC_TEST_OWNERDRAW, 0, ODA_DRAWENTIRE, 0, swatch, nullptr, {}, 0};
    EXPECT_EQ(SendMessageW(dialog.Hwnd(), WM_DRAWITEM, IDC_TEST_OWNERDRAW, reinterpret_cast<LPARAM>(&item)), TRUE);
    EXPECT_EQ(dialog.swatch.drawnIds, std::vector<UINT>{IDC_TEST_OWNERDRAW});

    // The button's own painting reaches DrawItem the same way.
    ShowWindow(dialog.Hwnd(), SW_SHOWNOACTIVATE);
    RedrawWindow(swatch, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(dialog.swatch.drawnIds.size(), 2u);
    EXPECT_NE(dialog.swatch.lastDc, nullptr);

    const auto colour = [&](HWND control) {
        return SendMessageW(dialog.Hwnd(), WM_CTLCOLORBTN, 0, reinterpret_cast<LPARAM>(control));
    };
    EXPECT_EQ(colour(swatch), reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));
    EXPECT_NE(colour(Item(dialog, IDC_TEST_OTHER)), reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)));

    // A control bound to an object without a DrawItem of its own is left to the dialog manager.
    item.hwndItem = dialog.button.Hwnd();
    EXPECT_EQ(SendMessageW(dialog.Hwnd(), WM_DRAWITEM, IDC_TEST_BUTTON, reinterpret_cast<LPARAM>(&item)), FALSE);

    // An owner-drawn menu item carries its menu's handle there, which may have any value, a window's too.
    DRAWITEMSTRUCT menuItem{ODT_MENU, 0, 40001, ODA_DRAWENTIRE, 0, swatch, nullptr, {}, 0};
    EXPECT_EQ(SendMessageW(dialog.Hwnd(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&menuItem)), FALSE);
    EXPECT_EQ(dialog.swatch.drawnIds.size(), 2u);
}

TEST(ControlBinding, ABoundControlCannotBeBoundAgain) {
    BindingDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND button = dialog.button.Hwnd();
    RecordingButton second;
    EXPECT_FALSE(second.Attach(button));
    EXPECT_EQ(fw::Control::FromHandle(button), &dialog.button);
    EXPECT_TRUE(dialog.button.Attach(button));  // binding the same object again changes nothing

    // The first object keeps the control, also after the refused one has let go.
    second.Detach();
    EXPECT_EQ(SendMessageW(button, kPing, 1, 0), 2);
    EXPECT_EQ(fw::Control::FromHandle(button), &dialog.button);
}

TEST(ControlBinding, RefusedBindingNamesTheControl) {
    struct TwiceDlg : BindingDlg {
        RecordingButton intruder;
        bool secondBound = true;
        bool missingBound = true;
        void BindControls() override {
            BindingDlg::BindControls();
            secondBound = Bind(IDC_TEST_BUTTON, intruder);
            missingBound = Bind(4242, intruder);
        }
    };
    const CapturedDiagnostics diagnostics;
    TwiceDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_TRUE(dialog.allBound);
    EXPECT_FALSE(dialog.secondBound);
    EXPECT_FALSE(dialog.missingBound);
    ASSERT_EQ(CapturedDiagnostics::Lines().size(), 2u);
    EXPECT_NE(CapturedDiagnostics::Lines()[0].find(L"1001"), std::wstring::npos);
    EXPECT_NE(CapturedDiagnostics::Lines()[1].find(L"4242"), std::wstring::npos);
    EXPECT_EQ(fw::Control::FromHandle(GetDlgItem(dialog.Hwnd(), IDC_TEST_BUTTON)), &dialog.button);
    dialog.Destroy();
}

TEST(ControlBinding, CheckBoxAndComboBoxMembers) {
    BindingDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    EXPECT_FALSE(dialog.check.IsChecked());
    dialog.check.SetCheckState(BST_CHECKED);
    EXPECT_TRUE(dialog.check.IsChecked());
    EXPECT_EQ(IsDlgButtonChecked(dialog.Hwnd(), IDC_TEST_CHECK), BST_CHECKED);

    for (const wchar_t* text : {L"1.wav", L"2.wav"}) dialog.combo.AddItem(text);
    EXPECT_EQ(dialog.combo.ItemCount(), 2);
    EXPECT_EQ(dialog.combo.Selection(), -1);
    struct Case {
        int select;
        int selected;
    };
    for (const Case c : {Case{1, 1}, Case{0, 0}, Case{2, -1}, Case{1, 1}, Case{-1, -1}}) {
        dialog.combo.Select(c.select);
        EXPECT_EQ(dialog.combo.Selection(), c.selected) << "select " << c.select;
    }
}

}  // namespace
