#pragma once
// Where the main window sends a headline taken from the news queue.
#include <cstddef>
#include <vector>

#include "connection/Guid.h"

struct NewsRoute {
    bool toList = false;   // CLinkListViewEx::AddUnit, served first
    bool toPopup = false;  // CQuickInform::AddNews, which decides itself whether to announce it
};

// A history item (null category) is listed only; an item of the selected category is listed, and
// announced only once its history has loaded; an item of any other category is announced only.
NewsRoute RouteNewsItem(const Guid& itemCategory, const Guid& selectedCategory, bool historyLoading);

// A batch taken from the queue at once, in arrival order: the list holds listRows rows, so of the items
// routed to it only the newest listRows stay routed there; older ones would be pushed out unseen, each
// costing a call of the page. The pop-up routes are left as they are.
void KeepNewestListRows(std::vector<NewsRoute>& routes, std::size_t listRows);
