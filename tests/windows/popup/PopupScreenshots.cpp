// Review pictures of the pop-up drawn from the real skin: entries of every picture, a long title shortened,
// items without a link, keyword alerts among ordinary entries, and what waited while quiet; saved as <build>/screenshots/popup-*.png.
// It checks that each picture is saved.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>

#include "popup/QuickInform.h"
#include "tests/core/support/ScopedTimeZone.h"
#include "tests/windows/popup/PopupFixture.h"
#include "tests/windows/support/Screenshot.h"
#include "tests/windows/support/TestFolders.h"

namespace {

const Guid kOther = MakeGuid(0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0});

std::wstring Screenshot(const wchar_t* name) {
    const std::filesystem::path folder = BuildFolder() / "screenshots";
    std::filesystem::create_directories(folder);
    return (folder / name).wstring();
}

// Times as a trader in Shanghai sees them (UTC+8), whatever the machine's zone.
class ShanghaiTime : public testing::Environment {
public:
    void SetUp() override { zone_.emplace("CST-8"); }
    void TearDown() override { zone_.reset(); }

private:
    std::optional<ScopedTimeZone> zone_;
};
const auto* const kShanghaiTime = testing::AddGlobalTestEnvironment(new ShanghaiTime);

// Lets the real timers bring the window up and scroll the entries in, then lets it paint.
void SettleOnScreen(CQuickInform& popup) {
    const RECT work = WorkArea();
    PumpUntil([&] { return WindowRectOf(popup.Hwnd()).bottom <= work.bottom; }, 5000);
    Pump(600);
}

TEST(PopupScreenshots, EntriesOfEveryPicture) {
    const PopupFolder folder;
    CQuickInform popup;  // the product's timing
    const NewsItem items[] = {
        Item(kForex.guid, L"美联储维持利率不变", L"http://news.example/fx/1", 1'315'271'100),
        Item(kGold.guid, L"现货黄金日内大涨逾百分之二，创近三周新高，多头情绪升温", L"http://news.example/au/2",
             1'315'271'160),
        Item(kFutures.guid, L"螺纹钢期货主力合约收涨1.8%", L"http://news.example/qh/3", 1'315'271'220),
        Item(kStocks.guid, L"沪指午后翻红 创业板指涨0.6%", L"http://news.example/gp/4", 1'315'271'280),
        Item(kOther, L"系统通知：今晚22:00至23:00服务器例行维护，期间快讯可能延迟送达", L"", 1'315'271'340),
        Item(kStocks.guid, L"A股&港股午盘", L"", 1'315'271'400),
    };
    for (const NewsItem& item : items) {
        ASSERT_EQ(popup.AddNews(item, GetDesktopWindow()), 1);
        SettleOnScreen(popup);
    }
    EXPECT_TRUE(SaveWindowAsPng(popup.Hwnd(), Screenshot(L"popup-entries.png")));
}

TEST(PopupScreenshots, OneEntryJustRisen) {
    const PopupFolder folder;
    CQuickInform popup;
    ASSERT_EQ(popup.AddNews(Item(kForex.guid, L"欧元兑美元短线走高，突破1.0900关口", L"http://news.example/fx/9"),
                            GetDesktopWindow()),
              1);
    SettleOnScreen(popup);
    EXPECT_TRUE(SaveWindowAsPng(popup.Hwnd(), Screenshot(L"popup-one-entry.png")));
}

TEST(PopupScreenshots, AlertsAmongOrdinaryEntries) {
    const PopupFolder folder;
    CQuickInform popup;
    const std::wstring fed = L"美联储宣布加息25个基点，EUR/USD 快速走低";
    const std::wstring cable = L"EUR USD 跌破1.0800，欧元区PMI不及预期";
    const std::wstring payrolls = L"美国非农就业人数增加25万";
    const NewsItem items[] = {
        Item(kGold.guid, L"现货黄金短线拉升，站上2050美元", L"http://news.example/au/1", 1'315'271'100),
        Item(kForex.guid, fed, L"http://news.example/fx/2", 1'315'271'160),
        Item(kStocks.guid, L"沪指午后翻红 创业板指涨0.6%", L"http://news.example/gp/3", 1'315'271'220),
        Item(kForex.guid, cable, L"", 1'315'271'280),
        Item(kOther, payrolls, L"", 1'315'271'340),
    };
    const std::optional<alerts::AlertMatch> alerts[] = {
        std::nullopt,
        Alert(fed, {L"美联储", L"加息"}),              // rule 美联储 加息, the title a link
        std::nullopt,
        Alert(cable, {L"EUR", L"USD"}),               // rule EUR USD, no link
        Alert(payrolls, {L"非农就业"}, false),         // a silent rule, a short title
    };
    for (std::size_t i = 0; i < std::size(items); ++i) {
        ASSERT_EQ(popup.AddNewsBatch({&items[i], 1}, GetDesktopWindow(), {&alerts[i], 1}), 1);
        SettleOnScreen(popup);
    }
    EXPECT_TRUE(SaveWindowAsPng(popup.Hwnd(), Screenshot(L"popup-alerts.png")));
}

TEST(PopupScreenshots, AfterQuietTwoAlertsAndTheSummary) {
    const PopupFolder folder;
    bool quiet = true;
    CQuickInform popup(QuickInformIntervals{}, {}, [&quiet] {
        popup::QuietFacts facts;
        facts.foregroundFillsPopupMonitor = quiet;  // a full-screen chart held everything back
        return facts;
    });
    const std::wstring fed = L"美联储宣布加息25个基点，EUR/USD 快速走低";
    const std::wstring payrolls = L"美国非农就业人数增加25万";
    const alerts::AlertMatch fedAlert = Alert(fed, {L"美联储", L"加息"});
    const alerts::AlertMatch payrollsAlert = Alert(payrolls, {L"非农就业"}, false);
    ASSERT_EQ(popup.AddNews(Item(kGold.guid, L"现货黄金短线拉升"), GetDesktopWindow()), 1);
    ASSERT_EQ(popup.AddNews(Item(kForex.guid, fed, L"http://news.example/fx/2", 1'315'271'160), GetDesktopWindow(),
                            &fedAlert),
              1);
    for (int i = 0; i < 9; ++i)
        ASSERT_EQ(popup.AddNews(Item(kStocks.guid, L"个股快讯 " + std::to_wstring(i)), GetDesktopWindow()), 1);
    ASSERT_EQ(popup.AddNews(Item(kOther, payrolls, L"", 1'315'271'340), GetDesktopWindow(), &payrollsAlert), 1);
    ASSERT_EQ(popup.Hwnd(), nullptr);
    quiet = false;
    ASSERT_TRUE(popup.CheckQuietEnded(GetDesktopWindow()));
    SettleOnScreen(popup);
    EXPECT_TRUE(SaveWindowAsPng(popup.Hwnd(), Screenshot(L"popup-after-quiet.png")));
}

}  // namespace
