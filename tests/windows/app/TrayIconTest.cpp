// The tray icon against a stand-in shell that can refuse, as the real one does at sign-in before it is
// ready: the add is tried again on the window's timer until the icon is there,
// and a balloon asked for meanwhile waits for it. And the icon's menu, saved for review.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/TrayIcon.h"
#include "controls/SkinScale.h"
#include "framework/Dpi.h"
#include "framework/Sessions.h"
#include "res/resource.h"
#include "tests/windows/support/MessagePump.h"
#include "tests/windows/support/Screenshot.h"
#include "tests/windows/support/TestFolders.h"

namespace {

constexpr UINT kRetryMs = 50;

// Keeps icons by (window, id) as the notification area does; refuses everything while not ready.
struct StandInShell {
    bool ready = true;
    int adds = 0;
    std::set<std::pair<HWND, UINT>> icons;
    std::vector<std::wstring> balloons;
    std::wstring tip;
    HICON shownIcon = nullptr;

    BOOL Notify(DWORD message, NOTIFYICONDATAW* record) {
        const auto key = std::make_pair(record->hWnd, record->uID);
        const bool exists = icons.count(key) != 0;
        if (message == NIM_ADD) ++adds;
        if (!ready) return FALSE;
        if ((message == NIM_ADD && !exists) || (message == NIM_MODIFY && exists))
        {
            if (record->uFlags & NIF_TIP) tip = record->szTip;
            if (record->uFlags & NIF_ICON) shownIcon = record->hIcon;
        }
        switch (message) {
            case NIM_ADD:
                if (exists) return FALSE;
                icons.insert(key);
                return TRUE;
            case NIM_MODIFY:
                if (!exists) return FALSE;
                if (record->uFlags & NIF_INFO) balloons.emplace_back(record->szInfo);
                return TRUE;
            case NIM_DELETE: return icons.erase(key) != 0;
            default: return FALSE;
        }
    }
};

LRESULT CALLBACK RetryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == CTrayIcon::kRetryTimer) {
        reinterpret_cast<CTrayIcon*>(GetWindowLongPtrW(window, GWLP_USERDATA))->RetryAdd();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class TrayIconTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = RetryWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvaneTrayIconTest";
        RegisterClassW(&windowClass);
        window = CreateWindowW(L"CorvaneTrayIconTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tray));
    }
    void TearDown() override {
        tray.Remove();
        DestroyWindow(window);
    }

    StandInShell shell;
    CTrayIcon tray{[this](DWORD message, NOTIFYICONDATAW* record) { return shell.Notify(message, record); },
                   kRetryMs};
    HWND window = nullptr;
    HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
};

TEST_F(TrayIconTest, RefusedAddIsTriedAgainUntilTheShellTakesItThenTheLatestBalloonShows) {
    shell.ready = false;
    tray.Add(window, icon);
    tray.ShowBalloon({L"连接中", L"正在获取服务器连接(1)。", 10000});
    tray.ShowBalloon({L"连接成功", L"已成功连接服务器。", 3000});
    Pump(6 * kRetryMs);
    EXPECT_FALSE(tray.IsShown());
    EXPECT_GE(shell.adds, 3) << "tried again on the timer";

    shell.ready = true;
    ASSERT_TRUE(PumpUntil([&] { return tray.IsShown(); }, 40 * kRetryMs));
    EXPECT_EQ(shell.icons.size(), 1u);
    EXPECT_EQ(shell.balloons, std::vector<std::wstring>{L"已成功连接服务器。"}) << "only the latest, once";

    const int adds = shell.adds;
    Pump(6 * kRetryMs);
    EXPECT_EQ(shell.adds, adds) << "no more tries once the icon is there";
}

TEST_F(TrayIconTest, AddedAtOnceShowsBalloonsAtOnceAndTriesNothingMore) {
    tray.Add(window, icon);
    EXPECT_TRUE(tray.IsShown());
    tray.ShowBalloon({L"连接中", L"正在获取服务器连接(1)。", 10000});
    EXPECT_EQ(shell.balloons, std::vector<std::wstring>{L"正在获取服务器连接(1)。"});
    Pump(6 * kRetryMs);
    EXPECT_EQ(shell.adds, 1);
}

TEST_F(TrayIconTest, AddOfAnIconThatIsThereAlreadyCountsAsAdded) {
    // A "TaskbarCreated" that did not lose the icon: the shell refuses the second add.
    tray.Add(window, icon);
    tray.Add(window, icon);
    EXPECT_TRUE(tray.IsShown());
    Pump(6 * kRetryMs);
    EXPECT_EQ(shell.adds, 2) << "no tries after a refusal for an icon that exists";
    tray.ShowBalloon({L"连接成功", L"已成功连接服务器。", 3000});
    EXPECT_EQ(shell.balloons.size(), 1u);
}

TEST_F(TrayIconTest, RemovedWhileMissingStopsTryingAndDropsTheWaitingBalloon) {
    shell.ready = false;
    tray.Add(window, icon);
    tray.ShowBalloon({L"连接中", L"正在获取服务器连接(1)。", 10000});
    tray.Remove();
    shell.ready = true;
    const int adds = shell.adds;
    Pump(6 * kRetryMs);
    EXPECT_EQ(shell.adds, adds);
    EXPECT_TRUE(shell.icons.empty());
    EXPECT_TRUE(shell.balloons.empty());
}

TEST_F(TrayIconTest, TipTellsOfTheLastAlertUntilClearedAndSurvivesAnAddAgain) {
    tray.Add(window, icon);
    EXPECT_EQ(shell.tip, L"Tessaly");
    tray.ShowAlertTip(L"美联储宣布加息\n25个基点");
    EXPECT_EQ(shell.tip, L"关键词提醒：美联储宣布加息 25个基点");
    tray.ShowAlertTip(L"非农就业人数大增");
    EXPECT_EQ(shell.tip, L"关键词提醒：非农就业人数大增") << "the last alert";
    shell.icons.clear();  // the taskbar was re-created
    tray.Add(window, icon);
    EXPECT_EQ(shell.tip, L"关键词提醒：非农就业人数大增");
    tray.ShowAlertTip(L"");
    EXPECT_EQ(shell.tip, L"Tessaly");

    // A title longer than the tip holds is cut, never inside a surrogate pair.
    std::wstring title(120, L'长');
    title += L"\U0001F4C8";  // units 127 and 128 of the tip, which holds 127
    tray.ShowAlertTip(title);
    EXPECT_EQ(shell.tip, L"关键词提醒：" + std::wstring(120, L'长'));
}

TEST_F(TrayIconTest, QuietSwitchesIconAndTipBehindTheLastAlertsTipAndSurvivesAnAddAgain) {
    const HICON quietIcon = LoadIconW(nullptr, IDI_INFORMATION);
    tray.ShowQuiet(quietIcon, L"免打扰中");  // before the icon is there: the add carries it
    tray.Add(window, icon);
    tray.ShowQuiet(quietIcon, L"免打扰中");
    EXPECT_EQ(shell.shownIcon, quietIcon);
    EXPECT_EQ(shell.tip, L"免打扰中");
    tray.ShowQuiet(quietIcon, L"免打扰中：已收到 3 条快讯");
    EXPECT_EQ(shell.tip, L"免打扰中：已收到 3 条快讯");

    tray.ShowAlertTip(L"非农就业人数大增");
    tray.ShowQuiet(quietIcon, L"免打扰中：已收到 4 条快讯");
    EXPECT_EQ(shell.tip, L"关键词提醒：非农就业人数大增") << "the alert the user has not seen comes first";
    EXPECT_EQ(shell.shownIcon, quietIcon);

    shell.icons.clear();  // the taskbar was re-created
    shell.shownIcon = nullptr;
    tray.AddAgain();
    EXPECT_TRUE(tray.IsShown());
    EXPECT_EQ(shell.shownIcon, quietIcon);
    tray.ShowAlertTip(L"");
    EXPECT_EQ(shell.tip, L"免打扰中：已收到 4 条快讯");

    tray.ShowQuiet(icon, L"");
    EXPECT_EQ(shell.shownIcon, icon);
    EXPECT_EQ(shell.tip, L"Tessaly");
}

// The items of a menu, top to bottom, a submenu's as its own list.
struct MenuItems {
    std::vector<UINT> commands;  // a submenu shows as UINT(-1)
    std::vector<UINT> submenu;
    std::vector<UINT> disabled;
    std::vector<int> pictureHeights;  // of the top level's pictures
};

int MenuPictureHeight(HMENU menu, int position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_TYPE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) || !(item.fType & MFT_BITMAP)) return 0;
    BITMAP picture{};
    GetObjectW(reinterpret_cast<HBITMAP>(item.dwTypeData), sizeof(picture), &picture);
    return picture.bmHeight;
}

MenuItems ReadMenu(HMENU menu) {
    MenuItems items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        items.commands.push_back(GetMenuItemID(menu, i));
        items.pictureHeights.push_back(MenuPictureHeight(menu, i));
        if (HMENU sub = GetSubMenu(menu, i))
            for (int k = 0; k < GetMenuItemCount(sub); ++k) items.submenu.push_back(GetMenuItemID(sub, k));
        if (GetMenuState(menu, i, MF_BYPOSITION) & (MF_DISABLED | MF_GRAYED)) items.disabled.push_back(GetMenuItemID(menu, i));
    }
    return items;
}

// The menu holds 系统设置, 关键词提醒, the 免打扰 offers and 退出 as pictures at the DPI of the monitor it
// opens on (this test also runs in a prefix at 192 DPI), and while the user's 免打扰 holds its state line
// (disabled) and 结束免打扰. A thread timer, which the menu's own loop keeps serving, reads it, saves it for
// review and closes it.
TEST(TrayMenu, OffersTheQuietChoicesAndWhileQuietItsStateAndItsEnd) {
    const fw::GdiplusSession gdiplus;
    HWND owner = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
    ASSERT_NE(owner, nullptr);
    constexpr UINT kSubmenu = static_cast<UINT>(-1);
    const std::vector<UINT> offers{IDM_TRAY_QUIET_ONE_HOUR, IDM_TRAY_QUIET_TWO_HOURS, IDM_TRAY_QUIET_MORNING,
                                   IDM_TRAY_QUIET_MANUAL};
    const struct {
        const wchar_t* state;
        std::vector<UINT> commands;
        std::vector<UINT> disabled;
        const char* screenshot;
    } cases[] = {
        {L"", {IDM_TRAY_SETTINGS, IDM_TRAY_ALERTS, kSubmenu, IDM_TRAY_EXIT}, {}, "tray-menu.png"},
        {L"免打扰至 明天 08:00",
         {IDM_TRAY_SETTINGS, IDM_TRAY_ALERTS, kSubmenu, IDM_TRAY_QUIET_STATE, IDM_TRAY_QUIET_END, IDM_TRAY_EXIT},
         {IDM_TRAY_QUIET_STATE},
         "tray-menu-quiet.png"},
    };
    for (const auto& c : cases) {
        static MenuItems read;
        static bool saved;
        static std::string screenshot;
        read = {};
        saved = false;
        screenshot = c.screenshot;
        if (const int dpi = static_cast<int>(fw::DpiAtPoint({200, 200})); dpi != kBaseDpi)
            screenshot.insert(screenshot.size() - 4, "-" + std::to_string(ScaleForDpi(100, dpi)));
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
            HWND menuWindow = FindWindowW(L"#32768", nullptr);
            if (!menuWindow || !IsWindowVisible(menuWindow)) return;
            KillTimer(nullptr, id);
            read = ReadMenu(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
            const std::filesystem::path screenshots = BuildFolder() / "screenshots";
            std::filesystem::create_directories(screenshots);
            saved = SaveWindowAsPng(menuWindow, (screenshots / screenshot).wstring());
            EndMenu();
        });
        CTrayIcon::ShowMenu(owner, {200, 200}, c.state);  // returns once the menu is closed
        KillTimer(nullptr, timer);
        EXPECT_EQ(read.commands, c.commands) << c.screenshot;
        EXPECT_EQ(read.submenu, offers) << c.screenshot;
        EXPECT_EQ(read.disabled, c.disabled) << c.screenshot;
        const int pictureHeight = ScaleForDpi(19, static_cast<int>(fw::DpiAtPoint({200, 200})));
        EXPECT_EQ(read.pictureHeights, std::vector<int>(c.commands.size(), pictureHeight)) << c.screenshot;
        EXPECT_TRUE(saved);
    }
    DestroyWindow(owner);
}

}  // namespace
