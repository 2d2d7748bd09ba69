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

    BOOL Notify(DWORD message, NOTIFYICONDATAW* record) {
        const auto key = std::make_pair(record->hWnd, record->uID);
        const bool exists = icons.count(key) != 0;
        if (message == NIM_ADD) ++adds;
        if (!ready) return FALSE;
        if ((message == NIM_ADD && !exists) || (message == NIM_MODIFY && exists))
            if (record->uFlags & NIF_TIP) tip = record->szTip;
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

// The menu holds 系统设置, 关键词提醒 and 退出 as pictures, in that order; a thread timer, which the menu's own
// loop keeps serving, reads it, saves it for review and closes it.
TEST(TrayMenu, OffersSettingsAlertsAndExitInThatOrder) {
    const fw::GdiplusSession gdiplus;
    HWND owner = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
    ASSERT_NE(owner, nullptr);
    static std::vector<UINT> commands;
    static bool saved;
    commands.clear();
    saved = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow)) return;
        KillTimer(nullptr, id);
        const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) commands.push_back(GetMenuItemID(menu, i));
        const std::filesystem::path screenshots = BuildFolder() / "screenshots";
        std::filesystem::create_directories(screenshots);
        saved = SaveWindowAsPng(menuWindow, (screenshots / "tray-menu.png").wstring());
        EndMenu();
    });
    CTrayIcon::ShowMenu(owner, {200, 200});  // returns once the menu is closed
    KillTimer(nullptr, timer);
    DestroyWindow(owner);
    EXPECT_EQ(commands, (std::vector<UINT>{IDM_TRAY_SETTINGS, IDM_TRAY_ALERTS, IDM_TRAY_EXIT}));
    EXPECT_TRUE(saved);
}

}  // namespace
