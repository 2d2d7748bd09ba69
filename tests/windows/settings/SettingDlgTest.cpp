// The settings dialog driven by messages, in a scratch folder that holds its Setting.ini and skin.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "MessageBoxAnswerer.h"
#include "StartAtLogonFixture.h"
#include "res/resource.h"
#include "settings/SettingDlg.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "settings/StartWithWindows.h"
#include "tests/windows/controls/SkinFixture.h"
#include "tests/windows/support/HandleCounts.h"
#include "tests/windows/support/MessagePump.h"
#include "tests/windows/support/Screenshot.h"
#include "tests/windows/support/TestFolders.h"

namespace {

constexpr int kSwitches[] = {IDC_SETTINGS_SHOW, IDC_SETTINGS_FOREX_SHOW, IDC_SETTINGS_GOLD_SHOW,
                             IDC_SETTINGS_FUTURES_SHOW, IDC_SETTINGS_STOCKS_SHOW};
constexpr int kLists[] = {IDC_SETTINGS_DELAY,       IDC_SETTINGS_SOUND,         IDC_SETTINGS_FOREX_DELAY,
                          IDC_SETTINGS_GOLD_DELAY,  IDC_SETTINGS_FUTURES_DELAY, IDC_SETTINGS_STOCKS_DELAY};

std::string FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The Properties section as the file holds it, one "key=value" per entry, in file order.
std::vector<std::wstring> PropertiesLines() {
    std::vector<wchar_t> buffer(4096);
    const DWORD length =
        GetPrivateProfileSectionW(L"Properties", buffer.data(), static_cast<DWORD>(buffer.size()), L".\\Setting.ini");
    std::vector<std::wstring> lines;
    for (const wchar_t* line = buffer.data(); line < buffer.data() + length && *line; line += wcslen(line) + 1)
        lines.emplace_back(line);
    return lines;
}

void StoreProperties(const std::vector<std::pair<const wchar_t*, const wchar_t*>>& values) {
    for (const auto& [key, value] : values) settings::WriteString(settings::kProperties, key, value);
}

class SettingDialog : public ::testing::Test {
protected:
    void TearDown() override { dialog.Destroy(); }

    void Open() {
        ASSERT_TRUE(dialog.Create(nullptr));
        ShowWindow(dialog.Hwnd(), SW_SHOWNOACTIVATE);
        PumpPending();
    }
    HWND Item(int id) const { return GetDlgItem(dialog.Hwnd(), id); }
    bool Ticked(int id) const { return IsDlgButtonChecked(dialog.Hwnd(), id) == BST_CHECKED; }
    int Selection(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // A button's command; the close request it may send arrives as a posted message, so those are handled too.
    void Command(int id) {
        SendMessageW(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
        PumpPending();
    }

    ScratchSkin folder;  // empty skin folder, no Setting.ini, GDI+ started
    CSettingDlg dialog;
};

TEST_F(SettingDialog, WithoutSettingsFileOpensClearAndConfirmWritesEveryKey) {
    Open();
    for (int id : kSwitches) EXPECT_FALSE(Ticked(id)) << id;
    for (int id : kLists) {
        EXPECT_EQ(Selection(id), -1) << id;
        EXPECT_FALSE(Enabled(id)) << id;
    }

    const HWND window = dialog.Hwnd();
    MessageBoxAnswerer answerer;
    Command(IDC_SETTINGS_OK);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text, L"设置已生效!");
    EXPECT_EQ(answerer.Shown()[0].caption, L"设置成功");
    EXPECT_EQ(answerer.Shown()[0].owner, window);
    EXPECT_FALSE(IsWindowVisible(window)) << "confirming closes the dialog";

    // Lists with nothing chosen leave their keys as they were (here: absent).
    const std::vector<std::wstring> expected = {L"Show=0", L"Fx168Show=0", L"HexunShow=0", L"HexunQHShow=0",
                                                L"HexunGPShow=0"};
    EXPECT_EQ(PropertiesLines(), expected);
}

TEST_F(SettingDialog, AListWithTypedTextAndNoChoiceKeepsItsKey) {
    StoreProperties({{L"Delay", L"2"}, {L"Sound", L"1"}});
    Open();
    SendMessageW(Item(IDC_SETTINGS_DELAY), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextW(Item(IDC_SETTINGS_DELAY), L"typed");
    MessageBoxAnswerer answerer;
    Command(IDC_SETTINGS_OK);
    const std::vector<std::wstring> lines = PropertiesLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Delay=2"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Sound=1"), lines.end());
}

TEST_F(SettingDialog, AFileThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
    StoreProperties({{L"Show", L"1"}, {L"Delay", L"2"}});
    const std::string before = FileBytes("Setting.ini");
    Open();
    Click(IDC_SETTINGS_SHOW);  // a change the user would lose
    const HWND window = dialog.Hwnd();
    // Held open without sharing: Wine run as root writes a read-only file anyway, a lock it refuses.
    const HANDLE lock = CreateFileW(L"Setting.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    MessageBoxAnswerer answerer;
    Command(IDC_SETTINGS_OK);
    CloseHandle(lock);
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].caption, L"设置未保存");
    EXPECT_EQ(answerer.Shown()[0].text.rfind(L"设置未能保存：无法写入文件\n", 0), 0u) << "says what failed";
    EXPECT_NE(answerer.Shown()[0].text.find(L"Setting.ini"), std::wstring::npos) << "and where";
    EXPECT_EQ(answerer.Shown()[0].owner, window);
    EXPECT_TRUE(IsWindowVisible(window)) << "the choices stay on show";
    EXPECT_EQ(FileBytes("Setting.ini"), before);
}

TEST_F(SettingDialog, OpensWithStoredValues) {
    StoreProperties({{L"Show", L"1"},          {L"Delay", L"3"},        {L"Sound", L"2"},
                     {L"Fx168Delay", L"8"},    {L"Fx168Show", L"1"},    {L"HexunDelay", L"-1"},
                     {L"HexunShow", L"0"},     {L"HexunQHDelay", L"abc"}, {L"HexunQHShow", L"5"},
                     {L"HexunGPDelay", L"None"}, {L"HexunGPShow", L"1"}});
    Open();
    const struct {
        int list;
        int selection;
        int switchId;
        bool ticked;  // the switch, which enables the list
    } rows[] = {
        {IDC_SETTINGS_DELAY, 3, IDC_SETTINGS_SHOW, true},
        {IDC_SETTINGS_SOUND, -1, IDC_SETTINGS_SHOW, true},           // "2": past the two sounds
        {IDC_SETTINGS_FOREX_DELAY, 8, IDC_SETTINGS_FOREX_SHOW, true},  // the last of nine
        {IDC_SETTINGS_GOLD_DELAY, -1, IDC_SETTINGS_GOLD_SHOW, false},
        {IDC_SETTINGS_FUTURES_DELAY, 0, IDC_SETTINGS_FUTURES_SHOW, false},  // "abc" reads as 0; "5" is no switch
        {IDC_SETTINGS_STOCKS_DELAY, -1, IDC_SETTINGS_STOCKS_SHOW, true},   // the text "None" is never written
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Selection(row.list), row.selection) << row.list;
        EXPECT_EQ(Ticked(row.switchId), row.ticked) << row.switchId;
        EXPECT_EQ(Enabled(row.list), row.ticked) << row.list;
    }
}

TEST_F(SettingDialog, EachSwitchEnablesOnlyItsOwnLists) {
    StoreProperties({{L"Show", L"1"}, {L"Fx168Show", L"1"}, {L"HexunShow", L"1"}, {L"HexunQHShow", L"1"},
                     {L"HexunGPShow", L"1"}});
    Open();
    const struct {
        int switchId;
        std::vector<int> lists;
    } table[] = {
        {IDC_SETTINGS_SHOW, {IDC_SETTINGS_DELAY, IDC_SETTINGS_SOUND}},
        {IDC_SETTINGS_FOREX_SHOW, {IDC_SETTINGS_FOREX_DELAY}},
        {IDC_SETTINGS_GOLD_SHOW, {IDC_SETTINGS_GOLD_DELAY}},
        {IDC_SETTINGS_FUTURES_SHOW, {IDC_SETTINGS_FUTURES_DELAY}},
        {IDC_SETTINGS_STOCKS_SHOW, {IDC_SETTINGS_STOCKS_DELAY}},
    };
    for (const auto& row : table) {
        for (const bool ticked : {false, true}) {
            Click(row.switchId);
            ASSERT_EQ(Ticked(row.switchId), ticked);
            for (int list : kLists) {
                const bool own = std::find(row.lists.begin(), row.lists.end(), list) != row.lists.end();
                EXPECT_EQ(Enabled(list), own ? ticked : true)
                    << "switch " << row.switchId << (ticked ? " ticked" : " cleared") << ", list " << list;
            }
        }
    }
}

TEST_F(SettingDialog, ClosingWithoutConfirmLeavesTheFileAsItWas) {
    StoreProperties({{L"Show", L"1"}, {L"Delay", L"2"}, {L"Sound", L"x"}, {L"HexunShow", L"1"}});
    const std::string before = FileBytes("Setting.ini");
    for (const int command : {IDC_SETTINGS_CLOSE, IDCANCEL, IDOK}) {  // 关闭, Esc and the close box, Enter
        Open();
        Click(IDC_SETTINGS_SHOW);
        Click(IDC_SETTINGS_STOCKS_SHOW);
        SendMessageW(Item(IDC_SETTINGS_GOLD_DELAY), CB_SETCURSEL, 4, 0);
        const HWND window = dialog.Hwnd();
        Command(command);
        EXPECT_FALSE(IsWindowVisible(window)) << command;
        EXPECT_EQ(FileBytes("Setting.ini"), before) << command;
        dialog.Destroy();
    }
}

TEST_F(SettingDialog, BandsShowTheirPicturesOrTheFaceColour) {
    for (const bool pictures : {true, false}) {
        if (pictures) {
            ASSERT_TRUE(WriteSolidPicture(L".\\skin\\settingtop.jpg", 50, 10, {200, 30, 30}));
            ASSERT_TRUE(WriteSolidPicture(L".\\skin\\settingbottom.jpg", 50, 10, {30, 30, 200}));
        } else {
            std::filesystem::remove_all("skin");
        }
        Open();
        RedrawWindow(dialog.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpPending();
        RECT client;
        GetClientRect(dialog.Hwnd(), &client);
        const COLORREF face = GetSysColor(COLOR_3DFACE);
        const COLORREF top = WindowPixel(dialog.Hwnd(), client.right - 3, 20);
        const COLORREF bottom = WindowPixel(dialog.Hwnd(), 5, client.bottom - 3);
        EXPECT_TRUE(Near(top, pictures ? RGB(200, 30, 30) : face, 12)) << Describe(top);
        EXPECT_TRUE(Near(bottom, pictures ? RGB(30, 30, 200) : face, 12)) << Describe(bottom);
        dialog.Destroy();
    }
}

// Told of another DPI (Wine never says so itself), the dialog stands on the suggested rectangle and draws its
// logos for that DPI, replacing the ones it had.
TEST_F(SettingDialog, ADpiChangeMovesItToTheSuggestedPlaceAndRedrawsTheLogosAtIt) {
    Open();
    const auto logoSize = [&] {
        BITMAP logo{};
        GetObjectW(reinterpret_cast<HBITMAP>(SendMessageW(Item(IDC_SETTINGS_FOREX_LOGO), STM_GETIMAGE, IMAGE_BITMAP, 0)),
                   sizeof(logo), &logo);
        return SIZE{logo.bmWidth, logo.bmHeight};
    };
    const SIZE atStart = logoSize();
    ASSERT_GT(atStart.cx, 0);
    const HandleCounts before = CurrentHandleCounts();
    for (const UINT dpi : {192u, 96u}) {
        RECT suggested{40, 30, 40 + MulDiv(380, dpi, 96), 30 + MulDiv(400, dpi, 96)};
        SendMessageW(dialog.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        PumpPending();
        RECT placed;
        GetWindowRect(dialog.Hwnd(), &placed);
        EXPECT_TRUE(EqualRect(&placed, &suggested)) << dpi;
        EXPECT_EQ(logoSize().cx, MulDiv(atStart.cx, dpi, 96)) << dpi;
        EXPECT_EQ(logoSize().cy, MulDiv(atStart.cy, dpi, 96)) << dpi;
    }
    EXPECT_EQ(CurrentHandleCounts(), before);
}

TEST_F(SettingDialog, ReopeningKeepsHandleCountsFlat) {
    Open();
    dialog.Destroy();
    const HandleCounts first = CurrentHandleCounts();
    for (int i = 0; i < 20; ++i) {
        Open();
        dialog.Destroy();
    }
    EXPECT_EQ(CurrentHandleCounts(), first);
}

// The start-with-Windows box against the two Run keys; the program's second copy, which empties the machine's
// value, is this test program (see main).
class StartWithWindowsBox : public SettingDialog {
protected:
    bool BoxTicked() const { return Ticked(IDC_SETTINGS_START_WITH_WINDOWS); }

    ProgramRunValues run;
    SecondCopyLog secondCopies;
};

TEST_F(StartWithWindowsBox, WritesAndRemovesTheUsersValueWithoutSecondCopy) {
    MessageBoxAnswerer answerer;
    Open();
    EXPECT_FALSE(BoxTicked());
    Click(IDC_SETTINGS_START_WITH_WINDOWS);
    EXPECT_TRUE(BoxTicked());
    EXPECT_EQ(run.User(), run.self + L'\0');
    dialog.Destroy();

    Open();
    EXPECT_TRUE(BoxTicked());
    Click(IDC_SETTINGS_START_WITH_WINDOWS);
    EXPECT_FALSE(BoxTicked());
    EXPECT_EQ(run.User(), std::nullopt);

    EXPECT_EQ(run.Machine(), std::nullopt) << "the machine's key is not touched";
    EXPECT_TRUE(secondCopies.Starts().empty());
    EXPECT_TRUE(answerer.Shown().empty());
}

TEST_F(StartWithWindowsBox, TickedWhenEitherKeyNamesThisCopy) {
    const std::wstring other = Quoted(L"C:\\Other\\Corvane.exe");
    const struct {
        const char* what;
        std::optional<std::wstring> user, machine;
        bool ticked;
    } cases[] = {
        {"the user's key", run.self, std::nullopt, true},
        {"the machine's key", std::nullopt, run.self, true},
        {"another copy in both keys", other, other, false},
        {"emptied for the machine", std::nullopt, L"", false},
    };
    for (const auto& c : cases) {
        run.Remove();
        if (c.user) StoreRunData(HKEY_CURRENT_USER, run.name, *c.user);
        if (c.machine) StoreRunData(HKEY_LOCAL_MACHINE, run.name, *c.machine);
        Open();
        EXPECT_EQ(BoxTicked(), c.ticked) << c.what;
        dialog.Destroy();
    }
}

// Clearing a registration for the machine runs the elevated second copy; the dialog waits for it disabled,
// yet its thread goes on handling messages: a timer of this thread is what lets the copy go on, once the
// dialog has painted itself again meanwhile (saved for review).
TEST_F(StartWithWindowsBox, ClearingTheMachinesValueKeepsTheDialogAlive) {
    StoreRunData(HKEY_LOCAL_MACHINE, run.name, run.self);
    for (const char* band : {"settingtop.jpg", "settingbottom.jpg"})
        std::filesystem::copy_file(SourceFolder() / "skin" / band, std::filesystem::path("skin") / band);
    static HANDLE go;
    static HWND window;
    static int ticks;
    static bool disabledWhileWaiting;
    const std::wstring goName = L"CorvaneTestSecondCopyGo" + std::to_wstring(GetCurrentProcessId());
    go = CreateEventW(nullptr, TRUE, FALSE, goName.c_str());
    SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_AWAITS", goName.c_str());
    Open();
    ASSERT_TRUE(BoxTicked());
    window = dialog.Hwnd();
    SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ticks = 0;
    disabledWhileWaiting = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++ticks == 1) {
            disabledWhileWaiting = !IsWindowEnabled(window);
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        } else if (ticks == 3) {
            const std::filesystem::path screenshots = BuildFolder() / "screenshots";
            std::filesystem::create_directories(screenshots);
            SaveWindowAsPng(window, (screenshots / "settings-dialog-removing-start-at-logon.png").wstring());
            SetEvent(go);
        }
    });

    MessageBoxAnswerer answerer;
    Click(IDC_SETTINGS_START_WITH_WINDOWS);
    KillTimer(nullptr, timer);
    SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_AWAITS", nullptr);
    CloseHandle(go);

    EXPECT_EQ(secondCopies.Starts(), std::vector<std::string>{"false"});
    EXPECT_TRUE(answerer.Shown().empty()) << "the second copy never got its go, or failed";
    EXPECT_EQ(run.Machine(), std::wstring(1, L'\0')) << "emptied, as \"-s false\" does";
    EXPECT_FALSE(BoxTicked());
    EXPECT_TRUE(disabledWhileWaiting);
    EXPECT_TRUE(IsWindowEnabled(window));
}

int VisibleSettingsDialogs() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM seen) {
            wchar_t title[32] = {};
            GetWindowTextW(window, title, 32);
            if (std::wstring(title) == L"系统配置" && IsWindowVisible(window)) ++*reinterpret_cast<int*>(seen);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// The process's one dialog: a request while it is open brings it forward instead of opening another,
// and after it closed the next request opens it again.
TEST(OpenSettingsDialog, OneDialogAtATime) {
    ScratchSkin folder;
    static int dialogsSeen;
    for (int opening = 0; opening < 2; ++opening) {
        dialogsSeen = 0;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
            if (VisibleSettingsDialogs() == 0) return;  // a modal dialog is shown once its queue is idle
            KillTimer(nullptr, id);
            OpenSettingsDialog(nullptr);  // returns at once
            dialogsSeen = VisibleSettingsDialogs();
            PostMessageW(FindWindowW(L"#32770", L"系统配置"), WM_CLOSE, 0, 0);
        });
        OpenSettingsDialog(nullptr);  // runs modally until the timer closes it
        KillTimer(nullptr, timer);
        EXPECT_EQ(dialogsSeen, 1) << "opening " << opening;
        EXPECT_EQ(VisibleSettingsDialogs(), 0);
    }
}

// The dialog with values and the real skin, saved for review.
TEST_F(SettingDialog, ScreenshotWithValues) {
    for (const char* band : {"settingtop.jpg", "settingbottom.jpg"})
        std::filesystem::copy_file(SourceFolder() / "skin" / band, std::filesystem::path("skin") / band);
    StoreProperties({{L"Show", L"1"}, {L"Delay", L"2"}, {L"Sound", L"1"}, {L"Fx168Delay", L"1"},
                     {L"Fx168Show", L"1"}, {L"HexunDelay", L"3"}, {L"HexunShow", L"1"}, {L"HexunQHDelay", L"0"},
                     {L"HexunQHShow", L"0"}, {L"HexunGPDelay", L"5"}, {L"HexunGPShow", L"1"}});
    Open();
    EXPECT_TRUE(SaveReviewScreenshot(dialog.Hwnd(), L"settings-dialog.png"));
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> exitCode = RunAsSecondCopy(argc, argv)) return *exitCode;
    SourceFolder();
    BuildFolder();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
