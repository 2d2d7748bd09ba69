#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "popup/PopupPlacement.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "tests/core/support/TempWorkingDirectory.h"

void PrintTo(const ScreenRect& r, std::ostream* os) {
    *os << '{' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << '}';
}

namespace popup {
namespace {

using Choice = PopupMonitorChoice;

// A 1920x1080 primary with its taskbar at the bottom, a 1280x1024 monitor to its left with a taskbar on
// its left edge, and a 1600x900 monitor above the primary with a taskbar on its top edge.
const MonitorArea kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true};
const MonitorArea kLeft{{-1280, 56, 0, 1080}, {-1220, 56, 0, 1080}, false};
const MonitorArea kAbove{{160, -900, 1760, 0}, {160, -860, 1760, 0}, false};
const MonitorAreas kThree{kLeft, kPrimary, kAbove};

TEST(PopupPlacement, ChoosesTheMonitorAndFallsBackToThePrimary) {
    const ScreenRect mostlyLeft{-900, 300, 100, 900};
    const ScreenRect mostlyAbove{1000, -500, 1800, 200};
    const ScreenRect offEveryMonitor{-32000, -32000, -31800, -31900};  // a minimised window's place
    struct Case {
        const char* what;
        MonitorAreas monitors;
        Choice choice;
        ScreenPoint mouse;
        std::optional<ScreenRect> mainWindow;
        ScreenRect expectedWork;
    };
    const Case cases[] = {
        {"primary, whatever the mouse", kThree, Choice::Primary, {-500, 500}, mostlyLeft, kPrimary.work},
        {"primary listed last", {kAbove, kLeft, kPrimary}, Choice::Primary, {}, {}, kPrimary.work},
        {"no monitor marked primary: the first", {kLeft, {kAbove.bounds, kAbove.work, false}}, Choice::Primary, {},
         {}, kLeft.work},
        {"mouse on the left monitor", kThree, Choice::Mouse, {-1, 1079}, {}, kLeft.work},
        {"mouse above the primary", kThree, Choice::Mouse, {160, -900}, {}, kAbove.work},
        {"mouse on the primary's first pixel", kThree, Choice::Mouse, {0, 0}, {}, kPrimary.work},
        {"mouse in a gap between monitors", kThree, Choice::Mouse, {-100, 20}, {}, kPrimary.work},
        {"mouse on an unplugged monitor", {kPrimary}, Choice::Mouse, {-500, 500}, {}, kPrimary.work},
        {"main window mostly on the left", kThree, Choice::MainWindow, {}, mostlyLeft, kLeft.work},
        {"main window mostly above", kThree, Choice::MainWindow, {}, mostlyAbove, kAbove.work},
        {"main window's monitor unplugged", {kPrimary, kAbove}, Choice::MainWindow, {}, ScreenRect{-900, 300, -100, 900},
         kPrimary.work},
        {"main window on no monitor", kThree, Choice::MainWindow, {}, offEveryMonitor, kPrimary.work},
        {"no main window", kThree, Choice::MainWindow, {-500, 500}, std::nullopt, kPrimary.work},
    };
    for (const Case& c : cases) {
        const std::optional<MonitorArea> chosen = ChoosePopupMonitor(c.monitors, c.choice, c.mouse, c.mainWindow);
        ASSERT_TRUE(chosen) << c.what;
        EXPECT_EQ(chosen->work, c.expectedWork) << c.what;
    }
    EXPECT_FALSE(ChoosePopupMonitor({}, Choice::Mouse, {}, std::nullopt)) << "no monitors at all";
}

TEST(PopupPlacement, RestsInTheWorkAreasLowerRightCorner) {
    struct Case {
        const char* what;
        ScreenRect work;
        ScreenRect expected;  // a 280x200 pop-up, 10 pixels in from the right
    };
    const Case cases[] = {
        {"taskbar at the bottom", {0, 0, 1920, 1040}, {1630, 840, 1910, 1040}},
        {"taskbar on the left", {60, 0, 1920, 1080}, {1630, 880, 1910, 1080}},
        {"taskbar on the top", {0, 40, 1920, 1080}, {1630, 880, 1910, 1080}},
        {"taskbar on the right", {0, 0, 1860, 1080}, {1570, 880, 1850, 1080}},
        {"monitor left of the primary", kLeft.work, {-290, 880, -10, 1080}},
        {"monitor above the primary", kAbove.work, {1470, -200, 1750, 0}},
        {"narrower than the pop-up", {-200, 0, 0, 600}, {-200, 400, 80, 600}},
        {"lower than the pop-up", {0, -150, 800, 0}, {510, -150, 790, 50}},
    };
    for (const Case& c : cases) EXPECT_EQ(PopupRestingRect(c.work, 280, 200, 10), c.expected) << c.what;
}

TEST(PopupPlacement, ChoiceIsKeptInProperties) {
    const TempWorkingDirectory folder;
    EXPECT_EQ(ReadPopupMonitor(), Choice::Primary) << "no file";
    for (const auto& [stored, expected] :
         {std::pair{L"0", Choice::Primary}, {L"1", Choice::Mouse}, {L"2", Choice::MainWindow}, {L"3", Choice::Primary},
          {L"-1", Choice::Primary}, {L"2x", Choice::Primary}, {L"", Choice::Primary}}) {
        ASSERT_TRUE(settings::WriteString(settings::kProperties, settings::kPopupMonitorKey, stored));
        EXPECT_EQ(ReadPopupMonitor(), expected) << testing::PrintToString(std::wstring(stored));
    }
    for (const Choice choice : {Choice::Mouse, Choice::MainWindow, Choice::Primary}) {
        ASSERT_TRUE(WritePopupMonitor(choice));
        EXPECT_EQ(settings::ReadString(settings::kProperties, settings::kPopupMonitorKey, L"", 8),
                  std::to_wstring(static_cast<int>(choice)));
        EXPECT_EQ(ReadPopupMonitor(), choice);
    }
}

}  // namespace
}  // namespace popup
