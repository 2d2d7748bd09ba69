#include "app/NewsRouting.h"

#include <gtest/gtest.h>

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

}  // namespace
