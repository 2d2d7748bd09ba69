#include "app/NewsRouting.h"

#include <gtest/gtest.h>

#include <vector>

#include "connection/Category.h"

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

}  // namespace
