// The keyword alerts dialog driven by messages, in a scratch folder that holds its Setting.ini and skin.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "alerts/AlertStore.h"
#include "alerts/AlertsDlg.h"
#include "res/resource.h"
#include "settings/SettingDlg.h"
#include "settings/SettingsFile.h"
#include "tests/windows/controls/SkinFixture.h"
#include "tests/windows/settings/MessageBoxAnswerer.h"
#include "tests/windows/support/HandleCounts.h"
#include "tests/windows/support/MessagePump.h"
#include "tests/windows/support/Screenshot.h"
#include "tests/windows/support/TestFolders.h"

namespace {

using alerts::AlertRule;

std::string FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A key of the [Alerts] section as the file holds it; "-" when it is missing.
std::wstring StoredKey(const std::wstring& key) {
    return settings::ReadString(alerts::kAlertsSection, key.c_str(), L"-", 512);
}

std::wstring Text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

const std::vector<AlertRule> kTraderRules = {
    {L"美联储 加息 -传闻", true, true},
    {L"\"非农就业\"", true, true},
    {L"EUR USD", true, true},
    {L"黄金 突破", true, false},
    {L"原油 减产", false, true},
};

class AlertsDialog : public ::testing::Test {
protected:
    void TearDown() override { dialog.Destroy(); }

    void Open() {
        ASSERT_TRUE(dialog.Create(nullptr));
        ShowWindow(dialog.Hwnd(), SW_SHOWNOACTIVATE);
        PumpPending();
    }
    HWND Item(int id) const { return GetDlgItem(dialog.Hwnd(), id); }
    HWND List() const { return Item(IDC_ALERTS_LIST); }
    void Command(int id) {
        SendMessageW(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
        PumpPending();
    }
    void Click(int id) {
        SendMessageW(Item(id), BM_CLICK, 0, 0);
        PumpPending();
    }
    // Enter in the rule box, as the dialog manager hands it on: the dialog has no default button.
    void EnterInRuleBox() {
        SetFocus(Item(IDC_ALERTS_RULE));
        SendMessageW(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        PumpPending();
    }
    void Write(const std::wstring& rule) { SetDlgItemTextW(dialog.Hwnd(), IDC_ALERTS_RULE, rule.c_str()); }
    std::wstring RuleBox() const { return Text(Item(IDC_ALERTS_RULE)); }
    void Select(int row) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        PumpPending();
    }
    // The rows' rule texts, top to bottom.
    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        const int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < count; ++row) {
            wchar_t text[256] = {};
            LVITEMW item{};
            item.iSubItem = 1;
            item.pszText = text;
            item.cchTextMax = 256;
            SendMessageW(List(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
            rows.emplace_back(text);
        }
        return rows;
    }
    // The centre of a row's cell in list coordinates.
    POINT CellCentre(int row, int column) const {
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        SendMessageW(List(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    }
    // A click of the mouse, or a double click, on a row's cell, as the list receives it.
    void ClickCell(int row, int column, bool twice = false) {
        const POINT at = CellCentre(row, column);
        const LPARAM where = MAKELPARAM(at.x, at.y);
        PostMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, where);
        PostMessageW(List(), WM_LBUTTONUP, 0, where);
        if (twice) {
            PostMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, where);
            PostMessageW(List(), WM_LBUTTONUP, 0, where);
        }
        PumpPending();
    }
    void TestHeadline(const std::wstring& headline) {
        SetDlgItemTextW(dialog.Hwnd(), IDC_ALERTS_TEST, headline.c_str());
        PumpPending();
    }
    std::wstring TestResult() const { return Text(Item(IDC_ALERTS_RESULT)); }

    ScratchSkin folder;  // empty skin folder, no Setting.ini, GDI+ started
    CAlertsDlg dialog;
};

TEST_F(AlertsDialog, AddsChangesAndDeletesRulesAndConfirmWritesThem) {
    Open();
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_ALERTS_REPLACE))) << "nothing selected to change";

    Write(L"  美联储 加息 -传闻 ");
    Command(IDC_ALERTS_ADD);
    Write(L"\"非农就业\"");
    EnterInRuleBox();
    Write(L"EUR USD");
    Command(IDC_ALERTS_ADD);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"美联储 加息 -传闻", L"\"非农就业\"", L"EUR USD"}));
    EXPECT_EQ(RuleBox(), L"") << "an added rule leaves the box for the next";

    // 修改: the selected rule takes the box's text.
    Select(1);
    Write(L"\"非农就业\" 美国");
    Command(IDC_ALERTS_REPLACE);
    // A double click on a rule's text fetches it into the box; Enter there changes it.
    ClickCell(2, 1, true);
    EXPECT_EQ(RuleBox(), L"EUR USD");
    Write(L"EUR USD 欧元");
    EnterInRuleBox();
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"美联储 加息 -传闻", L"\"非农就业\" 美国", L"EUR USD 欧元"}));

    Select(0);
    Command(IDC_ALERTS_DELETE);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"\"非农就业\" 美国", L"EUR USD 欧元"}));

    const HWND window = dialog.Hwnd();
    Command(IDC_ALERTS_OK);
    EXPECT_FALSE(IsWindowVisible(window)) << "confirming closes the dialog";
    EXPECT_EQ(alerts::ReadAlertRules(), (std::vector<AlertRule>{{L"\"非农就业\" 美国", true, true},
                                                                {L"EUR USD 欧元", true, true}}));
    EXPECT_EQ(StoredKey(L"Count"), L"2");
}

// A rule written but not added when 确定 is pressed: the user is asked, and adds it, leaves it or goes back.
TEST_F(AlertsDialog, ARuleLeftInTheBoxIsAddedOnConfirmWhenTheUserSaysSo) {
    const struct {
        int answer;
        std::vector<AlertRule> stored;
        bool staysOpen;
    } cases[] = {
        {IDYES, {{L"黄金", true, true}, {L"白银", true, true}}, false},
        {IDNO, {{L"黄金", true, true}}, false},
        {IDCANCEL, {}, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove("Setting.ini");
        Open();
        Write(L"黄金");
        Command(IDC_ALERTS_ADD);
        Write(L"白银");
        MessageBoxAnswerer answerer(c.answer);
        Command(IDC_ALERTS_OK);
        ASSERT_EQ(answerer.Shown().size(), 1u) << c.answer;
        EXPECT_NE(answerer.Shown()[0].text.find(L"白银"), std::wstring::npos) << "names what would be lost";
        EXPECT_EQ(IsWindowVisible(dialog.Hwnd()) != FALSE, c.staysOpen) << c.answer;
        EXPECT_EQ(alerts::ReadAlertRules(), c.stored) << c.answer;
        dialog.Destroy();
    }
}

TEST_F(AlertsDialog, CancellingLeavesTheFileAsItWas) {
    ASSERT_TRUE(alerts::WriteAlertRules(kTraderRules));
    const std::string before = FileBytes("Setting.ini");
    for (const int command : {IDC_ALERTS_CANCEL, IDCANCEL}) {  // 取消, and Esc or the close box
        Open();
        EXPECT_EQ(Rows().size(), kTraderRules.size());
        Write(L"欧洲央行");
        Command(IDC_ALERTS_ADD);
        Select(0);
        Command(IDC_ALERTS_DELETE);
        Select(1);
        Click(IDC_ALERTS_SOUND);
        const HWND window = dialog.Hwnd();
        Command(command);
        EXPECT_FALSE(IsWindowVisible(window)) << command;
        EXPECT_EQ(FileBytes("Setting.ini"), before) << command;
        dialog.Destroy();
    }
}

TEST_F(AlertsDialog, ARuleWithAProblemIsRefusedWithItsMessageAndKeptInTheBox) {
    Open();
    Write(L"黄金");
    Command(IDC_ALERTS_ADD);
    for (const wchar_t* text : {L"", L"   ", L"\"非农就业", L"-传闻 -谣言"}) {
        for (const int button : {IDC_ALERTS_ADD, IDC_ALERTS_REPLACE}) {
            Select(0);
            Write(text);
            MessageBoxAnswerer answerer;
            Command(button);
            if (button == IDC_ALERTS_REPLACE && std::wstring(text).find_first_not_of(L' ') == std::wstring::npos) {
                // 修改 with an empty box fetches the selected rule instead.
                EXPECT_TRUE(answerer.Shown().empty());
                EXPECT_EQ(RuleBox(), L"黄金");
                continue;
            }
            ASSERT_EQ(answerer.Shown().size(), 1u) << button;
            EXPECT_EQ(answerer.Shown()[0].caption, L"关键词提醒");
            EXPECT_EQ(answerer.Shown()[0].text, alerts::RuleProblemText(alerts::CheckRule(text)));
            EXPECT_EQ(answerer.Shown()[0].owner, dialog.Hwnd());
            EXPECT_EQ(RuleBox(), text) << "what the user wrote stays, to be put right";
            EXPECT_EQ(Rows(), std::vector<std::wstring>{L"黄金"});
        }
    }
    Write(L"");
    Command(IDC_ALERTS_OK);
    EXPECT_EQ(alerts::ReadAlertRules(), (std::vector<AlertRule>{{L"黄金", true, true}}));
}

TEST_F(AlertsDialog, AFullListRefusesAnotherRuleWithAClearMessage) {
    std::vector<AlertRule> full;
    for (std::size_t i = 0; i < alerts::kMaxRules; ++i) full.push_back({L"词" + std::to_wstring(i), true, true});
    ASSERT_TRUE(alerts::WriteAlertRules(full));
    Open();
    Write(L"美联储");
    MessageBoxAnswerer answerer;
    Command(IDC_ALERTS_ADD);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_NE(answerer.Shown()[0].text.find(std::to_wstring(alerts::kMaxRules)), std::wstring::npos)
        << "names the limit";
    EXPECT_EQ(Rows().size(), alerts::kMaxRules);
    EXPECT_EQ(RuleBox(), L"美联储");
}

// Each switch flips by the mouse on its cell and by the keyboard (Space on the list for 启用, the boxes
// under the list for both), and 确定 stores them.
TEST_F(AlertsDialog, TheSwitchesFlipByMouseAndKeyboardAndAreStored) {
    ASSERT_TRUE(alerts::WriteAlertRules(std::vector<AlertRule>(4, {L"美联储", true, true})));
    Open();
    ClickCell(0, 2);  // rule 1 off
    ClickCell(1, 3);  // rule 2 silent
    Select(2);
    SetFocus(List());
    SendMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);  // rule 3 off
    SendMessageW(List(), WM_KEYUP, VK_SPACE, 0);
    PumpPending();
    Select(3);
    Click(IDC_ALERTS_ON);     // rule 4 off
    Click(IDC_ALERTS_SOUND);  // and silent
    Click(IDC_ALERTS_ON);     // and on again
    Select(0);
    EXPECT_FALSE(IsDlgButtonChecked(dialog.Hwnd(), IDC_ALERTS_ON)) << "the boxes show the selected rule";
    EXPECT_TRUE(IsDlgButtonChecked(dialog.Hwnd(), IDC_ALERTS_SOUND));

    Command(IDC_ALERTS_OK);
    const struct {
        const wchar_t* on;
        const wchar_t* sound;
    } expected[] = {{L"0", L"1"}, {L"1", L"0"}, {L"0", L"1"}, {L"1", L"0"}};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(StoredKey(L"Rule" + std::to_wstring(k) + L"On"), expected[k - 1].on) << k;
        EXPECT_EQ(StoredKey(L"Rule" + std::to_wstring(k) + L"Sound"), expected[k - 1].sound) << k;
    }
}

// 全屏时也提醒 shows [Alerts] FullScreen, "1" ticked and anything else not, and 确定 writes "1" or "0"; 取消
// writes nothing.
TEST_F(AlertsDialog, TheFullScreenBoxShowsAndStoresItsKey) {
    const struct {
        const wchar_t* stored;  // nullptr: no key
        bool shown;
    } cases[] = {{nullptr, false}, {L"1", true}, {L"0", false}, {L"yes", false}};
    for (const auto& c : cases) {
        if (c.stored)
            ASSERT_TRUE(settings::WriteString(alerts::kAlertsSection, L"FullScreen", c.stored));
        else
            ASSERT_TRUE(settings::DeleteKey(alerts::kAlertsSection, L"FullScreen"));
        Open();
        EXPECT_EQ(IsDlgButtonChecked(dialog.Hwnd(), IDC_ALERTS_FULL_SCREEN) == BST_CHECKED, c.shown) << c.stored;
        Click(IDC_ALERTS_FULL_SCREEN);
        Command(IDC_ALERTS_CANCEL);
        EXPECT_EQ(StoredKey(L"FullScreen"), c.stored ? c.stored : L"-") << "取消 writes nothing";
        dialog.Destroy();

        Open();
        Click(IDC_ALERTS_FULL_SCREEN);
        Command(IDC_ALERTS_OK);
        EXPECT_EQ(StoredKey(L"FullScreen"), c.shown ? L"0" : L"1") << c.stored;
        dialog.Destroy();
    }
}

// 弹出位置 shows [Properties] PopupMonitor ("0", "1", "2"; anything else the primary); 确定 writes the choice
// as its number, 取消 writes nothing.
TEST_F(AlertsDialog, ThePopupMonitorDropDownShowsAndStoresItsKey) {
    const auto stored = [] { return settings::ReadString(settings::kProperties, L"PopupMonitor", L"-", 16); };
    const struct {
        const wchar_t* stored;  // nullptr: no key
        int shown;
        int chosen;
        const wchar_t* written;
    } cases[] = {{nullptr, 0, 2, L"2"}, {L"1", 1, 0, L"0"}, {L"2", 2, 1, L"1"}, {L"3", 0, 1, L"1"}, {L"x", 0, 0, L"0"}};
    for (const auto& c : cases) {
        if (c.stored)
            ASSERT_TRUE(settings::WriteString(settings::kProperties, L"PopupMonitor", c.stored));
        else
            ASSERT_TRUE(settings::DeleteKey(settings::kProperties, L"PopupMonitor"));
        Open();
        HWND box = Item(IDC_ALERTS_POPUP_MONITOR);
        ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), c.shown) << c.stored;
        SendMessageW(box, CB_SETCURSEL, c.chosen, 0);
        Command(IDC_ALERTS_CANCEL);
        EXPECT_EQ(stored(), c.stored ? c.stored : L"-") << "取消 writes nothing";
        dialog.Destroy();

        Open();
        SendMessageW(Item(IDC_ALERTS_POPUP_MONITOR), CB_SETCURSEL, c.chosen, 0);
        Command(IDC_ALERTS_OK);
        EXPECT_EQ(stored(), c.written) << c.stored;
        dialog.Destroy();
    }
    Open();
    wchar_t label[64]{};
    for (const auto& [index, text] : {std::pair{0, L"主显示器"}, {1, L"鼠标所在显示器"}, {2, L"主窗口所在显示器"}}) {
        SendMessageW(Item(IDC_ALERTS_POPUP_MONITOR), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(label));
        EXPECT_STREQ(label, text);
    }
}

// The test box matches the rules as they stand in the dialog, not yet saved, on the headline's visible text.
TEST_F(AlertsDialog, TheTestBoxShowsWhichRuleMatchesTheRulesAsEdited) {
    ASSERT_TRUE(alerts::WriteAlertRules(kTraderRules));
    Open();
    TestHeadline(L"<b>美联储</b>宣布加息 25 个基点");
    EXPECT_EQ(TestResult(), L"匹配规则 1：美联储 加息 -传闻 —— 命中：美联储、加息");
    Select(0);
    Click(IDC_ALERTS_ON);
    EXPECT_EQ(TestResult(), L"没有规则匹配（规则 1 会匹配，但它已停用）");
    Write(L"加息");
    Command(IDC_ALERTS_ADD);
    EXPECT_EQ(TestResult(), L"匹配规则 6：加息 —— 命中：加息");
    TestHeadline(L"美国 10 月非农就业人数增加 26.1 万");
    EXPECT_EQ(TestResult(), L"匹配规则 2：\"非农就业\" —— 命中：非农就业");
    TestHeadline(L"欧元兑美元小幅走高");
    EXPECT_EQ(TestResult(), L"没有规则匹配");
    EXPECT_EQ(StoredKey(L"Count"), L"5") << "nothing written before 确定";
}

TEST_F(AlertsDialog, AFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    ASSERT_TRUE(alerts::WriteAlertRules(kTraderRules));
    const std::string before = FileBytes("Setting.ini");
    Open();
    Write(L"欧洲央行 降息");
    Command(IDC_ALERTS_ADD);
    const HWND window = dialog.Hwnd();
    // Held open without sharing: Wine run as root writes a read-only file anyway, a lock it refuses.
    const HANDLE lock = CreateFileW(L"Setting.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    MessageBoxAnswerer answerer;
    Command(IDC_ALERTS_OK);
    CloseHandle(lock);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].caption, L"提醒规则未保存");
    EXPECT_EQ(answerer.Shown()[0].text.rfind(L"提醒规则未能保存：无法写入文件\n", 0), 0u) << "says what failed";
    EXPECT_NE(answerer.Shown()[0].text.find(L"Setting.ini"), std::wstring::npos) << "and where";
    EXPECT_TRUE(IsWindowVisible(window)) << "the rules stay on show";
    EXPECT_EQ(Rows().size(), kTraderRules.size() + 1);
    EXPECT_EQ(FileBytes("Setting.ini"), before);
}

// Told of another DPI (Wine never says so itself), the dialog stands on the suggested rectangle and sizes the
// rule list's rows and columns again; the row images it replaces go, so DPI changes cost no handles.
TEST_F(AlertsDialog, ADpiChangeMovesItToTheSuggestedPlaceAndKeepsTheListWhole) {
    Open();
    Write(L"非农");
    Command(IDC_ALERTS_ADD);
    PumpPending();
    const HandleCounts before = CurrentHandleCounts();
    for (const UINT dpi : {144u, 192u, 96u}) {
        RECT suggested{20, 10, 20 + MulDiv(460, dpi, 96), 10 + MulDiv(480, dpi, 96)};
        SendMessageW(dialog.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        PumpPending();
        RECT placed;
        GetWindowRect(dialog.Hwnd(), &placed);
        EXPECT_TRUE(EqualRect(&placed, &suggested)) << dpi;
        RECT client;
        GetClientRect(List(), &client);
        int columns = 0;
        for (int column = 0; column < 4; ++column)
            columns += static_cast<int>(SendMessageW(List(), LVM_GETCOLUMNWIDTH, column, 0));
        EXPECT_EQ(columns, client.right) << "the rule's column takes the width the others leave, at " << dpi;
        EXPECT_EQ(Rows(), std::vector<std::wstring>{L"非农"}) << dpi;
    }
    EXPECT_EQ(CurrentHandleCounts(), before);
}

TEST_F(AlertsDialog, ReopeningKeepsHandleCountsFlat) {
    ASSERT_TRUE(alerts::WriteAlertRules(kTraderRules));
    const auto openAndPaint = [this] {
        Open();
        TestHeadline(L"黄金突破 2000 美元");
        RedrawWindow(dialog.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpPending();
        dialog.Destroy();
    };
    openAndPaint();
    const HandleCounts first = CurrentHandleCounts();
    for (int i = 0; i < 10; ++i) openAndPaint();
    EXPECT_EQ(CurrentHandleCounts(), first);
}

int VisibleAlertsDialogs(HWND* found = nullptr) {
    struct Search {
        int count = 0;
        HWND window = nullptr;
    } search;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM state) {
            if (Text(window) == L"关键词提醒" && IsWindowVisible(window)) {
                auto* s = reinterpret_cast<Search*>(state);
                ++s->count;
                s->window = window;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (found) *found = search.window;
    return search.count;
}

// The settings dialog's button opens the keyword dialog over it, modally; a second request meanwhile only
// brings it forward.
TEST(AlertsDialogFromSettings, TheButtonOpensItOverTheSettings) {
    ScratchSkin folder;
    CSettingDlg settingsDialog;
    ASSERT_TRUE(settingsDialog.Create(nullptr));
    ShowWindow(settingsDialog.Hwnd(), SW_SHOWNOACTIVATE);
    PumpPending();
    static HWND settingsWindow;
    static HWND owner;
    static int dialogsSeen;
    static bool settingsDisabled;
    settingsWindow = settingsDialog.Hwnd();
    owner = nullptr;
    dialogsSeen = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND alertsWindow = nullptr;
        if (VisibleAlertsDialogs(&alertsWindow) == 0) return;
        KillTimer(nullptr, id);
        owner = GetWindow(alertsWindow, GW_OWNER);
        settingsDisabled = !IsWindowEnabled(settingsWindow);
        EXPECT_FALSE(OpenAlertsDialog(nullptr)) << "returns at once";
        dialogsSeen = VisibleAlertsDialogs();
        PostMessageW(alertsWindow, WM_CLOSE, 0, 0);
    });
    SendMessageW(GetDlgItem(settingsWindow, IDC_SETTINGS_ALERTS), BM_CLICK, 0, 0);  // runs until closed
    KillTimer(nullptr, timer);
    EXPECT_EQ(dialogsSeen, 1);
    EXPECT_EQ(owner, settingsWindow);
    EXPECT_TRUE(settingsDisabled) << "the settings wait for it";
    EXPECT_TRUE(IsWindowEnabled(settingsWindow));
    EXPECT_EQ(VisibleAlertsDialogs(), 0);
    settingsDialog.Destroy();
}

// The dialog with a trader's rules, the real skin and the test box in use, saved for review.
TEST_F(AlertsDialog, ScreenshotWithRulesAndTheTestBoxInUse) {
    for (const char* band : {"alertstop.jpg", "settingbottom.jpg"})
        std::filesystem::copy_file(SourceFolder() / "skin" / band, std::filesystem::path("skin") / band);
    ASSERT_TRUE(alerts::WriteAlertRules(kTraderRules));
    Open();
    Select(1);
    TestHeadline(L"美联储宣布加息 25 个基点，美元指数走高");
    EXPECT_TRUE(SaveReviewScreenshot(dialog.Hwnd(), L"alerts-dialog.png"));
}

}  // namespace

int main(int argc, char** argv) {
    // As the program does: the list view's class.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    SourceFolder();
    BuildFolder();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
