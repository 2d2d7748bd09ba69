#include "app/MainWindowPlacement.h"

#include <gtest/gtest.h>

namespace {

// A 1920 x 1080 primary monitor with a 40-pixel taskbar on the given side.
MonitorArea Primary(const ScreenRect& work) { return {{0, 0, 1920, 1080}, work, true}; }
// A 1280 x 1024 monitor left of the primary, its taskbar at the bottom.
const MonitorArea kLeftMonitor{{-1280, 0, 0, 1024}, {-1280, 0, 0, 984}, false};
// A 1920 x 1080 monitor above the primary, its taskbar on its left edge.
const MonitorArea kUpperMonitor{{0, -1080, 1920, 0}, {60, -1080, 1920, 0}, false};

TEST(MainWindowPlacement, OpensCentredOnTheWorkAreaOfTheMonitorUnderThePoint) {
    struct PlacementCase {
        const char* name;
        MonitorAreas monitors;
        int x, y, width, height;
        ScreenRect expected;
    };
    const PlacementCase cases[] = {
        {"taskbar at the bottom", {Primary({0, 0, 1920, 1040})}, 500, 500, 600, 430, {660, 305, 1260, 735}},
        {"taskbar on the left", {Primary({60, 0, 1920, 1080})}, 500, 500, 600, 430, {690, 325, 1290, 755}},
        {"taskbar at the top", {Primary({0, 40, 1920, 1080})}, 500, 500, 600, 430, {660, 345, 1260, 775}},
        {"taskbar on the right", {Primary({0, 0, 1860, 1080})}, 500, 500, 600, 430, {630, 325, 1230, 755}},
        {"the mouse on a monitor left of the primary", {Primary({0, 0, 1920, 1040}), kLeftMonitor}, -10, 1000, 600,
         430, {-940, 277, -340, 707}},
        {"the mouse on a monitor above the primary", {kLeftMonitor, kUpperMonitor, Primary({0, 0, 1920, 1040})}, 30,
         -1, 900, 645, {540, -863, 1440, -218}},
        {"the mouse on the primary of three", {kLeftMonitor, kUpperMonitor, Primary({0, 0, 1920, 1040})}, 0, 0, 900,
         645, {510, 197, 1410, 842}},
        {"the mouse in a gap between monitors: the primary", {Primary({0, 0, 1920, 1040}), kLeftMonitor}, -10, 1050,
         600, 430, {660, 305, 1260, 735}},
        {"no monitor marked primary: the first", {kLeftMonitor, kUpperMonitor}, 5000, 5000, 600, 430,
         {-940, 277, -340, 707}},
        {"larger than the work area: its top-left corner stays inside", {Primary({60, 0, 1920, 1040})}, 5, 5, 2400,
         1200, {60, 0, 2460, 1200}},
        {"no monitors at all", {}, 5, 5, 600, 430, {0, 0, 600, 430}},
    };
    for (const PlacementCase& c : cases) {
        EXPECT_EQ(OpeningPlacement(c.monitors, c.x, c.y, c.width, c.height), c.expected) << c.name;
    }
}

TEST(MainWindowPlacement, ComesBackToThePrimaryOnlyWhenNoWorkAreaIsLeftUnderIt) {
    const MonitorAreas primaryOnly{Primary({0, 0, 1920, 1040})};
    const MonitorAreas twoMonitors{Primary({0, 0, 1920, 1040}), kLeftMonitor};
    struct KeepCase {
        const char* name;
        MonitorAreas monitors;
        ScreenRect window;
        std::optional<ScreenRect> expected;
    };
    const KeepCase cases[] = {
        {"on the primary", primaryOnly, {100, 100, 700, 530}, std::nullopt},
        {"on the left monitor, still there", twoMonitors, {-900, 100, -300, 530}, std::nullopt},
        {"across both monitors", twoMonitors, {-300, 100, 300, 530}, std::nullopt},
        {"a corner still on the primary", primaryOnly, {-599, -429, 1, 1}, std::nullopt},
        {"on the left monitor, unplugged", primaryOnly, {-900, 100, -300, 530}, ScreenRect{660, 305, 1260, 735}},
        {"below a lowered resolution", primaryOnly, {1000, 1500, 1900, 2145}, ScreenRect{510, 197, 1410, 842}},
        {"only over the taskbar", primaryOnly, {100, 1045, 700, 1075}, ScreenRect{660, 505, 1260, 535}},
        {"no monitors at all: left alone", {}, {-900, 100, -300, 530}, std::nullopt},
    };
    for (const KeepCase& c : cases) {
        EXPECT_EQ(KeptOnDesktop(c.monitors, c.window), c.expected) << c.name;
    }
}

}  // namespace
