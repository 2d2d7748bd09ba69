#pragma once
// Where the main window sends a headline taken from the news queue.
#include "connection/Guid.h"

struct NewsRoute {
    bool toList = false;   // CLinkListViewEx::AddUnit, served first
    bool toPopup = false;  // CQuickInform::AddNews, which decides itself whether to announce it
};

// A history item (null category) is listed only; an item of the selected category is listed, and
// announced only once its history has loaded; an item of any other category is announced only.
NewsRoute RouteNewsItem(const Guid& itemCategory, const Guid& selectedCategory, bool historyLoading);
