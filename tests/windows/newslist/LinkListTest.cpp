// The list window under Wine, which has no browser engine: the list is created over its placeholder,
// finds that the page never completes, and serves every operation with its native form.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <optional>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Sessions.h"
#include "framework/platform/Diagnostics.h"
#include "framework/platform/Text.h"
#include "newslist/LinkListViewEx.h"
#include "newslist/NativeNewsList.h"
#include "newslist/NewsListText.h"
#include "tests/windows/controls/SkinFixture.h"
#include "tests/windows/support/HandleCounts.h"
#include "tests/windows/support/MessagePump.h"
#include "tests/windows/support/Screenshot.h"
#include "tests/windows/support/TestFolders.h"

namespace {

constexpr int kPlaceholderId = 1061;
constexpr RECT kPlaceholder{12, 40, 12 + 474, 40 + 290};  // the list is 474 × 300 once raised
constexpr UINT kShortPageWait = 200;

// A plain top-level window holding the placeholder, as the main window does.
class ParentWindow {
public:
    ParentWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvaneListTestParent";
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        RegisterClassW(&windowClass);
        hwnd = CreateWindowExW(0, windowClass.lpszClassName, L"news list", WS_POPUP | WS_VISIBLE, 20, 20, 500, 350,
                               nullptr, nullptr, windowClass.hInstance, nullptr);
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD, kPlaceholder.left, kPlaceholder.top,
                        kPlaceholder.right - kPlaceholder.left, kPlaceholder.bottom - kPlaceholder.top, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPlaceholderId)), windowClass.hInstance, nullptr);
    }
    ~ParentWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

// A local time as the publish time it stands for.
std::int64_t LocalTime(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

NewsItem Headline(const std::wstring& title, const std::wstring& link = L"http://news.example/") {
    NewsItem item;
    item.publishTime = LocalTime(2011, 9, 6, 9, 5);
    item.title = title;
    item.link = link;
    return item;
}

// Whether the picture in the middle of the list changes within a second or so.
bool BusyPictureMoves(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    const auto centreHash = [&] {
        unsigned long long hash = 0;
        for (int y = client.bottom / 2 - 16; y < client.bottom / 2 + 16; ++y)
            for (int x = client.right / 2 - 16; x < client.right / 2 + 16; ++x)
                hash = hash * 1099511628211ULL + WindowPixel(list, x, y);
        return hash;
    };
    const unsigned long long first = centreHash();
    for (int i = 0; i < 20; ++i) {
        Pump(60);
        if (centreHash() != first) return true;
    }
    return false;
}

class NativeListTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(list.CreateFromPlaceholder(parent.hwnd, kPlaceholderId, 20));
        for (int waited = 0; !list.IsNative() && waited < 5000; waited += 50) Pump(50);
        ASSERT_TRUE(list.IsNative()) << "the page completed: is there a browser engine here?";
        native = list.NativeList();
        ASSERT_NE(native, nullptr);
    }

    std::vector<std::wstring> Titles() const {
        const auto titles = native->Titles();
        return {titles.begin(), titles.end()};
    }

    POINT TitleCentre(std::size_t row) const {
        const RECT r = native->TitleRect(row);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    void Click(POINT at) {
        SendMessageW(native->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(native->Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(native->Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }

    void Repaint() { RedrawWindow(native->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

    fw::OleSession ole;
    fw::GdiplusSession gdiplus;
    ParentWindow parent;
    CLinkListViewEx list{kShortPageWait};
    CNativeNewsList* native = nullptr;
};

TEST(LinkListCreation, FailsWithoutParentOrPlaceholder) {
    const fw::OleSession ole;
    ParentWindow parent;
    CLinkListViewEx list(kShortPageWait);
    EXPECT_FALSE(list.CreateFromPlaceholder(nullptr, kPlaceholderId, 20));
    EXPECT_FALSE(list.CreateFromPlaceholder(parent.hwnd, 4321, 20));
    EXPECT_EQ(list.Window(), nullptr);
    EXPECT_NE(GetDlgItem(parent.hwnd, kPlaceholderId), nullptr) << "a failed creation keeps the placeholder";
    // Operations on a list that does not exist do nothing, and say so.
    EXPECT_TRUE(list.AddUnit(Headline(L"before")));
    EXPECT_EQ(list.ClearList(), S_FALSE);
}

TEST(LinkListCreation, TakesThePlaceholdersPlaceRaisedByTenPixels) {
    const fw::OleSession ole;
    ParentWindow parent;
    CLinkListViewEx list(kShortPageWait);
    ASSERT_TRUE(list.CreateFromPlaceholder(parent.hwnd, kPlaceholderId, 20));
    EXPECT_EQ(GetDlgItem(parent.hwnd, kPlaceholderId), nullptr);
    EXPECT_EQ(GetParent(list.Window()), parent.hwnd);
    EXPECT_TRUE(IsWindowVisible(list.Window()));
    RECT area{};
    GetWindowRect(list.Window(), &area);
    MapWindowPoints(nullptr, parent.hwnd, reinterpret_cast<POINT*>(&area), 2);
    const RECT expected{kPlaceholder.left, kPlaceholder.top - 10, kPlaceholder.right, kPlaceholder.bottom};
    EXPECT_TRUE(EqualRect(&area, &expected)) << area.left << "," << area.top << "," << area.right << "," << area.bottom;
    EXPECT_FALSE(list.CreateFromPlaceholder(parent.hwnd, kPlaceholderId, 20)) << "created once";
}

TEST(LinkListCreation, RowsAddedWhileThePageLoadsAreShownAfterTheSwitch) {
    const fw::OleSession ole;
    ParentWindow parent;
    CLinkListViewEx list(kShortPageWait);
    ASSERT_TRUE(list.CreateFromPlaceholder(parent.hwnd, kPlaceholderId, 20));
    ASSERT_FALSE(list.IsNative());
    EXPECT_TRUE(list.AddUnit(Headline(L"first")));
    EXPECT_TRUE(list.AddUnit(Headline(L"second")));
    for (int waited = 0; !list.IsNative() && waited < 5000; waited += 50) Pump(50);
    ASSERT_TRUE(list.IsNative());
    EXPECT_TRUE(IsWindowVisible(list.NativeList()->Hwnd()));
    const auto titles = list.NativeList()->Titles();
    EXPECT_EQ(std::vector<std::wstring>(titles.begin(), titles.end()), (std::vector<std::wstring>{L"second", L"first"}));
}

TEST_F(NativeListTest, NewestOnTopWithinTheRowLimit) {
    EXPECT_EQ(list.SetMaxRows(3), S_OK);
    for (const wchar_t* title : {L"1", L"2", L"3", L"4", L"5"}) EXPECT_TRUE(list.AddUnit(Headline(title)));
    EXPECT_EQ(Titles(), (std::vector<std::wstring>{L"5", L"4", L"3"}));

    // A lowered limit leaves the rows alone, and each new row then replaces only one.
    EXPECT_EQ(list.SetMaxRows(1), S_OK);
    EXPECT_TRUE(list.AddUnit(Headline(L"6")));
    EXPECT_EQ(Titles(), (std::vector<std::wstring>{L"6", L"5", L"4"}));

    EXPECT_EQ(list.PopUnit(true), S_OK);
    EXPECT_EQ(list.PopUnit(false), S_OK);
    EXPECT_EQ(Titles(), (std::vector<std::wstring>{L"5"}));
    EXPECT_EQ(list.ClearList(), S_OK);
    EXPECT_TRUE(Titles().empty());
    EXPECT_EQ(list.PopUnit(true), S_OK);
    EXPECT_EQ(list.PopUnit(false), S_OK);
    EXPECT_EQ(list.ClearList(), S_OK);
    EXPECT_TRUE(Titles().empty());
}

TEST_F(NativeListTest, TimesOutsideTheConversionRangeAddNoRow) {
    NewsItem before = Headline(L"before 1970");
    before.publishTime = -1;
    NewsItem after = Headline(L"after 3000");
    after.publishTime = 32535215999 + 1;
    EXPECT_FALSE(list.AddUnit(before));
    EXPECT_FALSE(list.AddUnit(after));
    EXPECT_TRUE(Titles().empty());
}

TEST_F(NativeListTest, TitlesShowTheirTextWithoutMarkup) {
    EXPECT_TRUE(list.AddUnit(Headline(L"<b>黄金</b>现货 &amp; <font color=red>期货</font><script>x()</script>")));
    EXPECT_EQ(Titles(), (std::vector<std::wstring>{L"黄金现货 & 期货"}));
}

TEST_F(NativeListTest, LongTitlesWrapInsideTheListAndScrollWhenTheyDoNotFit) {
    const std::wstring longTitle = L"央行公开市场今日净投放资金300亿元，市场流动性保持合理充裕，短端利率小幅下行，债市情绪回暖";
    for (int i = 0; i < 20; ++i) list.AddUnit(Headline(longTitle));
    Repaint();
    RECT client{};
    GetClientRect(native->Hwnd(), &client);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(native->Hwnd(), SB_VERT, &info));
    EXPECT_GT(info.nMax + 1, static_cast<int>(info.nPage)) << "twenty wrapped rows do not fit";
    for (std::size_t row = 0; row < 20; ++row) {
        const RECT title = native->TitleRect(row);
        EXPECT_LE(title.right, client.right) << "row " << row << " measured for a width without the scroll bar";
        EXPECT_GT(title.bottom - title.top, 20) << "row " << row << " wraps to two lines";
    }
    SendMessageW(native->Hwnd(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_LE(native->TitleRect(19).bottom, client.bottom);
    EXPECT_LT(native->TitleRect(0).top, 0);
    // Rows cleared away leave nothing to scroll.
    list.ClearList();
    list.AddUnit(Headline(L"short"));
    EXPECT_EQ(native->TitleRect(0).top, 3);
}

TEST_F(NativeListTest, WheelDeltasBelowANotchAddUpToWhatANotchScrolls) {
    for (int i = 0; i < 20; ++i) list.AddUnit(Headline(L"快讯 " + std::to_wstring(i)));
    Repaint();
    const auto wheel = [&](int delta) {
        SendMessageW(native->Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
    };
    const int top = native->TitleRect(0).top;
    wheel(-WHEEL_DELTA);
    const int notch = top - native->TitleRect(0).top;
    ASSERT_GT(notch, 0) << "a notch towards the user scrolls down";
    wheel(WHEEL_DELTA);
    ASSERT_EQ(native->TitleRect(0).top, top);

    // A precision touchpad: the same turn in deltas of 30, 15 and 1.
    for (const int step : {30, 15, 1}) {
        for (int turned = 0; turned < WHEEL_DELTA; turned += step) wheel(-step);
        EXPECT_EQ(top - native->TitleRect(0).top, notch) << "deltas of " << step;
        for (int turned = 0; turned < WHEEL_DELTA; turned += step) wheel(step);
        EXPECT_EQ(native->TitleRect(0).top, top) << "deltas of " << step;
    }
}

// Links that OpenServerLink refuses leave a diagnostic line naming them, so a click can be seen to
// reach it with the exact link and without starting anything.
std::vector<std::wstring> g_diagnostics;
void RecordDiagnostic(const std::wstring& text) { g_diagnostics.push_back(text); }

TEST_F(NativeListTest, ClickingATitleOpensItsLinkThroughTheServerLinkHelper) {
    g_diagnostics.clear();
    platform::SetDiagnosticSink(RecordDiagnostic);
    const std::wstring lower = L"file:///C:/Windows/System32/calc.exe";
    const std::wstring upper = L"javascript:alert(\"x\")";
    list.AddUnit(Headline(L"lower row", lower));
    list.AddUnit(Headline(L"upper row", upper));
    Repaint();

    Click(TitleCentre(1));
    Click(TitleCentre(0));
    const RECT title = native->TitleRect(0);
    Click({title.left - 40, (title.top + title.bottom) / 2});  // the time cell is no link
    Click({title.right + 20, (title.top + title.bottom) / 2});  // nor the blank beside a short title
    list.ShowProgressBusy(true, L"");
    Click(TitleCentre(0));  // the overlay covers the rows
    platform::SetDiagnosticSink(nullptr);

    ASSERT_EQ(g_diagnostics.size(), 2u);
    EXPECT_NE(g_diagnostics[0].find(lower), std::wstring::npos) << platform::ToUtf8(g_diagnostics[0]);
    EXPECT_NE(g_diagnostics[1].find(upper), std::wstring::npos) << platform::ToUtf8(g_diagnostics[1]);
}

TEST_F(NativeListTest, HoverGreysTheRowAndTheBusyOverlayDimsTheListAroundItsPicture) {
    const std::wstring source = SourceFolder().wstring();
    ASSERT_FALSE(source.empty());
    list.AddUnit(Headline(L"第一条"));
    list.AddUnit(Headline(L"第二条"));
    const RECT title = native->TitleRect(0);
    const POINT margin{3, (title.top + title.bottom) / 2};
    Repaint();
    EXPECT_TRUE(Near(WindowPixel(native->Hwnd(), margin.x, margin.y), RGB(255, 255, 255)));

    SendMessageW(native->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(TitleCentre(0).x, TitleCentre(0).y));
    Repaint();
    EXPECT_EQ(Describe(WindowPixel(native->Hwnd(), margin.x, margin.y)), Describe(RGB(0xcc, 0xcc, 0xcc)));
    SendMessageW(native->Hwnd(), WM_MOUSELEAVE, 0, 0);
    Repaint();
    EXPECT_TRUE(Near(WindowPixel(native->Hwnd(), margin.x, margin.y), RGB(255, 255, 255)));

    // Busy: the hovered grey row dims to 80 % white, and the picture sits in the middle and moves.
    SendMessageW(native->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(TitleCentre(0).x, TitleCentre(0).y));
    const std::wstring picture = (std::filesystem::path(source) / "skin" / "loading.gif").wstring();
    EXPECT_EQ(list.ShowProgressBusy(true, picture), S_OK);
    EXPECT_TRUE(native->Busy());
    Repaint();
    EXPECT_TRUE(Near(WindowPixel(native->Hwnd(), margin.x, margin.y), RGB(255, 255, 255)))
        << "the overlay hides the hover: " << Describe(WindowPixel(native->Hwnd(), margin.x, margin.y));
    EXPECT_TRUE(BusyPictureMoves(native->Hwnd()));
    RECT client{};
    GetClientRect(native->Hwnd(), &client);

    EXPECT_EQ(list.ShowProgressBusy(false, picture), S_OK);
    Repaint();
    EXPECT_FALSE(native->Busy());
    EXPECT_TRUE(Near(WindowPixel(native->Hwnd(), client.right / 2, client.bottom / 2), RGB(255, 255, 255)));
}

TEST_F(NativeListTest, AnAlertsRowIsTintedWithAnAmberBandAndGreysUnderThePointerLikeAnyRow) {
    alerts::AlertMatch alert;
    alert.visibleText = L"美联储宣布加息";
    alert.words = {{0, 3}, {5, 2}};
    list.AddUnit(Headline(L"美联储宣布加息"), &alert);
    list.AddUnit(Headline(L"普通快讯"));
    const RECT title = native->TitleRect(1);
    const int middle = (title.top + title.bottom) / 2;
    Repaint();
    EXPECT_EQ(Describe(WindowPixel(native->Hwnd(), 1, middle)), Describe(RGB(0xf0, 0x9a, 0x00))) << "the band";
    EXPECT_EQ(Describe(WindowPixel(native->Hwnd(), 7, middle)), Describe(RGB(0xff, 0xee, 0xce))) << "the tint";
    EXPECT_TRUE(Near(WindowPixel(native->Hwnd(), 7, (native->TitleRect(0).top + native->TitleRect(0).bottom) / 2),
                     RGB(255, 255, 255)))
        << "an ordinary row stays white";
    SendMessageW(native->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(TitleCentre(1).x, TitleCentre(1).y));
    Repaint();
    EXPECT_EQ(Describe(WindowPixel(native->Hwnd(), 7, middle)), Describe(RGB(0xcc, 0xcc, 0xcc)));
    SendMessageW(native->Hwnd(), WM_MOUSELEAVE, 0, 0);
    Repaint();
    EXPECT_EQ(Describe(WindowPixel(native->Hwnd(), 7, middle)), Describe(RGB(0xff, 0xee, 0xce)));
}

TEST_F(NativeListTest, HandleCountsStayFlatThroughABurstOfRows) {
    for (int i = 0; i < 20; ++i) list.AddUnit(Headline(L"warm-up " + std::to_wstring(i)));
    list.ShowProgressBusy(true, L"");
    list.ShowProgressBusy(false, L"");
    Repaint();
    const HandleCounts before = CurrentHandleCounts();
    for (int i = 0; i < 300; ++i) {
        list.AddUnit(Headline(L"快讯 " + std::to_wstring(i)));
        if (i % 10 == 0) Repaint();
    }
    Repaint();
    const HandleCounts after = CurrentHandleCounts();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_EQ(Titles().size(), 20u);
}

// At another DPI the rows are drawn with a font, paddings and columns scaled to it, and measured anew; back at
// 96 DPI they stand where they stood. New fonts replace the old ones, so the GDI budget stays flat.
TEST_F(NativeListTest, RowsFollowTheDpiAndTheirFontsAreReplacedNotAdded) {
    list.AddUnit(Headline(L"美联储宣布维持利率不变"));
    list.AddUnit(Headline(L"短讯"));
    const RECT at96 = native->TitleRect(0);
    const RECT secondAt96 = native->TitleRect(1);
    ASSERT_EQ(at96.top, 3);

    list.SetDpi(192);
    const RECT at192 = native->TitleRect(0);
    EXPECT_EQ(at192.top, 6) << "the top padding doubles";
    EXPECT_EQ(at192.left, 2 * at96.left) << "the time column and the padding double";
    EXPECT_NEAR(at192.bottom - at192.top, 2 * (at96.bottom - at96.top), 3) << "a font twice as tall";
    EXPECT_NEAR(native->TitleRect(1).top, 2 * secondAt96.top, 4) << "the rows are measured anew";

    const HandleCounts before = CurrentHandleCounts();
    for (int i = 0; i < 20; ++i) list.SetDpi(i % 2 ? 96 : 144);
    Repaint();
    EXPECT_EQ(CurrentHandleCounts().gdi, before.gdi);
    const RECT back = native->TitleRect(0);
    EXPECT_TRUE(EqualRect(&back, &at96));
}

// The busy picture comes from the skin scale of the list's DPI, at the size the layout gives it there, and
// from the 100 % file again when the DPI comes back.
TEST_F(NativeListTest, TheBusyPictureIsTheSkinScalesOwnAtItsDpi) {
    ScratchSkin folder;
    std::filesystem::create_directories("skin\\200");
    ASSERT_TRUE(WriteSolidPicture(L"skin\\loading.gif", 20, 10, {0, 0, 220}));
    ASSERT_TRUE(WriteSolidPicture(L"skin\\200\\loading.gif", 40, 20, {220, 0, 0}));
    const std::wstring picture = (std::filesystem::current_path() / "skin" / "loading.gif").wstring();
    RECT client{};
    GetClientRect(native->Hwnd(), &client);
    const POINT middle{client.right / 2, client.bottom / 2};
    struct Case {
        UINT dpi;
        COLORREF colour;
        int halfWidth;
    } cases[] = {{192, RGB(220, 0, 0), 20}, {96, RGB(0, 0, 220), 10}};
    list.ShowProgressBusy(true, picture);
    for (const Case& c : cases) {
        list.SetDpi(c.dpi);
        Repaint();
        EXPECT_TRUE(Near(WindowPixel(native->Hwnd(), middle.x, middle.y), c.colour, 8))
            << c.dpi << ": " << Describe(WindowPixel(native->Hwnd(), middle.x, middle.y));
        EXPECT_TRUE(Near(WindowPixel(native->Hwnd(), middle.x + c.halfWidth - 2, middle.y), c.colour, 8)) << c.dpi;
        EXPECT_FALSE(Near(WindowPixel(native->Hwnd(), middle.x + c.halfWidth + 2, middle.y), c.colour, 8))
            << c.dpi << ": the picture is " << 2 * c.halfWidth << " pixels wide";
    }
    list.ShowProgressBusy(false, L"");
}

// The review rows shared with the page's browser tests: local time, title, link and an alert's matched words
// (separated by "|") per line.
struct ReviewRow {
    NewsItem item;
    std::optional<alerts::AlertMatch> alert;
};

std::vector<ReviewRow> ReviewRows(const std::wstring& source) {
    std::ifstream file(std::filesystem::path(source) / "tests" / "page" / "review-rows.tsv");
    std::vector<ReviewRow> rows;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string when, title, link, words;
        std::getline(fields, when, '\t');
        std::getline(fields, title, '\t');
        std::getline(fields, link, '\t');
        std::getline(fields, words, '\t');
        int year = 0, month = 0, day = 0, hour = 0, minute = 0;
        std::sscanf(when.c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute);
        ReviewRow row;
        row.item.publishTime = LocalTime(year, month, day, hour, minute);
        row.item.title = platform::FromUtf8(title);
        row.item.link = platform::FromUtf8(link);
        if (!words.empty()) {
            alerts::AlertMatch& alert = row.alert.emplace();
            alert.visibleText = newslist::TitlePlainText(row.item.title);
            std::istringstream each(words);
            for (std::string word; std::getline(each, word, '|');) {
                const std::wstring wide = platform::FromUtf8(word);
                alert.words.push_back({alert.visibleText.find(wide), wide.size()});
            }
        }
        rows.push_back(row);
    }
    return rows;
}

TEST_F(NativeListTest, ReviewScreenshots) {
    const std::wstring source = SourceFolder().wstring();
    const std::wstring build = BuildFolder().wstring();
    ASSERT_FALSE(source.empty());
    ASSERT_FALSE(build.empty());
    const std::vector<ReviewRow> rows = ReviewRows(source);
    ASSERT_EQ(rows.size(), 6u);
    for (const ReviewRow& row : rows) EXPECT_TRUE(list.AddUnit(row.item, row.alert ? &*row.alert : nullptr));
    SendMessageW(native->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(TitleCentre(2).x, TitleCentre(2).y));
    Repaint();
    const std::filesystem::path screenshots = std::filesystem::path(build) / "screenshots";
    std::filesystem::create_directories(screenshots);
    EXPECT_TRUE(SaveClientAreaAsPng(native->Hwnd(), (screenshots / "newslist-native.png").wstring()));
    list.ShowProgressBusy(true, (std::filesystem::path(source) / "skin" / "loading.gif").wstring());
    Repaint();
    EXPECT_TRUE(SaveClientAreaAsPng(native->Hwnd(), (screenshots / "newslist-native-busy.png").wstring()));

    // A full list, with its scroll bar.
    list.ShowProgressBusy(false, L"");
    for (int i = 0; i < 20; ++i) {
        const ReviewRow& row = rows[static_cast<std::size_t>(i) % rows.size()];
        list.AddUnit(row.item, row.alert ? &*row.alert : nullptr);
    }
    SendMessageW(native->Hwnd(), WM_MOUSELEAVE, 0, 0);
    Repaint();
    EXPECT_TRUE(SaveWindowAsPng(native->Hwnd(), (screenshots / "newslist-native-full.png").wstring()));
    // The same rows at 200 %, in the same window.
    list.SetDpi(192);
    Repaint();
    EXPECT_TRUE(SaveWindowAsPng(native->Hwnd(), (screenshots / "newslist-native-200.png").wstring()));
}

}  // namespace

namespace {

// A browser whose page completes when the test says so, recording the script calls it is given.
struct FakeBrowserState {
    CBrowserHost::PageStatus page = CBrowserHost::PageStatus::Loading;
    HRESULT status = S_OK;
    std::vector<std::wstring> calls;  // "name(arg, arg)"
    int zoomPercent = 0;               // as last set
    ShowInfoHandler showInfo;
};

class CFakeBrowser : public CBrowserHost {
public:
    explicit CFakeBrowser(FakeBrowserState& state) : state_(state) {}
    PageStatus PollPage() override { return state_.page; }
    HRESULT InvokeScript(const wchar_t* name, std::initializer_list<ScriptArgument> arguments) override {
        if (state_.page != PageStatus::Complete) return S_FALSE;
        std::wstring call = std::wstring(name) + L"(";
        for (const ScriptArgument& argument : arguments) {
            if (call.back() != L'(') call += L", ";
            if (const auto* text = std::get_if<std::wstring>(&argument)) call += L"'" + *text + L"'";
            if (const auto* flag = std::get_if<bool>(&argument)) call += *flag ? L"true" : L"false";
            if (const auto* number = std::get_if<std::int32_t>(&argument)) call += std::to_wstring(*number);
        }
        state_.calls.push_back(call + L")");
        return state_.status;
    }
    void SetBounds(const RECT&) override {}
    void SetZoom(int percent) override { state_.zoomPercent = percent; }

private:
    FakeBrowserState& state_;
};

class BrowserListTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(list.CreateFromPlaceholder(parent.hwnd, kPlaceholderId, 5));
    }

    // The page completes (its self-check passed, or failed); it is polled until it is no longer loading.
    void FinishLoading(CBrowserHost::PageStatus status) {
        browser.page = status;
        const std::size_t callsBefore = browser.calls.size();
        for (int waited = 0; waited < 2000 && !list.IsNative() && browser.calls.size() == callsBefore; waited += 20)
            Pump(20);
    }
    void CompletePage() {
        FinishLoading(CBrowserHost::PageStatus::Complete);
        ASSERT_FALSE(list.IsNative()) << "the page serves the list";
        ASSERT_FALSE(IsWindowVisible(list.NativeList()->Hwnd()));
    }
    std::vector<std::wstring> NativeTitles() const {
        const auto titles = list.NativeList()->Titles();
        return {titles.begin(), titles.end()};
    }

    FakeBrowserState browser;
    ParentWindow parent;
    // A long wait: the page has all the time it needs.
    CLinkListViewEx list{60000, [this](HWND, int pageId, ShowInfoHandler showInfo) -> std::unique_ptr<CBrowserHost> {
                             EXPECT_EQ(pageId, 166);
                             browser.showInfo = std::move(showInfo);
                             return std::make_unique<CFakeBrowser>(browser);
                         }};
};

// A history can arrive while the page still loads: its rows and the overlay reach the page as it completes.
TEST_F(BrowserListTest, WhatIsAskedBeforeThePageCompletesReachesItThen) {
    EXPECT_TRUE(list.AddUnit(Headline(L"gone")));
    EXPECT_EQ(list.ClearList(), S_FALSE);
    for (int i = 1; i <= 7; ++i) EXPECT_TRUE(list.AddUnit(Headline(std::to_wstring(i))));  // 5 rows at most
    EXPECT_EQ(list.PopUnit(true), S_FALSE);                                                  // takes 7
    EXPECT_EQ(list.ShowProgressBusy(true, L""), S_FALSE);
    EXPECT_EQ(list.ShowProgressBusy(true, L"C:\\skin\\loading.gif"), S_FALSE);
    EXPECT_TRUE(browser.calls.empty());
    CompletePage();
    std::vector<std::wstring> expected = {L"SetMaxRows(5)", L"ShowProgressBusy(true, 'file:///C:/skin/loading.gif')"};
    for (const wchar_t* title : {L"3", L"4", L"5", L"6"})
        expected.push_back(L"addUnit('09月06日  09:05', '" + std::wstring(title) + L"', 'http://news.example/', '')");
    EXPECT_EQ(browser.calls, expected);
    const std::vector<std::wstring> native = {L"6", L"5", L"4", L"3"};
    EXPECT_EQ(NativeTitles(), native) << "the hidden copy holds the same rows";
}

// The page is zoomed to the list's DPI once it has completed (a zoom before is lost with the blank document),
// and again at each DPI change.
TEST_F(BrowserListTest, ThePageIsZoomedForTheDpiOnceCompleteAndAtEachChange) {
    list.SetDpi(144);
    EXPECT_EQ(browser.zoomPercent, 0);
    CompletePage();
    EXPECT_EQ(browser.zoomPercent, 150);
    list.SetDpi(192);
    EXPECT_EQ(browser.zoomPercent, 200);
    list.SetDpi(120);
    EXPECT_EQ(browser.zoomPercent, 125);
}

TEST_F(BrowserListTest, OperationsCallThePagesFunctions) {
    CompletePage();
    browser.calls.clear();
    EXPECT_TRUE(list.AddUnit(Headline(L"<b>金价</b> \"'\\", L"http://x/?a='1'")));
    EXPECT_EQ(list.PopUnit(true), S_OK);
    EXPECT_EQ(list.PopUnit(false), S_OK);
    EXPECT_EQ(list.ClearList(), S_OK);
    EXPECT_EQ(list.SetMaxRows(20), S_OK);
    EXPECT_EQ(list.ShowProgressBusy(true, L"D:\\My App\\skin\\loading.gif"), S_OK);
    EXPECT_EQ(list.ShowProgressBusy(false, L""), S_OK);
    const std::vector<std::wstring> expected = {
        L"addUnit('09月06日  09:05', '<b>金价</b> \"'\\', 'http://x/?a='1'', '')",
        L"popTop()",
        L"popBottom()",
        L"clearList()",
        L"SetMaxRows(20)",
        L"ShowProgressBusy(true, 'file:///D:/My%20App/skin/loading.gif')",
        L"ShowProgressBusy(false, '')",
    };
    EXPECT_EQ(browser.calls, expected);
}

// A keyword alert: the page gets the matched words (a line between two), before and after it completes, and
// the hidden native copy marks the row.
TEST_F(BrowserListTest, AnAlertsRowReachesThePageWithItsMatchedWords) {
    alerts::AlertMatch alert;
    alert.visibleText = L"美联储宣布加息，EUR/USD走低";
    alert.words = {{0, 3}, {5, 2}, {8, 3}};
    EXPECT_TRUE(list.AddUnit(Headline(L"<b>美联储</b>宣布加息，EUR/USD走低"), &alert));
    CompletePage();
    EXPECT_TRUE(list.AddUnit(Headline(L"美联储宣布加息，EUR/USD走低"), &alert));
    EXPECT_TRUE(list.AddUnit(Headline(L"ordinary")));
    const std::wstring words = L"美联储\n加息\nEUR";
    const std::vector<std::wstring> expected = {
        L"SetMaxRows(5)",
        L"addUnit('09月06日  09:05', '<b>美联储</b>宣布加息，EUR/USD走低', 'http://news.example/', '" + words + L"')",
        L"addUnit('09月06日  09:05', '美联储宣布加息，EUR/USD走低', 'http://news.example/', '" + words + L"')",
        L"addUnit('09月06日  09:05', 'ordinary', 'http://news.example/', '')",
    };
    EXPECT_EQ(browser.calls, expected);
    EXPECT_FALSE(list.NativeList()->IsAlertRow(0));
    EXPECT_TRUE(list.NativeList()->IsAlertRow(1));
    EXPECT_TRUE(list.NativeList()->IsAlertRow(2));
}

TEST(BrowserListSwitch, AFailedCallOfTheCompletedPageSwitchesToTheNativeListWithTheSameRows) {
    enum class Operation { Add, Pop, Clear };
    const struct {
        HRESULT status;
        Operation failing;
        std::vector<std::wstring> titles;  // the native list's rows after the failed call
    } cases[] = {
        {DISP_E_EXCEPTION, Operation::Add, {L"4", L"3", L"2", L"1"}},  // the page threw inside addUnit
        {DISP_E_UNKNOWNNAME, Operation::Add, {L"4", L"3", L"2", L"1"}},  // another document: no such function
        {S_FALSE, Operation::Pop, {L"2", L"1", L"0"}},                         // no document at all
        {E_ACCESSDENIED, Operation::Clear, {}},
    };
    for (const auto& c : cases) {
        FakeBrowserState browser;
        ParentWindow window;
        CLinkListViewEx served(60000, [&browser](HWND, int, ShowInfoHandler) -> std::unique_ptr<CBrowserHost> {
            return std::make_unique<CFakeBrowser>(browser);
        });
        ASSERT_TRUE(served.CreateFromPlaceholder(window.hwnd, kPlaceholderId, 4));
        browser.page = CBrowserHost::PageStatus::Complete;
        for (int waited = 0; browser.calls.empty() && waited < 2000; waited += 20) Pump(20);
        ASSERT_FALSE(served.IsNative());
        for (const wchar_t* title : {L"0", L"1", L"2", L"3"}) EXPECT_TRUE(served.AddUnit(Headline(title)));
        const std::size_t callsMade = browser.calls.size();

        browser.status = c.status;
        switch (c.failing) {
            case Operation::Add: EXPECT_TRUE(served.AddUnit(Headline(L"4"))) << "the native list shows it"; break;
            case Operation::Pop: EXPECT_EQ(served.PopUnit(true), S_OK); break;
            case Operation::Clear: EXPECT_EQ(served.ClearList(), S_OK); break;
        }
        EXPECT_TRUE(served.IsNative()) << std::hex << c.status;
        EXPECT_TRUE(IsWindowVisible(served.NativeList()->Hwnd()));
        const auto titles = served.NativeList()->Titles();
        EXPECT_EQ(std::vector<std::wstring>(titles.begin(), titles.end()), c.titles) << std::hex << c.status;

        // The page is called no more; the native list serves.
        EXPECT_TRUE(served.AddUnit(Headline(L"next")));
        EXPECT_EQ(served.NativeList()->Titles().front(), L"next");
        EXPECT_EQ(browser.calls.size(), callsMade + 1);
    }
}

TEST_F(BrowserListTest, TheHiddenNativeListAnimatesItsBusyPictureOnlyOnceShown) {
    const fw::GdiplusSession gdiplus;
    CompletePage();
    const std::wstring picture = (SourceFolder() / "skin" / "loading.gif").wstring();
    EXPECT_EQ(list.ShowProgressBusy(true, picture), S_OK);
    Pump(300);
    EXPECT_FALSE(KillTimer(list.NativeList()->Hwnd(), 1)) << "no animation timer while hidden";
    browser.status = E_FAIL;
    EXPECT_EQ(list.ShowProgressBusy(true, picture), S_OK);
    ASSERT_TRUE(list.IsNative());
    EXPECT_TRUE(BusyPictureMoves(list.NativeList()->Hwnd()));
    list.ShowProgressBusy(false, L"");  // the picture goes before the GDI+ session
}

TEST_F(BrowserListTest, APageThatCannotBuildRowsGivesWayToTheNativeListAtOnce) {
    EXPECT_TRUE(list.AddUnit(Headline(L"while loading")));
    FinishLoading(CBrowserHost::PageStatus::Failed);
    EXPECT_TRUE(list.IsNative()) << "without waiting for the page's time to run out";
    EXPECT_TRUE(browser.calls.empty());
    EXPECT_EQ(NativeTitles(), std::vector<std::wstring>{L"while loading"});
}

TEST_F(BrowserListTest, ThePagesShowInfoOpensOnlyWebLinks) {
    CompletePage();
    g_diagnostics.clear();
    platform::SetDiagnosticSink(RecordDiagnostic);
    browser.showInfo(L"C:\\Windows\\System32\\calc.exe");
    browser.showInfo(L"");
    platform::SetDiagnosticSink(nullptr);
    ASSERT_EQ(g_diagnostics.size(), 2u);
    EXPECT_NE(g_diagnostics[0].find(L"calc.exe"), std::wstring::npos);
}

}  // namespace

namespace {

// The browser's events as the browser raises them: the arguments last first, Cancel by reference.
constexpr DISPID kBeforeNavigate2 = 250;
constexpr DISPID kNewWindow2 = 251;
constexpr DISPID kNewWindow3 = 273;

// Whether the guard set the event's Cancel argument.
bool Refused(IDispatch& guard, DISPID event, const wchar_t* url = L"") {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT urlValue;
    VariantInit(&urlValue);
    urlValue.vt = VT_BSTR;
    urlValue.bstrVal = SysAllocString(url);
    std::vector<VARIANT> arguments(event == kBeforeNavigate2 ? 7 : event == kNewWindow2 ? 2 : 5);
    for (VARIANT& argument : arguments) VariantInit(&argument);
    VARIANT& cancelArgument = arguments[event == kNewWindow3 ? 3 : 0];
    cancelArgument.vt = VT_BYREF | VT_BOOL;
    cancelArgument.pboolVal = &cancel;
    if (event == kBeforeNavigate2) {
        arguments[5].vt = VT_BYREF | VT_VARIANT;  // the URL, as a variant by reference
        arguments[5].pvarVal = &urlValue;
    } else if (event == kNewWindow3) {
        arguments[0] = urlValue;  // the URL, a string
    }
    DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    EXPECT_EQ(guard.Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr),
              S_OK);
    VariantClear(&urlValue);
    return cancel == VARIANT_TRUE;
}

TEST(NavigationGuard, RefusesEveryNavigationButThePagesOwnLoadAndEveryNewWindow) {
    auto completed = std::make_shared<bool>(false);
    const fw::ComPtr<IDispatch> guard = MakeNavigationGuard(completed);
    const wchar_t* elsewhere[] = {L"file:///C:/Windows/System32/", L"search-ms:query=x", L"\\\\host\\share",
                                  L"about:blank#", L"http://news.example/", L""};
    for (const bool pageCompleted : {false, true}) {
        *completed = pageCompleted;
        EXPECT_EQ(Refused(*guard.Get(), kBeforeNavigate2, L"about:blank"), pageCompleted);
        for (const wchar_t* url : elsewhere)
            EXPECT_TRUE(Refused(*guard.Get(), kBeforeNavigate2, url)) << platform::ToUtf8(url);
        EXPECT_TRUE(Refused(*guard.Get(), kNewWindow2));
        EXPECT_TRUE(Refused(*guard.Get(), kNewWindow3, L"http://news.example/"));
    }
}

}  // namespace

namespace {

struct TestApplication : fw::Application {
    bool InitInstance() override { return true; }
};

// The main window's template with the list over its placeholder, run modally as the program runs it.
class MainWindowWithList : public fw::Dialog {
public:
    MainWindowWithList() : fw::Dialog(102) {}
    CLinkListViewEx list{kShortPageWait};
    std::vector<WPARAM> keysTyped;
    int step = 0;

protected:
    bool OnInitDialog() override {
        EXPECT_TRUE(list.CreateFromPlaceholder(Hwnd(), kPlaceholderId, 20));
        SetTimer(Hwnd(), 1, 20, nullptr);
        return true;
    }
    bool HandleMessage(fw::Message& message) override {
        if (message.id != WM_TIMER) return fw::Dialog::HandleMessage(message);
        if (!list.IsNative() && step < 250) {
            ++step;
            return true;
        }
        KillTimer(Hwnd(), 1);
        if (keysTyped.empty()) {
            // Typed into the list: the dialog manager would make them the main window's confirm and cancel.
            for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
                PostMessageW(list.NativeList()->Hwnd(), WM_KEYDOWN, key, 0);
                keysTyped.push_back(key);
            }
            SetTimer(Hwnd(), 1, 100, nullptr);
        } else {
            EndDialog(42);
        }
        return true;
    }
};

TEST(LinkListKeys, EnterAndEscapeTypedInTheListNeverEndTheMainWindow) {
    TestApplication application;
    MainWindowWithList mainWindow;
    EXPECT_EQ(mainWindow.DoModal(nullptr), 42);
    EXPECT_TRUE(mainWindow.list.IsNative());
    EXPECT_EQ(mainWindow.keysTyped.size(), 2u);
}

}  // namespace
