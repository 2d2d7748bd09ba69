// Keyword alerts in the pop-up: announced whatever the switches say, highlighted, never dropped from a
// burst, heard through their own sound, and holding the window open until the user clicks them. (The
// handle budget over many alert entries is kept by the pop-up's thousand-entries test.)
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "popup/QIUnit.h"
#include "popup/QuickInform.h"
#include "res/resource.h"
#include "tests/windows/framework/CapturedDiagnostics.h"
#include "tests/windows/popup/PopupFixture.h"

namespace {

const std::wstring kFedText = L"美联储宣布加息25个基点，EUR/USD 快速走低";

std::wstring WindowText(HWND hwnd) {
    wchar_t text[256]{};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

bool ShowsATitleControl(HWND entry) {
    return (GetWindowLongW(GetDlgItem(entry, IDC_ENTRY_TITLE_LINK), GWL_STYLE) & WS_VISIBLE) ||
           (GetWindowLongW(GetDlgItem(entry, IDC_ENTRY_TITLE_TEXT), GWL_STYLE) & WS_VISIBLE);
}

// An entry's own painting (its background with the highlight and a drawn title; no child controls), as
// pixels that GetPixel reads.
class PaintedEntry {
public:
    explicit PaintedEntry(HWND entry) : screen_(GetDC(nullptr)), dc_(CreateCompatibleDC(screen_)) {
        RECT client{};
        GetClientRect(entry, &client);
        bitmap_ = CreateCompatibleBitmap(screen_, client.right, client.bottom);
        previous_ = SelectObject(dc_, bitmap_);
        SendMessageW(entry, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc_), 0);
    }
    ~PaintedEntry() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // Pixels in the title's place much darker than the background there: glyphs.
    int DarkPixelsInTitle() const {
        int dark = 0;
        for (int y = 10; y < 40; ++y)
            for (int x = 112; x < 268; ++x) dark += GetGValue(At(x, y)) < 140 ? 1 : 0;
        return dark;
    }

private:
    HDC screen_;
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

TEST(PopupAlerts, AnnouncedHighlightedWhenItsCategoryOrThePopUpIsSwitchedOff) {
    const PopupFolder folder;
    struct Case {
        const char* what;
        PropertyKeys keys;
    };
    const Case cases[] = {{"forex switched off", {{L"Show", L"1"}, {L"Fx168Show", L"0"}}},
                          {"pop-up switched off", {{L"Show", L"0"}, {L"Fx168Show", L"1"}}}};
    for (const Case& c : cases) {
        folder.Write(c.keys);
        CQuickInform popup(kStepsByHand);
        ASSERT_EQ(popup.AddNews(Item(kForex.guid, L"欧元走低"), GetDesktopWindow()), 1) << c.what;
        EXPECT_EQ(popup.Hwnd(), nullptr) << c.what << ": an ordinary item stays quiet";

        const alerts::AlertMatch alert = Alert(L"美联储宣布加息", {L"美联储", L"加息"});
        ASSERT_EQ(popup.AddNews(Item(kForex.guid, L"<b>美联储</b>宣布加息"), GetDesktopWindow(), &alert), 1)
            << c.what;
        ASSERT_TRUE(popup.Hwnd()) << c.what;
        ASSERT_EQ(popup.EntryCount(), 1u) << c.what;
        const HWND entry = EntryWindows(popup.Hwnd()).front();
        EXPECT_FALSE(ShowsATitleControl(entry)) << c.what << ": the entry draws the title itself";
        EXPECT_EQ(WindowText(entry), L"美联储宣布加息") << c.what << ": the visible text, not the markup";
        popup.Destroy();
    }
}

TEST(PopupAlerts, TheEntryHasAnAmberBandAWarmTintAndItsTitle) {
    const PopupFolder folder;
    CQuickInform popup(kStepsByHand);
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"金价回落"), GetDesktopWindow()), 1);
    const alerts::AlertMatch fed = Alert(kFedText, {L"美联储", L"加息"});
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, kFedText, L""), GetDesktopWindow(), &fed), 1);
    const std::vector<HWND> entries = EntryWindows(popup.Hwnd());
    ASSERT_EQ(entries.size(), 2u);
    const PaintedEntry ordinary(entries[0]), alert(entries[1]);
    for (int y : {2, 30, 60}) {
        const COLORREF band = alert.At(1, y);
        EXPECT_TRUE(GetRValue(band) > 0xD0 && GetGValue(band) > 0x70 && GetGValue(band) < 0xC0 &&
                    GetBValue(band) < 0x40)
            << "amber at the left edge, row " << y << ": " << std::hex << band;
        EXPECT_NE(ordinary.At(1, y), band) << "no band on an ordinary entry";
    }
    // Beside the band the skin shows through, warmer: red kept, blue taken down.
    for (const POINT p : {POINT{8, 5}, POINT{200, 4}, POINT{100, 55}}) {
        const COLORREF plain = ordinary.At(p.x, p.y), tinted = alert.At(p.x, p.y);
        EXPECT_GE(GetRValue(tinted) + 8, GetRValue(plain)) << p.x << "," << p.y;
        EXPECT_LT(GetBValue(tinted) + 20, GetBValue(plain)) << p.x << "," << p.y;
        EXPECT_GT(GetBValue(tinted), 0x60) << p.x << "," << p.y << ": a tint, not a fill";
    }
    EXPECT_GT(alert.DarkPixelsInTitle(), 100) << "the alert's title is drawn";
    EXPECT_EQ(ordinary.DarkPixelsInTitle(), 0) << "an ordinary title is its control's";
}

TEST(PopupAlerts, OneSoundPerBatchAndTheAlertSoundFirst) {
    const PopupFolder folder;  // Sound=0: the first choice, 164
    struct Case {
        const char* what;
        PropertyKeys keys;
        const char* batch;  // o: an ordinary item, a: an alert with sound, s: a silent alert
        std::vector<int> sounds;
    };
    const Case cases[] = {
        {"ordinary items", {}, "oo", {164}},
        {"the second choice", {{L"Sound", L"1"}}, "o", {163}},
        {"an alert among ordinary items", {{L"Sound", L"0"}}, "oao", {165}},
        {"a silent alert alone", {}, "s", {}},
        {"a silent alert with an ordinary item", {}, "so", {164}},
        {"a silent and a loud alert", {}, "sa", {165}},
        {"an alert, the pop-up switched off", {{L"Show", L"0"}}, "oa", {165}},
        {"a silent alert, the pop-up switched off", {{L"Show", L"0"}}, "os", {}},
    };
    for (const Case& c : cases) {
        folder.Write(kAllSwitchesOn);
        folder.Write(c.keys);
        std::vector<int> played;
        CQuickInform popup(kStepsByHand, [&played](int sound) { played.push_back(sound); });
        std::vector<NewsItem> items;
        std::vector<std::optional<alerts::AlertMatch>> alerts;
        for (const char* kind = c.batch; *kind; ++kind) {
            items.push_back(Item(kStocks.guid, L"沪指收涨"));
            if (*kind == 'o')
                alerts.push_back(std::nullopt);
            else
                alerts.push_back(Alert(L"沪指收涨", {L"沪指"}, *kind == 'a'));
        }
        ASSERT_EQ(popup.AddNewsBatch(items, GetDesktopWindow(), alerts), 1) << c.what;
        EXPECT_EQ(played, c.sounds) << c.what;
        popup.Destroy();
    }
}

TEST(PopupAlerts, ABurstKeepsItsAlertsHoweverOldInArrivalOrder) {
    const PopupFolder folder;
    folder.Write({{L"HexunShow", L"0"}});  // gold switched off: its alerts come through all the same
    CQuickInform popup(kStepsByHand);
    std::vector<NewsItem> burst;
    std::vector<std::optional<alerts::AlertMatch>> alerts(50);
    for (int i = 0; i < 50; ++i) burst.push_back(Item(kStocks.guid, L"个股 " + std::to_wstring(i)));
    for (int i : {1, 3}) {
        burst[i] = Item(kGold.guid, L"黄金 警报 " + std::to_wstring(i));
        alerts[i] = Alert(burst[i].title, {L"黄金"});
    }
    ASSERT_EQ(popup.AddNewsBatch(burst, GetDesktopWindow(), alerts), 1);
    ASSERT_EQ(popup.EntryCount(), CQuickInform::kBurstEntries);
    const std::vector<HWND> entries = EntryWindows(popup.Hwnd());
    ASSERT_EQ(entries.size(), CQuickInform::kBurstEntries);
    EXPECT_EQ(WindowText(entries[0]), L"黄金 警报 1");
    EXPECT_EQ(WindowText(entries[1]), L"黄金 警报 3");
    for (std::size_t i = 2; i < entries.size(); ++i) {
        const std::wstring expected = L"<a>个股 " + std::to_wstring(40 + i) + L"</a>";
        EXPECT_EQ(WindowText(GetDlgItem(entries[i], IDC_ENTRY_TITLE_LINK)), expected) << "the newest ordinary items";
    }
}

TEST(PopupAlerts, AnAlertOutlastsTheStayTimeUntilClickedThenTheStayRunsAgain) {
    // Real timers: the forex stay of 5 s shortened to 100 ms. A busy machine only delays timers, so the
    // checks can miss a fault under load but never report one that is not there.
    const PopupFolder folder;
    const CapturedDiagnostics diagnostics;
    const QuickInformIntervals quick{10, 50};
    CQuickInform ordinary(quick), alerting(quick);
    ASSERT_EQ(ordinary.AddNews(Item(kForex.guid, L"欧元走低"), GetDesktopWindow()), 1);
    ASSERT_EQ(alerting.AddNews(Item(kForex.guid, L"欧元走低"), GetDesktopWindow()), 1);
    // A link the server-link helper refuses, with a diagnostic line: the test opens no browser.
    const alerts::AlertMatch fed = Alert(kFedText, {L"EUR", L"USD"});
    ASSERT_EQ(alerting.AddNews(Item(kForex.guid, kFedText, L"calc.exe"), GetDesktopWindow(), &fed), 1);
    ASSERT_TRUE(PumpUntil([&] { return ordinary.Hwnd() == nullptr; }, 5000)) << "an ordinary pop-up closes";
    Pump(800);
    ASSERT_TRUE(alerting.Hwnd()) << "the alert holds its pop-up open";
    ASSERT_EQ(alerting.EntryCount(), 2u);

    const HWND alertEntry = EntryWindows(alerting.Hwnd()).back();
    Click(EntryWindows(alerting.Hwnd()).front());
    Pump(400);
    EXPECT_TRUE(alerting.Hwnd()) << "a click on the ordinary entry acknowledges nothing";
    EXPECT_TRUE(CapturedDiagnostics::Lines().empty());

    const DWORD clicked = GetTickCount();
    Click(alertEntry);
    EXPECT_TRUE(CapturedDiagnostics::OneLineWith({L"calc.exe"})) << "the click went to the link helper";
    ASSERT_TRUE(PumpUntil([&] { return alerting.Hwnd() == nullptr; }, 5000)) << "the stay runs after the click";
    EXPECT_GE(GetTickCount() - clicked, 90u) << "a whole stay time";
}

TEST(PopupAlerts, AnAlertScrolledOutOfViewHoldsNothing) {
    const RECT screen = WorkArea();
    // A low work area: three later entries scroll the alert out at the top, too few for scrolled-out
    // entries to close, so the alert's entry is still there, out of view.
    const ScopedWorkArea lowDesktop({screen.left, screen.top, screen.right, screen.top + 300});
    const PopupFolder folder;
    CQuickInform popup({10, 50});
    const alerts::AlertMatch payrolls = Alert(L"非农", {L"非农"});
    ASSERT_EQ(popup.AddNews(Item(kForex.guid, L"非农"), GetDesktopWindow(), &payrolls), 1);
    const HWND alertEntry = EntryWindows(popup.Hwnd()).front();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(popup.AddNews(Item(kForex.guid, L"外汇 " + std::to_wstring(i)), GetDesktopWindow()), 1);
    auto alertOutOfView = [&] {
        return !popup.Hwnd() || WindowRectOf(alertEntry).bottom <= WindowRectOf(popup.Hwnd()).top;
    };
    ASSERT_TRUE(PumpUntil(alertOutOfView, 5000));
    EXPECT_TRUE(IsWindow(alertEntry));
    EXPECT_TRUE(PumpUntil([&] { return popup.Hwnd() == nullptr; }, 8000));
}

}  // namespace
