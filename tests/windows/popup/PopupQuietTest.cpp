// The pop-up while quiet: what it holds back, and what it shows when quiet ends. Facts are handed in, as
// Wine's notification state never says anything but "accepts"; one test gathers them for real.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "popup/QIUnit.h"
#include "popup/QuickInform.h"
#include "popup/QuietBacklog.h"
#include "res/resource.h"
#include "tests/windows/popup/PopupFixture.h"
#include "tests/windows/support/HandleCounts.h"

namespace {

using popup::QuietChoice;
using State = popup::NotificationState;

const QuietChoice kUntilTurnedOff{QuietChoice::Kind::UntilTurnedOff, {}};

std::wstring WindowText(HWND hwnd) {
    wchar_t text[256]{};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

std::wstring LinkText(HWND entry) { return WindowText(GetDlgItem(entry, IDC_ENTRY_TITLE_LINK)); }

std::wstring SummaryLink(std::size_t received) { return L"<a>" + popup::QuietSummaryText(received) + L"</a>"; }

// A pop-up whose facts and sounds the test holds.
struct QuietPopup {
    explicit QuietPopup(QuickInformIntervals intervals = kStepsByHand)
        : popup(intervals, [this](int sound) { played.push_back(sound); }, [this] { return facts; }) {}

    int Add(const std::wstring& title, std::optional<bool> alertSound = std::nullopt) {
        if (!alertSound) return popup.AddNews(Item(kStocks.guid, title), GetDesktopWindow());
        const alerts::AlertMatch alert = Alert(title, {L"警报"}, *alertSound);
        return popup.AddNews(Item(kStocks.guid, title), GetDesktopWindow(), &alert);
    }

    popup::QuietFacts facts;
    std::vector<int> played;
    CQuickInform popup;
};

TEST(PopupQuiet, HoldsBackWhatTheDecisionSaysWithoutWindowOrSound) {
    const PopupFolder folder;
    struct Case {
        const char* what;
        popup::QuietFacts facts;
        bool ordinaryShown, alertShown;
    };
    const Case cases[] = {
        {"not quiet", {}, true, true},
        {"the user's 免打扰", {State::AcceptsNotifications, false, kUntilTurnedOff, {}, false}, false, true},
        {"the user's 免打扰 has ended",
         {State::AcceptsNotifications, false, {QuietChoice::Kind::Until, {2026, 12, 11, 9, 0}}, {2026, 12, 11, 9, 0}},
         true, true},
        {"full screen", {State::AcceptsNotifications, true, {}, {}, false}, false, false},
        {"full screen, alerts let through", {State::AcceptsNotifications, true, {}, {}, true}, false, true},
        {"presentation", {State::PresentationMode, false, {}, {}, true}, false, false},
        {"the first hour", {State::QuietTime, false, {}, {}, false}, false, true},
    };
    for (const Case& c : cases) {
        QuietPopup quiet;
        quiet.facts = c.facts;
        ASSERT_EQ(quiet.Add(L"沪指收涨"), 1) << c.what;
        EXPECT_EQ(quiet.popup.EntryCount(), c.ordinaryShown ? 1u : 0u) << c.what;
        EXPECT_EQ(quiet.popup.Hwnd() != nullptr, c.ordinaryShown) << c.what;
        EXPECT_EQ(quiet.played, c.ordinaryShown ? std::vector<int>{IDR_SOUND_FIRST_CHOICE} : std::vector<int>{})
            << c.what;
        EXPECT_EQ(quiet.popup.IsQuietNow(), !c.ordinaryShown) << c.what;
        EXPECT_EQ(quiet.popup.WaitingCount(), c.ordinaryShown ? 0u : 1u) << c.what;

        quiet.played.clear();
        quiet.popup.Destroy();
        ASSERT_EQ(quiet.Add(L"警报 非农", true), 1) << c.what;
        EXPECT_EQ(quiet.popup.EntryCount(), c.alertShown ? 1u : 0u) << c.what;
        EXPECT_EQ(quiet.played, c.alertShown ? std::vector<int>{IDR_SOUND_ALERT} : std::vector<int>{}) << c.what;
        EXPECT_EQ(quiet.popup.WaitingCount(), (c.ordinaryShown ? 0u : 1u) + (c.alertShown ? 0u : 1u)) << c.what;
    }
}

TEST(PopupQuiet, WhenQuietEndsTheWaitingAlertsThenTheSummaryShowWithOneSound) {
    const PopupFolder folder;
    struct Case {
        const char* what;
        std::vector<std::optional<bool>> waiting;  // nullopt: an ordinary item; else an alert with or without sound
        std::vector<int> sounds;
    };
    const Case cases[] = {
        {"ordinary items only", {std::nullopt, std::nullopt}, {IDR_SOUND_FIRST_CHOICE}},
        {"an alert with sound", {std::nullopt, true, false, std::nullopt}, {IDR_SOUND_ALERT}},
        {"silent alerts", {false, std::nullopt, false}, {IDR_SOUND_FIRST_CHOICE}},
    };
    for (const Case& c : cases) {
        QuietPopup quiet;
        // A full screen holds alerts back too, and the user's own choice outlasts it.
        quiet.facts.choice = kUntilTurnedOff;
        quiet.facts.foregroundFillsPopupMonitor = true;
        std::vector<std::wstring> alertTexts;
        for (std::size_t i = 0; i < c.waiting.size(); ++i) {
            const std::wstring title = (c.waiting[i] ? L"警报 " : L"快讯 ") + std::to_wstring(i);
            if (c.waiting[i]) alertTexts.push_back(title);
            ASSERT_EQ(quiet.Add(title, c.waiting[i]), 1) << c.what;
        }
        EXPECT_EQ(quiet.popup.Hwnd(), nullptr) << c.what;
        EXPECT_TRUE(quiet.played.empty()) << c.what;
        const std::size_t waiting = c.waiting.size();
        EXPECT_EQ(quiet.popup.WaitingCount(), waiting) << c.what;

        EXPECT_FALSE(quiet.popup.CheckQuietEnded(GetDesktopWindow())) << c.what << ": still quiet";
        quiet.facts.foregroundFillsPopupMonitor = false;
        EXPECT_FALSE(quiet.popup.CheckQuietEnded(GetDesktopWindow())) << c.what << ": the user's choice holds";
        EXPECT_EQ(quiet.popup.Hwnd(), nullptr) << c.what;
        quiet.facts.choice = {};
        ASSERT_TRUE(quiet.popup.CheckQuietEnded(GetDesktopWindow())) << c.what;
        EXPECT_EQ(quiet.played, c.sounds) << c.what;
        EXPECT_EQ(quiet.popup.WaitingCount(), 0u) << c.what;
        EXPECT_FALSE(quiet.popup.IsQuietNow()) << c.what;

        const std::vector<HWND> entries = EntryWindows(quiet.popup.Hwnd());
        ASSERT_EQ(entries.size(), alertTexts.size() + 1) << c.what;
        for (std::size_t i = 0; i < alertTexts.size(); ++i) EXPECT_EQ(WindowText(entries[i]), alertTexts[i]) << c.what;
        EXPECT_EQ(LinkText(entries.back()), SummaryLink(waiting)) << c.what;
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(entries.back(), IDC_ENTRY_TITLE_LINK))) << c.what;
        EXPECT_FALSE(quiet.popup.CheckQuietEnded(GetDesktopWindow())) << c.what << ": released once";
        EXPECT_EQ(quiet.played.size(), 1u) << c.what;
    }
}

TEST(PopupQuiet, NeverMoreEntriesThanOneViewTheNewestAlertsKept) {
    const RECT screen = WorkArea();
    const ScopedWorkArea lowDesktop({screen.left, screen.top, screen.right, screen.top + 400});
    const PopupFolder folder;
    QuietPopup quiet;
    quiet.facts.notifications = State::NotPresent;  // a locked screen holds alerts back
    for (int i = 0; i < 30; ++i) ASSERT_EQ(quiet.Add(L"警报 " + std::to_wstring(i), i % 2 == 0), 1);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(quiet.Add(L"快讯 " + std::to_wstring(i)), 1);
    quiet.facts = {};
    ASSERT_TRUE(quiet.popup.CheckQuietEnded(GetDesktopWindow()));
    Settle(quiet.popup);

    const std::vector<HWND> entries = EntryWindows(quiet.popup.Hwnd());
    const int entryHeight = WindowRectOf(entries.back()).bottom - WindowRectOf(entries.back()).top;
    const RECT frame = WindowRectOf(quiet.popup.Hwnd());
    RECT client{};
    GetClientRect(quiet.popup.Hwnd(), &client);
    const int frameHeight = (frame.bottom - frame.top) - client.bottom;
    const std::size_t view = popup::EntriesPerView(400, frameHeight, entryHeight);
    ASSERT_GE(view, 2u);
    ASSERT_EQ(entries.size(), view);
    for (std::size_t i = 0; i + 1 < view; ++i)
        EXPECT_EQ(WindowText(entries[i]), L"警报 " + std::to_wstring(30 - (view - 1) + i)) << "the newest, oldest first";
    EXPECT_EQ(LinkText(entries.back()), SummaryLink(35));
    POINT clientTop{0, 0};
    ClientToScreen(quiet.popup.Hwnd(), &clientTop);
    EXPECT_GE(WindowRectOf(entries.front()).top, clientTop.y) << "every entry in view, none scrolled past";
    EXPECT_LE(WindowRectOf(entries.back()).bottom, frame.bottom);
}

// A stand-in for the main window: records the commands it receives.
class MainWindowStandIn {
public:
    MainWindowStandIn() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_COMMAND) SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
            return DefWindowProcW(hwnd, message, wParam, lParam);
        };
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuietTestMainWindow";
        RegisterClassW(&windowClass);
        hwnd_ = CreateWindowW(L"QuietTestMainWindow", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    }
    ~MainWindowStandIn() { DestroyWindow(hwnd_); }
    HWND Hwnd() const { return hwnd_; }
    WPARAM LastCommand() const { return static_cast<WPARAM>(GetWindowLongPtrW(hwnd_, GWLP_USERDATA)); }

private:
    HWND hwnd_ = nullptr;
};

TEST(PopupQuiet, TheSummaryShowsTheMainWindowAndDoesNotHoldThePopUp) {
    // Real timers, the general stay of 10 s shortened to 200 ms; a busy machine only delays them.
    const PopupFolder folder;
    folder.Write({{L"Delay", L"1"}});
    const MainWindowStandIn mainWindow;
    ASSERT_TRUE(mainWindow.Hwnd());
    QuietPopup quiet({10, 50});
    quiet.popup.SetMainWindow(mainWindow.Hwnd());
    quiet.facts.choice = kUntilTurnedOff;
    ASSERT_EQ(quiet.Add(L"快讯 1"), 1);
    quiet.facts.choice = {};
    ASSERT_TRUE(quiet.popup.CheckQuietEnded(GetDesktopWindow()));
    const HWND summary = EntryWindows(quiet.popup.Hwnd()).back();
    Click(summary);
    EXPECT_EQ(LOWORD(mainWindow.LastCommand()), IDM_SHOW_MAIN_WINDOW);
    EXPECT_TRUE(PumpUntil([&] { return quiet.popup.Hwnd() == nullptr; }, 5000)) << "the stay runs out";
}

TEST(PopupQuiet, ManyQuietAndReleaseCyclesLeaveTheHandleCountsWhereTheyWere) {
    const PopupFolder folder;
    QuietPopup quiet;
    auto cycles = [&quiet](int count) {
        for (int i = 0; i < count; ++i) {
            quiet.facts.foregroundFillsPopupMonitor = true;
            quiet.Add(L"快讯 " + std::to_wstring(i));
            quiet.Add(L"警报 " + std::to_wstring(i), i % 2 == 0);
            quiet.facts.foregroundFillsPopupMonitor = false;
            quiet.popup.CheckQuietEnded(GetDesktopWindow());
            Settle(quiet.popup);
            if (i % 3 == 0) Click(EntryWindows(quiet.popup.Hwnd()).back());
            quiet.popup.Destroy();
            Pump(5);
        }
    };
    cycles(20);  // first use: the fonts, pictures and classes the platform keeps once loaded
    const HandleCounts before = CurrentHandleCounts();
    cycles(300);
    const HandleCounts after = CurrentHandleCounts();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
}

// Another program's window covering the pop-up's monitor in the foreground (the pop-up leaves its own
// program's windows out): the helper beside the test makes one and closes it when told.
class FullScreenProgram {
public:
    FullScreenProgram() {
        wchar_t path[MAX_PATH]{};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring command = path;
        command = L"\"" + command.substr(0, command.find_last_of(L"\\/") + 1) + L"quiet_fullscreen_window.exe\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_))
            CloseHandle(process_.hThread);
    }
    ~FullScreenProgram() {
        if (!process_.hProcess) return;
        Close();
        CloseHandle(process_.hProcess);
    }
    bool Started() const { return process_.hProcess != nullptr; }
    HWND Window() const { return FindWindowW(L"QuietFullScreenWindow", nullptr); }
    void Close() {
        if (HWND window = Window()) PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
    }

private:
    PROCESS_INFORMATION process_{};
};

TEST(PopupQuiet, AFullScreenProgramInTheForegroundHoldsThePopUpBackUntilItCloses) {
    const PopupFolder folder;
    std::vector<int> played;
    CQuickInform popup(kStepsByHand, [&played](int sound) { played.push_back(sound); });  // the facts for real
    FullScreenProgram program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(PumpUntil([&] { return program.Window() && GetForegroundWindow() == program.Window(); }, 10000))
        << "the helper's window never came to the foreground";
    ASSERT_EQ(popup.AddNews(Item(kStocks.guid, L"沪指收涨"), GetDesktopWindow()), 1);
    EXPECT_EQ(popup.Hwnd(), nullptr);
    EXPECT_TRUE(played.empty());
    EXPECT_TRUE(popup.IsQuietNow());
    EXPECT_EQ(popup.WaitingCount(), 1u);
    EXPECT_FALSE(popup.CheckQuietEnded(GetDesktopWindow()));

    program.Close();
    ASSERT_TRUE(PumpUntil([&] { return popup.CheckQuietEnded(GetDesktopWindow()); }, 5000));
    ASSERT_TRUE(popup.Hwnd());
    EXPECT_EQ(LinkText(EntryWindows(popup.Hwnd()).back()), SummaryLink(1));
    EXPECT_EQ(played, std::vector<int>{IDR_SOUND_FIRST_CHOICE});
}

}  // namespace
