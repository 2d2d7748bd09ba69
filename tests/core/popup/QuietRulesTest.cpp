#include <gtest/gtest.h>

#include <string>

#include "alerts/AlertStore.h"
#include "popup/QuietBacklog.h"
#include "popup/QuietRules.h"
#include "settings/SettingsFile.h"
#include "tests/core/support/TempWorkingDirectory.h"

namespace popup {

void PrintTo(const LocalMinute& m, std::ostream* os) {
    *os << m.year << '-' << m.month << '-' << m.day << ' ' << m.hour << ':' << m.minute;
}
void PrintTo(const QuietChoice& c, std::ostream* os) {
    *os << "kind " << static_cast<int>(c.kind) << " until ";
    PrintTo(c.until, os);
}

namespace {

using Kind = QuietChoice::Kind;
using State = NotificationState;

const LocalMinute kEnd{2026, 12, 11, 14, 30};
const QuietChoice kUntilEnd{Kind::Until, kEnd};
const QuietChoice kTurnedOff{Kind::UntilTurnedOff, {}};

TEST(Quiet, DecidesForEachStateItemAndChoice) {
    struct Case {
        State state;
        bool fullScreen;           // the foreground window fills the pop-up's monitor
        bool alertsThrough;        // [Alerts] FullScreen
        QuietChoice choice;
        LocalMinute now;
        QuietReason ordinary, alert;
    };
    const LocalMinute before{2026, 12, 11, 14, 29}, after{2026, 12, 11, 14, 31};
    using R = QuietReason;
    const Case cases[] = {
        // Nothing holds.
        {State::AcceptsNotifications, false, false, {}, kEnd, R::None, R::None},
        // The user's own choice: alerts come through; it ends once now reaches its end.
        {State::AcceptsNotifications, false, false, kUntilEnd, before, R::UserChoice, R::None},
        {State::AcceptsNotifications, false, false, kUntilEnd, kEnd, R::None, R::None},
        {State::AcceptsNotifications, false, false, kUntilEnd, after, R::None, R::None},
        {State::AcceptsNotifications, false, false, kTurnedOff, {2099, 1, 1, 0, 0}, R::UserChoice, R::None},
        // A choice ending tomorrow is still on at a later minute of today, and one of last year is over.
        {State::AcceptsNotifications, false, false, {Kind::Until, {2027, 1, 1, 8, 0}}, {2026, 12, 31, 23, 59},
         R::UserChoice, R::None},
        {State::AcceptsNotifications, false, false, {Kind::Until, {2026, 12, 31, 8, 0}}, {2027, 1, 1, 7, 0}, R::None,
         R::None},
        // Windows' states.
        {State::NotPresent, false, false, {}, kEnd, R::Locked, R::Locked},
        {State::NotPresent, false, true, {}, kEnd, R::Locked, R::Locked},
        {State::PresentationMode, false, true, {}, kEnd, R::Presentation, R::Presentation},
        {State::QuietTime, false, false, {}, kEnd, R::FirstHour, R::None},
        {State::Busy, false, false, {}, kEnd, R::FullScreen, R::FullScreen},
        {State::Busy, false, true, {}, kEnd, R::FullScreen, R::None},
        {State::RunningD3dFullScreen, false, false, {}, kEnd, R::FullScreen, R::FullScreen},
        {State::App, false, false, {}, kEnd, R::FullScreen, R::FullScreen},
        {State::App, false, true, {}, kEnd, R::FullScreen, R::None},
        // The foreground window fills the pop-up's monitor.
        {State::AcceptsNotifications, true, false, {}, kEnd, R::FullScreen, R::FullScreen},
        {State::AcceptsNotifications, true, true, {}, kEnd, R::FullScreen, R::None},
        {State::AcceptsNotifications, true, true, kUntilEnd, before, R::FullScreen, R::None},
        // Letting alerts through full screen does not let them through a lock or a presentation.
        {State::PresentationMode, true, true, kUntilEnd, before, R::Presentation, R::Presentation},
        {State::QuietTime, true, true, kTurnedOff, kEnd, R::FirstHour, R::None},
    };
    for (const Case& c : cases) {
        const QuietFacts facts{c.state, c.fullScreen, c.choice, c.now, c.alertsThrough};
        const auto what = testing::Message() << "state " << static_cast<int>(c.state) << ", full screen "
                                             << c.fullScreen << ", alerts through " << c.alertsThrough
                                             << ", choice " << testing::PrintToString(c.choice) << ", now "
                                             << testing::PrintToString(c.now);
        EXPECT_EQ(Quiet(facts, false), c.ordinary) << what;
        EXPECT_EQ(Quiet(facts, true), c.alert) << what;
        // The switch is read only while a full screen holds: elsewhere it must not change the answer.
        QuietFacts flipped = facts;
        flipped.alertsThroughFullScreen = !c.alertsThrough;
        EXPECT_TRUE(FullScreenHolds(facts) || Quiet(flipped, true) == c.alert) << what;
    }
}

TEST(Quiet, ChooseQuietEndsAtTheRightLocalMinute) {
    struct Case {
        QuietOffer offer;
        LocalMinute now;
        QuietChoice expected;
    };
    const Case cases[] = {
        {QuietOffer::OneHour, {2026, 12, 11, 9, 15}, {Kind::Until, {2026, 12, 11, 10, 15}}},
        {QuietOffer::TwoHours, {2026, 12, 11, 9, 15}, {Kind::Until, {2026, 12, 11, 11, 15}}},
        {QuietOffer::OneHour, {2026, 12, 11, 23, 30}, {Kind::Until, {2026, 12, 12, 0, 30}}},
        {QuietOffer::TwoHours, {2026, 4, 30, 23, 0}, {Kind::Until, {2026, 5, 1, 1, 0}}},
        {QuietOffer::TwoHours, {2026, 12, 31, 22, 59}, {Kind::Until, {2027, 1, 1, 0, 59}}},
        {QuietOffer::OneHour, {2028, 2, 28, 23, 0}, {Kind::Until, {2028, 2, 29, 0, 0}}},
        {QuietOffer::OneHour, {2026, 2, 28, 23, 0}, {Kind::Until, {2026, 3, 1, 0, 0}}},
        // "Until 8:00 tomorrow": the next 8:00.
        {QuietOffer::UntilEightTomorrow, {2026, 12, 11, 0, 30}, {Kind::Until, {2026, 12, 11, 8, 0}}},
        {QuietOffer::UntilEightTomorrow, {2026, 12, 11, 7, 59}, {Kind::Until, {2026, 12, 11, 8, 0}}},
        {QuietOffer::UntilEightTomorrow, {2026, 12, 11, 8, 0}, {Kind::Until, {2026, 12, 12, 8, 0}}},
        {QuietOffer::UntilEightTomorrow, {2026, 12, 11, 21, 0}, {Kind::Until, {2026, 12, 12, 8, 0}}},
        {QuietOffer::UntilEightTomorrow, {2026, 1, 31, 23, 59}, {Kind::Until, {2026, 2, 1, 8, 0}}},
        {QuietOffer::UntilEightTomorrow, {2026, 12, 31, 18, 0}, {Kind::Until, {2027, 1, 1, 8, 0}}},
        {QuietOffer::UntilTurnedOff, {2026, 12, 11, 9, 15}, {Kind::UntilTurnedOff, {}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseQuiet(c.offer, c.now), c.expected)
            << "offer " << static_cast<int>(c.offer) << " at " << testing::PrintToString(c.now);
}

TEST(Quiet, UntilTextRoundTripsAndBadValuesMeanOff) {
    for (const QuietChoice& choice :
         {kUntilEnd, kTurnedOff, QuietChoice{Kind::Until, {2028, 2, 29, 0, 0}}, QuietChoice{Kind::Until, {2027, 1, 1, 23, 59}}})
        EXPECT_EQ(ParseQuietUntil(QuietUntilText(choice)), choice) << testing::PrintToString(choice);
    EXPECT_EQ(QuietUntilText(kUntilEnd), L"2026-12-11 14:30");
    EXPECT_EQ(QuietUntilText(kTurnedOff), L"off-only");
    EXPECT_EQ(QuietUntilText({}), L"");

    for (const wchar_t* bad : {L"", L"2026-13-01 08:00", L"2026-02-30 08:00", L"2027-02-29 08:00", L"2026-01-01 24:00",
                               L"2026-01-01 08:60", L"2026-00-10 08:00", L"2026-01-00 08:00", L"off-only ",
                               L"OFF-ONLY", L"garbage", L"2026-01-01 08:00x", L"2026-01-01 8:00", L"2026-1-01 08:00",
                               L"2026/01/01 08:00", L"+026-01-01 08:00", L"2026-01-01T08:00", L"2026-01-01 08:00:00"})
        EXPECT_EQ(ParseQuietUntil(bad), QuietChoice{}) << testing::PrintToString(std::wstring(bad));
}

TEST(Quiet, ChoiceIsKeptInTheSettingsFile) {
    const TempWorkingDirectory folder;
    EXPECT_EQ(ReadQuietChoice(), QuietChoice{}) << "no file";
    ASSERT_TRUE(WriteQuietChoice(kUntilEnd));
    EXPECT_EQ(settings::ReadString(L"Quiet", L"Until", L"", 64), L"2026-12-11 14:30");
    EXPECT_EQ(ReadQuietChoice(), kUntilEnd);
    ASSERT_TRUE(WriteQuietChoice(kTurnedOff));
    EXPECT_EQ(ReadQuietChoice(), kTurnedOff);
    ASSERT_TRUE(WriteQuietChoice({}));
    EXPECT_EQ(settings::ReadString(L"Quiet", L"Until", L"absent", 64), L"absent") << "Off removes the key";
    settings::WriteString(L"Quiet", L"Until", L"2026-02-30 08:00");
    EXPECT_EQ(ReadQuietChoice(), QuietChoice{});

    EXPECT_FALSE(ReadAlertsThroughFullScreen());
    for (const auto& [value, through] : {std::pair{L"1", true}, {L"0", false}, {L"yes", false}, {L"", false}}) {
        settings::WriteString(alerts::kAlertsSection, L"FullScreen", value);
        EXPECT_EQ(ReadAlertsThroughFullScreen(), through) << testing::PrintToString(std::wstring(value));
    }
}

TEST(Quiet, ForegroundCountsUnlessDesktopShellOrOurs) {
    EXPECT_TRUE(ForegroundCounts(false, L"ChartWindow", false));
    EXPECT_FALSE(ForegroundCounts(true, L"#32769", false)) << "the desktop window itself";
    EXPECT_FALSE(ForegroundCounts(false, L"ChartWindow", true)) << "our own window";
    for (const wchar_t* shell : {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd", L"progman"})
        EXPECT_FALSE(ForegroundCounts(false, shell, false)) << testing::PrintToString(std::wstring(shell));
    EXPECT_TRUE(ForegroundCounts(false, L"Progman2", false));
}

TEST(Quiet, FillsMonitorOnlyWhenTheWholeMonitorIsCovered) {
    const ScreenRect primary{0, 0, 1280, 800}, second{1280, 0, 2304, 768};
    EXPECT_TRUE(FillsMonitor({0, 0, 1280, 800}, primary));
    EXPECT_TRUE(FillsMonitor({-8, -8, 1288, 808}, primary)) << "a maximised-style overhang";
    EXPECT_FALSE(FillsMonitor({0, 0, 1280, 760}, primary)) << "a maximised window above the taskbar";
    EXPECT_FALSE(FillsMonitor({1, 0, 1280, 800}, primary));
    EXPECT_FALSE(FillsMonitor({1280, 0, 2304, 768}, primary)) << "full screen on the other monitor";
    EXPECT_TRUE(FillsMonitor({1280, 0, 2304, 768}, second));
    EXPECT_FALSE(FillsMonitor({0, 0, 0, 0}, {0, 0, 0, 0})) << "no monitor";
}

NewsItem Headline(int n) { return {{}, 1'700'000'000 + n, L"快讯 " + std::to_wstring(n), L""}; }
alerts::AlertMatch Match(int n) { return {static_cast<std::size_t>(n), n % 2 == 0, L"快讯 " + std::to_wstring(n), {}}; }

TEST(QuietBacklog, CountsEverythingAndShowsTheNewestAlertsThatFit) {
    struct Case {
        int ordinary, alerts;          // added interleaved: alerts first, then ordinary ones
        std::size_t view;
        std::size_t shownAlerts;       // the newest of them
    };
    const Case cases[] = {{3, 0, 7, 0}, {3, 2, 7, 2}, {0, 6, 7, 6}, {1, 7, 7, 6}, {5, 9, 4, 3},
                          {0, 3, 1, 0}, {0, 3, 0, 0}, {10, 200, 7, 6}};
    for (const Case& c : cases) {
        QuietBacklog backlog;
        EXPECT_TRUE(backlog.Empty());
        for (int i = 0; i < c.alerts; ++i) {
            const alerts::AlertMatch match = Match(i);
            backlog.Add(Headline(i), &match);
        }
        for (int i = 0; i < c.ordinary; ++i) backlog.Add(Headline(1000 + i), nullptr);
        const auto what = testing::Message() << c.ordinary << " ordinary, " << c.alerts << " alerts, view " << c.view;
        EXPECT_EQ(backlog.Received(), static_cast<std::size_t>(c.ordinary + c.alerts)) << what;
        EXPECT_EQ(backlog.Empty(), c.ordinary + c.alerts == 0) << what;

        const QuietRelease release = backlog.Release(c.view);
        EXPECT_EQ(release.received, static_cast<std::size_t>(c.ordinary + c.alerts)) << what;
        ASSERT_EQ(release.alerts.size(), c.shownAlerts) << what;
        for (std::size_t i = 0; i < release.alerts.size(); ++i) {
            const int n = c.alerts - static_cast<int>(c.shownAlerts) + static_cast<int>(i);  // oldest first
            EXPECT_EQ(release.alerts[i].item, Headline(n)) << what;
            EXPECT_EQ(release.alerts[i].match.visibleText, Match(n).visibleText) << what;
            EXPECT_EQ(release.alerts[i].match.sound, Match(n).sound) << what;
        }
        EXPECT_TRUE(backlog.Empty()) << what;
        EXPECT_EQ(backlog.Received(), 0u) << what;
        EXPECT_EQ(backlog.Release(c.view).alerts.size(), 0u) << what << ": released once";
    }
}

TEST(QuietBacklog, KeepsABoundedNumberOfAlertsOverALongQuiet) {
    QuietBacklog backlog;
    for (int i = 0; i < 100'000; ++i) {
        const alerts::AlertMatch match = Match(i);
        backlog.Add(Headline(i), &match);
    }
    // A view larger than any screen gives: what is kept is bounded, and the newest are what is kept.
    const QuietRelease release = backlog.Release(100'000);
    EXPECT_EQ(release.received, 100'000u);
    ASSERT_GE(release.alerts.size(), 20u);
    EXPECT_LE(release.alerts.size(), 100u);
    EXPECT_EQ(release.alerts.back().item, Headline(99'999));
}

TEST(QuietBacklog, SummaryTextAndEntriesPerView) {
    EXPECT_EQ(QuietSummaryText(12), L"免打扰期间收到 12 条快讯");
    EXPECT_EQ(QuietSummaryText(1), L"免打扰期间收到 1 条快讯");
    struct Case {
        int workArea, frame, entry;
        std::size_t expected;
    };
    // The pop-up grows by one entry while it is lower than half the work area.
    const Case cases[] = {{800, 32, 65, 6},  // 32 + 5 * 65 = 357 < 400: a sixth entry grows it to 422
                          {800, 35, 73, 5},  // 35 + 5 * 73 = 400 is not lower: five
                          {400, 32, 65, 3}, {100, 32, 65, 1}, {40, 32, 65, 1}, {0, 32, 65, 1}, {800, 32, 0, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(EntriesPerView(c.workArea, c.frame, c.entry), c.expected)
            << c.workArea << ", " << c.frame << ", " << c.entry;
}

}  // namespace
}  // namespace popup
