#include "app/NewsRouting.h"

#include <gtest/gtest.h>

#include <vector>

#include "alerts/AlertMatcher.h"
#include "connection/Category.h"
#include "popup/PopupRules.h"

namespace {

struct RouteCase {
    const char* name;
    Guid item;
    bool loading;
    bool toList;
    bool toPopup;
};

TEST(NewsRouting, FollowsTheTableForTheSelectedStocksTab) {
    const Guid selected = kStocks.guid;
    const RouteCase cases[] = {
        {"history item, loading", Guid{}, true, true, false},
        {"history item, live", Guid{}, false, true, false},
        {"selected category, loading", kStocks.guid, true, true, false},
        {"selected category, live", kStocks.guid, false, true, true},
        {"other category, loading", kGold.guid, true, false, true},
        {"other category, live", kFutures.guid, false, false, true},
        {"unknown category, live", MakeGuid(1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}), false, false, true},
    };
    for (const RouteCase& c : cases) {
        const NewsRoute route = RouteNewsItem(c.item, selected, c.loading);
        EXPECT_EQ(route.toList, c.toList) << c.name;
        EXPECT_EQ(route.toPopup, c.toPopup) << c.name;
    }
}

TEST(NewsRouting, ComparesEveryByteOfTheCategory) {
    Guid almostStocks = kStocks.guid;
    almostStocks.bytes[15] ^= 1;
    const NewsRoute route = RouteNewsItem(almostStocks, kStocks.guid, false);
    EXPECT_FALSE(route.toList);
    EXPECT_TRUE(route.toPopup);
}

TEST(NewsRouting, BeforeAnyTabIsSelectedOnlyHistoryReachesTheList) {
    // The selected category starts as the null GUID; a live item must not be taken for history.
    const NewsRoute history = RouteNewsItem(Guid{}, Guid{}, false);
    EXPECT_TRUE(history.toList);
    EXPECT_FALSE(history.toPopup);  // a history item is never announced, even when it equals the selection
    const NewsRoute live = RouteNewsItem(kForex.guid, Guid{}, false);
    EXPECT_FALSE(live.toList);
    EXPECT_TRUE(live.toPopup);
}

TEST(NewsRouting, OfABurstOnlyTheRowsTheListWillHoldAreListed) {
    // 30 items in arrival order: every third one for the pop-up only, the rest for the list (some also
    // for the pop-up). The list holds 5 rows.
    std::vector<NewsRoute> routes;
    for (int i = 0; i < 30; ++i) routes.push_back({.toList = i % 3 != 0, .toPopup = i % 2 == 0});
    const std::vector<NewsRoute> before = routes;
    KeepNewestListRows(routes, 5);
    std::vector<int> listed;
    for (int i = 0; i < 30; ++i) {
        if (routes[i].toList) listed.push_back(i);
        EXPECT_EQ(routes[i].toPopup, before[i].toPopup) << "the pop-up's share is untouched, item " << i;
    }
    EXPECT_EQ(listed, (std::vector<int>{23, 25, 26, 28, 29}));

    std::vector<NewsRoute> few(3, NewsRoute{.toList = true, .toPopup = false});
    KeepNewestListRows(few, 5);
    for (const NewsRoute& route : few) EXPECT_TRUE(route.toList) << "a batch the list holds whole stays whole";
}

// From the frame to what the user sees of a headline that matches a keyword rule: the category it is queued
// under, where it is routed, and how the pop-up announces it. An alert gets through every switch that is
// off; a history item is never matched, so never announced.
TEST(NewsRouting, AnAlertGetsThroughSwitchedOffPopupsAndHistoryLoadsButHistoryIsNeverOne) {
    const struct {
        const char* name;
        Guid frame;
        Guid selected;
        bool loading;
        bool matchesRule;
        bool ruleSound;
        bool listed;
        popup::Announcement announced;
    } cases[] = {
        {"forex alert during the gold history", kForex.guid, kGold.guid, true, true, true, false, popup::Announcement::Alert},
        {"forex headline during the gold history", kForex.guid, kGold.guid, true, false, true, false, popup::Announcement::Skipped},
        {"gold frame during the gold history", kGold.guid, kGold.guid, true, true, true, true, popup::Announcement::Skipped},
        {"null-category frame during a history", Guid{}, kGold.guid, true, true, true, true, popup::Announcement::Skipped},
        {"live stocks alert with stocks selected", kStocks.guid, kStocks.guid, false, true, true, true, popup::Announcement::Alert},
        {"silent rule's futures alert", kFutures.guid, kStocks.guid, false, true, false, false, popup::Announcement::SilentAlert},
    };
    PopupSwitches allOff;  // the pop-up and every category switched off
    alerts::AlertMatch match;
    for (const auto& c : cases) {
        const Guid queued = QueuedCategory(c.frame, c.selected, c.loading);
        const NewsRoute route = RouteNewsItem(queued, c.selected, c.loading);
        match.sound = c.ruleSound;
        const bool alert = route.toPopup && c.matchesRule;  // the main window matches only what may be announced
        const popup::Announcement announced =
            route.toPopup ? popup::HowToAnnounce(allOff, queued, alert ? &match : nullptr) : popup::Announcement::Skipped;
        EXPECT_EQ(route.toList, c.listed) << c.name;
        EXPECT_EQ(announced, c.announced) << c.name;
    }
}

}  // namespace
