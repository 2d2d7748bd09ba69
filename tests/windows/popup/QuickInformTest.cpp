// The pop-up window driven as the main window and the user drive it: items handed over, its motion steps
// (sent by hand, or from short real timers), its stay timer, the close area, the keyboard and the handle
// budget over many headlines.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "popup/QIUnit.h"
#include "popup/QuickInform.h"
#include "res/resource.h"
#include "tests/windows/popup/PopupFixture.h"
#include "tests/windows/support/HandleCounts.h"

namespace {

int Height(const RECT& r) { return r.bottom - r.top; }

TEST(QuickInform, FirstItemOpensBelowTheWorkAreaAndRisesUntilInside) {
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    const RECT work = WorkArea();
    ASSERT_EQ(popup.AddNews(Item(kForex.guid, L"欧元区通胀回落"), GetDesktopWindow()), 1);
    HWND hwnd = popup.Hwnd();
    ASSERT_TRUE(hwnd);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    const LONG_PTR extended = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(extended & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_TRUE(extended & WS_EX_TOPMOST);
    EXPECT_FALSE(extended & WS_EX_APPWINDOW);

    const std::vector<HWND> entries = EntryWindows(hwnd);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(entries[0]));
    const int entryHeight = Height(WindowRectOf(entries[0]));
    const RECT opened = WindowRectOf(hwnd);
    EXPECT_EQ(opened.left, work.right - 290);
    EXPECT_EQ(opened.right - opened.left, 280);
    // The frame alone stood on the bottom edge; the entry made it grow below the work area.
    EXPECT_EQ(opened.bottom, work.bottom + entryHeight);

    int ticks = 0;
    while (WindowRectOf(hwnd).bottom > work.bottom && ticks < 100) {
        Tick(popup);
        ++ticks;
        EXPECT_EQ(WindowRectOf(hwnd).top, std::max(opened.top - 10 * ticks, work.bottom - Height(opened)))
            << "10 pixels a step, the last one up to the bottom edge";
    }
    EXPECT_EQ(ticks, (entryHeight + 9) / 10);
    const RECT risen = WindowRectOf(hwnd);
    EXPECT_EQ(risen.bottom, work.bottom) << "standing on the work area's bottom edge";
    EXPECT_EQ(Settle(popup), 0) << "nothing moves once the bottom edge is inside";
    EXPECT_TRUE(Same(WindowRectOf(hwnd), risen));
    EXPECT_LE(WindowRectOf(entries[0]).bottom, risen.bottom);

    // The title wraps clear of the right border: no glyph of it is cut.
    RECT client{};
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (int id : {IDC_ENTRY_TITLE_LINK, IDC_ENTRY_TITLE_TEXT}) {
        HWND title = GetDlgItem(entries[0], id);
        if (IsWindowVisible(title)) {
            EXPECT_LE(WindowRectOf(title).right, client.right - 4) << id;
        }
    }
}

// The work area is read again for each item: a taskbar moved to the right edge and made taller while the
// window is open moves it into the new corner.
TEST(QuickInform, FollowsTheWorkAreaWhenItChangesWhileOpen) {
    const RECT screen = WorkArea();
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"现货黄金走高"), GetDesktopWindow()), 1);
    Settle(popup);
    const RECT moved{screen.left, screen.top, screen.right - 120, screen.bottom - 60};
    const ScopedWorkArea taskbarOnTheRight(moved);
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"现货黄金再创新高"), GetDesktopWindow()), 1);
    Settle(popup);
    const RECT window = WindowRectOf(popup.Hwnd());
    EXPECT_EQ(window.right, moved.right - 10);
    EXPECT_EQ(window.bottom, moved.bottom);
}

// WM_DPICHANGED (which Wine never sends): the window takes the new DPI and lays itself out again at it, its
// frame, width and entries scaled, back in the work area's corner.
TEST(QuickInform, LaysItselfOutAgainAtANewDpi) {
    const RECT work = WorkArea();
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    ASSERT_EQ(popup.AddNews(Item(kForex.guid, L"美元指数走低"), GetDesktopWindow()), 1);
    ASSERT_EQ(popup.AddNews(Item(kStocks.guid, L"沪指收涨"), GetDesktopWindow()), 1);
    Settle(popup);
    const UINT dpi = popup.Dpi();
    std::vector<HWND> entries = EntryWindows(popup.Hwnd());
    ASSERT_EQ(entries.size(), 2u);
    const int entryHeight = Height(WindowRectOf(entries[0]));

    const UINT doubled = 2 * dpi;
    RECT suggested = WindowRectOf(popup.Hwnd());
    suggested.right = suggested.left + 2 * (suggested.right - suggested.left);
    suggested.bottom = suggested.top + 2 * Height(suggested);
    SendMessageW(popup.Hwnd(), WM_DPICHANGED, MAKEWPARAM(doubled, doubled), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(popup.Dpi(), doubled);
    const RECT window = WindowRectOf(popup.Hwnd());
    EXPECT_EQ(window.right - window.left, 2 * 280);
    EXPECT_EQ(window.right, work.right - 20) << "in the corner, the gap scaled";
    EXPECT_EQ(window.bottom, work.bottom);
    POINT clientTop{0, 0};
    ClientToScreen(popup.Hwnd(), &clientTop);
    EXPECT_EQ(clientTop.y - window.top, 2 * 29) << "the title band";
    entries = EntryWindows(popup.Hwnd());
    ASSERT_EQ(entries.size(), 2u);
    for (HWND entry : entries) {
        EXPECT_NEAR(Height(WindowRectOf(entry)), 2 * entryHeight, 1);
        EXPECT_EQ(WindowRectOf(entry).right - WindowRectOf(entry).left, 2 * 280);
    }
    EXPECT_EQ(WindowRectOf(entries[1]).bottom, window.bottom - 2 * 3) << "the newest at the bottom";
    EXPECT_EQ(WindowRectOf(entries[0]).bottom, WindowRectOf(entries[1]).top);
    const RECT title = WindowRectOf(GetDlgItem(entries[1], IDC_ENTRY_TITLE_LINK));
    EXPECT_EQ(title.left - WindowRectOf(entries[1]).left, 2 * 112);
    EXPECT_EQ(title.right - title.left, 2 * 156);

    // An item after the change gets an entry at the new DPI too.
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"金价回落"), GetDesktopWindow()), 1);
    Settle(popup);
    EXPECT_NEAR(Height(WindowRectOf(EntryWindows(popup.Hwnd()).back())), 2 * entryHeight, 1);
    EXPECT_EQ(WindowRectOf(popup.Hwnd()).bottom, work.bottom);
}

TEST(QuickInform, GrowsToHalfTheWorkAreaThenScrollsNewEntriesIn) {
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    const RECT work = WorkArea();
    int previousHeight = 0;
    bool full = false;
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(popup.AddNews(Item(kStocks.guid, L"沪指午后翻红 " + std::to_wstring(i)), GetDesktopWindow()), 1);
        const int height = Height(WindowRectOf(popup.Hwnd()));
        const int entryHeight = Height(WindowRectOf(EntryWindows(popup.Hwnd()).back()));
        if (!full) {
            if (i > 0) {
                EXPECT_EQ(height, previousHeight + entryHeight) << "grows by one entry";
            }
            full = height >= Height(work) / 2;
        } else {
            EXPECT_EQ(height, previousHeight) << "a full window keeps its size";
            // The new entry waits below the newest and scrolls in 40 pixels a step.
            const std::vector<HWND> entries = EntryWindows(popup.Hwnd());
            const RECT newest = WindowRectOf(entries.back());
            EXPECT_GT(newest.bottom, WindowRectOf(popup.Hwnd()).bottom);
            Tick(popup);
            EXPECT_EQ(WindowRectOf(entries.back()).top, newest.top - 40);
        }
        Settle(popup);
        const RECT window = WindowRectOf(popup.Hwnd());
        EXPECT_LE(window.bottom, work.bottom);
        EXPECT_LE(WindowRectOf(EntryWindows(popup.Hwnd()).back()).bottom, window.bottom) << "newest in view";
        previousHeight = Height(window);
    }
    EXPECT_TRUE(full);
    EXPECT_LT(previousHeight, Height(work) / 2 + Height(WindowRectOf(EntryWindows(popup.Hwnd()).back())));
}

TEST(QuickInform, ScrolledOutEntriesCloseOnePerStepOnceFiveWereAdded) {
    const RECT screen = WorkArea();
    // A low work area: the window is full after two entries, long before five were added.
    const ScopedWorkArea lowDesktop({screen.left, screen.top, screen.right, screen.top + 300});
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    std::vector<HWND> added;
    for (int i = 1; i <= 8; ++i) {
        ASSERT_EQ(popup.AddNews(Item(kFutures.guid, L"螺纹钢期货 " + std::to_wstring(i)), GetDesktopWindow()), 1);
        added.push_back(EntryWindows(popup.Hwnd()).back());
        for (int ticks = 0; ticks < 100; ++ticks) {
            const std::size_t before = popup.EntryCount();
            Tick(popup);
            ASSERT_LE(before - popup.EntryCount(), 1u) << "at most one entry closes per step";
            if (i < 5) {
                ASSERT_EQ(popup.EntryCount(), added.size()) << "nothing closes before five were added";
            }
        }
        if (i == 4) {
            POINT clientTop{0, 0};
            ClientToScreen(popup.Hwnd(), &clientTop);
            EXPECT_LE(WindowRectOf(added.front()).bottom, clientTop.y) << "the oldest is out of view, yet open";
        }
        if (i >= 5) {
            EXPECT_LT(popup.EntryCount(), added.size()) << "scrolled-out entries closed";
        }
    }
    // What was closed had scrolled out above the client area; the rest are the open entries.
    std::size_t open = 0;
    for (HWND entry : added) open += IsWindow(entry) ? 1 : 0;
    EXPECT_EQ(open, popup.EntryCount());
    EXPECT_TRUE(IsWindow(added.back()));
}

TEST(QuickInform, ItemsFasterThanTheMotionKeepTheEntriesAndWindowsBounded) {
    // Headlines in a burst, the loop pumped only briefly between them, so the 30 ms steps fall far behind.
    const PopupFolder folder;
    CQuickInform popup;
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"快讯"), GetDesktopWindow()), 1);
    const DWORD windowsWithOneEntry = WindowsOfThisProcess();
    std::size_t mostEntries = 0;
    DWORD mostWindows = 0;
    HWND newest = nullptr;
    for (int i = 0; i < 400; ++i) {
        ASSERT_EQ(popup.AddNews(Item(i % 2 ? kForex.guid : kStocks.guid, L"快讯 " + std::to_wstring(i)),
                                GetDesktopWindow()),
                  1);
        newest = EntryWindows(popup.Hwnd()).back();
        if (i % 4 == 3) PumpPending();
        mostEntries = std::max(mostEntries, popup.EntryCount());
        mostWindows = std::max(mostWindows, WindowsOfThisProcess());
    }
    RECT view{};
    GetClientRect(popup.Hwnd(), &view);
    const int entryHeight = Height(WindowRectOf(newest));
    // The view's worth on show, at most as much again waiting below it, a few on their way out.
    const std::size_t bound = 2 * static_cast<std::size_t>(Height(view) / entryHeight + 1) + 5;
    EXPECT_LE(mostEntries, bound) << "entries live at once";
    DWORD windowsPerEntry = 1;  // the entry and its controls
    EnumChildWindows(newest, [](HWND, LPARAM n) -> BOOL { return ++*reinterpret_cast<DWORD*>(n), TRUE; },
                     reinterpret_cast<LPARAM>(&windowsPerEntry));
    EXPECT_LE(mostWindows, windowsWithOneEntry + (bound - 1) * windowsPerEntry) << "windows at once";

    ASSERT_TRUE(PumpUntil([&] { return WindowRectOf(newest).bottom <= WindowRectOf(popup.Hwnd()).bottom; }, 5000))
        << "the newest item scrolls into view";
    EXPECT_EQ(EntryWindows(popup.Hwnd()).back(), newest);
}

TEST(QuickInform, StayTimerClosesTheWindowAndEveryEntryAndTheNextItemOpensAgain) {
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    for (int i = 0; i < 3; ++i) popup.AddNews(Item(kGold.guid, L"金价 " + std::to_wstring(i)), GetDesktopWindow());
    Settle(popup);
    const std::vector<HWND> entries = EntryWindows(popup.Hwnd());
    ASSERT_EQ(entries.size(), 3u);

    Tick(popup, CQuickInform::kStayTimer);
    EXPECT_EQ(popup.Hwnd(), nullptr);
    EXPECT_EQ(popup.EntryCount(), 0u);
    for (HWND entry : entries) EXPECT_FALSE(IsWindow(entry));

    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"金价再涨"), GetDesktopWindow()), 1);
    EXPECT_EQ(EntryWindows(popup.Hwnd()).size(), 1u);
    EXPECT_GT(WindowRectOf(popup.Hwnd()).bottom, WorkArea().bottom) << "opens at the bottom again";
}

TEST(QuickInform, NewItemWhileWaitingRestartsTheMotionAndThenTheFullStay) {
    // Real timers: 10 ms steps, and the gold stay of 30 s shortened to two seconds. A busy machine only
    // delays timers, so the checks below can miss a fault under load but never report one that is not there.
    const PopupFolder folder;
    CQuickInform popup({10, 15});
    const RECT work = WorkArea();
    auto settled = [&] {
        const HWND hwnd = popup.Hwnd();
        return hwnd && WindowRectOf(hwnd).bottom <= work.bottom;
    };
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"金价 1"), GetDesktopWindow()), 1);
    ASSERT_TRUE(PumpUntil(settled, 3000));
    Pump(400);
    ASSERT_TRUE(popup.Hwnd()) << "still waiting";

    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"金价 2"), GetDesktopWindow()), 1);
    ASSERT_TRUE(PumpUntil(settled, 3000));
    const DWORD secondSettled = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return popup.Hwnd() == nullptr; }, 8000));
    // The first stay would have ended about 1.5 s after the second motion.
    EXPECT_GE(GetTickCount() - secondSettled, 1900u) << "the stay counts again from the end of the second motion";
}

TEST(QuickInform, SwitchedOffItemsOpenNothing) {
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    folder.Write({{L"Show", L"0"}});
    EXPECT_EQ(popup.AddNews(Item(kForex.guid, L"外汇"), GetDesktopWindow()), 1);
    EXPECT_EQ(popup.Hwnd(), nullptr);
    folder.Write({{L"Show", L"1"}, {L"Fx168Show", L"0"}});
    EXPECT_EQ(popup.AddNews(Item(kForex.guid, L"外汇"), GetDesktopWindow()), 1);
    EXPECT_EQ(popup.Hwnd(), nullptr);
    EXPECT_EQ(popup.AddNews(Item(kGold.guid, L"黄金"), GetDesktopWindow()), 1);
    EXPECT_TRUE(popup.Hwnd());
}

TEST(QuickInform, ABatchGetsEntriesForItsNewestAnnouncedItemsOnly) {
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    folder.Write({{L"Show", L"1"}, {L"Fx168Show", L"0"}});
    std::vector<NewsItem> burst;
    for (int i = 0; i < 30; ++i) burst.push_back(Item(kGold.guid, L"金价 " + std::to_wstring(i)));
    for (int i = 0; i < 5; ++i) burst.push_back(Item(kForex.guid, L"外汇 " + std::to_wstring(i)));  // switched off
    ASSERT_EQ(popup.AddNewsBatch(burst, GetDesktopWindow()), 1);
    ASSERT_EQ(popup.EntryCount(), CQuickInform::kBurstEntries);
    std::vector<std::wstring> titles;
    for (HWND entry : EntryWindows(popup.Hwnd())) {
        wchar_t text[64]{};
        GetWindowTextW(FindWindowExW(entry, nullptr, L"SysLink", nullptr), text, 64);
        titles.emplace_back(text);
    }
    EXPECT_EQ(titles.front(), L"<a>金价 20</a>") << "the oldest entry shown";
    EXPECT_EQ(titles.back(), L"<a>金价 29</a>") << "the newest announced item, not a switched-off one";
}

// The user's own program, active and typing.
class UsersWindow {
public:
    UsersWindow()
        : hwnd_(CreateWindowExW(0, L"EDIT", L"order", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr,
                                nullptr, nullptr, nullptr)) {
        SetForegroundWindow(hwnd_);
        SetFocus(hwnd_);
        Pump(100);
    }
    ~UsersWindow() { DestroyWindow(hwnd_); }
    HWND Hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
};

TEST(QuickInform, NeverTakesTheForegroundOrTheKeyboard) {
    const PopupFolder folder;
    const UsersWindow user;
    ASSERT_EQ(GetForegroundWindow(), user.Hwnd());
    CQuickInform popup({10, 1});
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(popup.AddNews(Item(kStocks.guid, L"个股异动 " + std::to_wstring(i)), GetDesktopWindow()), 1);
        Pump(150);
        EXPECT_EQ(GetForegroundWindow(), user.Hwnd()) << "after item " << i;
        EXPECT_EQ(GetActiveWindow(), user.Hwnd()) << "after item " << i;
        EXPECT_EQ(GetFocus(), user.Hwnd()) << "after item " << i;
    }
}

TEST(QuickInform, KeyboardClosesItLikeTheCloseArea) {
    const PopupFolder folder;
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
    };
    // Posted, so they pass through the program's loop and its dialog keys as a key press would.
    const Case cases[] = {{"Esc", WM_KEYDOWN, VK_ESCAPE}, {"Alt+F4", WM_SYSCOMMAND, SC_CLOSE}};
    for (const Case& c : cases) {
        CQuickInform popup(kStepsByHand);
        popup.AddNews(Item(kForex.guid, L"外汇"), GetDesktopWindow());
        const HWND entry = EntryWindows(popup.Hwnd()).front();
        PostMessageW(popup.Hwnd(), c.message, c.wParam, 0);
        EXPECT_TRUE(PumpUntil([&] { return popup.Hwnd() == nullptr; }, 1000)) << c.what;
        EXPECT_FALSE(IsWindow(entry)) << c.what;
    }
}

void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// Presses at from, moves to to and releases there, from another thread as a user's hand would: a drag runs
// a modal loop on the window's thread until the button comes up.
void PressMoveRelease(POINT from, POINT to) {
    std::atomic<bool> done{false};
    std::thread hand([from, to, &done] {
        SetCursorPos(from.x, from.y);
        Sleep(100);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(200);
        for (int step = 1; step <= 5; ++step) {
            SetCursorPos(from.x + (to.x - from.x) * step / 5, from.y + (to.y - from.y) * step / 5);
            SendMouse(MOUSEEVENTF_MOVE);
            Sleep(50);
        }
        SendMouse(MOUSEEVENTF_LEFTUP);
        done = true;
    });
    PumpUntil([&done] { return done.load(); }, 10'000);
    hand.join();
    Pump(200);
}

TEST(QuickInform, TitleBandDragsButItsCloseAreaCloses) {
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    popup.AddNews(Item(kForex.guid, L"外汇"), GetDesktopWindow());
    Settle(popup);
    const RECT before = WindowRectOf(popup.Hwnd());

    // A press on the band outside the close area moves the window with the pointer.
    PressMoveRelease({before.left + 60, before.top + 8}, {before.left + 10, before.top - 42});
    ASSERT_TRUE(popup.Hwnd());
    const RECT dragged = WindowRectOf(popup.Hwnd());
    EXPECT_EQ(dragged.left, before.left - 50);
    EXPECT_EQ(dragged.top, before.top - 50);

    // In the close area the press starts no drag, and the release there closes the window.
    const HWND entry = EntryWindows(popup.Hwnd()).front();
    const HWND hwnd = popup.Hwnd();
    const POINT close{dragged.right - 20, dragged.top + 12};
    RECT whilePressed{};
    std::atomic<bool> done{false};
    std::thread hand([&] {
        SetCursorPos(close.x, close.y);
        Sleep(100);
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(100);
        SetCursorPos(close.x - 100, close.y + 100);
        SendMouse(MOUSEEVENTF_MOVE);
        Sleep(200);
        GetWindowRect(hwnd, &whilePressed);
        SetCursorPos(close.x, close.y);
        SendMouse(MOUSEEVENTF_MOVE);
        Sleep(100);
        SendMouse(MOUSEEVENTF_LEFTUP);
        done = true;
    });
    PumpUntil([&done] { return done.load(); }, 10'000);
    hand.join();
    EXPECT_TRUE(Same(whilePressed, dragged)) << "no drag from the close area";
    EXPECT_TRUE(PumpUntil([&] { return popup.Hwnd() == nullptr; }, 1000));
    EXPECT_FALSE(IsWindow(entry));
}

TEST(QuickInform, ThousandEntriesAlertsAmongThemLeaveTheHandleCountsWhereTheyWere) {
    // A low work area keeps the window short, so most entries scroll in and out in a few steps.
    const RECT screen = WorkArea();
    const ScopedWorkArea lowDesktop({screen.left, screen.top, screen.right, screen.top + 200});
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    auto round = [&popup](int items, int first) {
        for (int i = first; i < first + items; ++i) {
            const std::wstring title = L"快讯 " + std::to_wstring(i);
            // Every fourth a keyword alert, with its own fonts and highlight; some of those clicked.
            const alerts::AlertMatch alert = Alert(title, {L"快讯"}, i % 8 == 0);
            popup.AddNews(Item(i % 2 ? kGold.guid : kStocks.guid, title, i % 3 ? L"http://news.example/" : L""),
                          GetDesktopWindow(), i % 4 == 0 ? &alert : nullptr);
            if (i % 12 == 0) Click(EntryWindows(popup.Hwnd()).back());  // an alert without a link
            Settle(popup);  // with more than five added, scrolled-out entries close here
            if (i % 50 == 49) popup.Destroy();  // the stay timer's end, closing every entry at once
        }
        popup.Destroy();
        Pump(50);
    };
    round(50, 0);  // first use: the fonts, pictures and classes the platform keeps once loaded
    const HandleCounts before = CurrentHandleCounts();
    round(1000, 50);
    const HandleCounts after = CurrentHandleCounts();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
}

}  // namespace
