// Review pictures of the pop-up drawn from the real skin: entries of every picture, a long title shortened
// and items without a link; saved as <build>/screenshots/popup-*.png. It checks that each picture is saved.
#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace
