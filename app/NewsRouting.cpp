#include "app/NewsRouting.h"

NewsRoute RouteNewsItem(const Guid& itemCategory, const Guid& selectedCategory, bool historyLoading) {
    if (itemCategory.IsNull()) return {.toList = true, .toPopup = false};
    if (itemCategory == selectedCategory) return {.toList = true, .toPopup = !historyLoading};
    return {.toList = false, .toPopup = true};
}

void KeepNewestListRows(std::vector<NewsRoute>& routes, std::size_t listRows) {
    std::size_t kept = 0;
    for (auto route = routes.rbegin(); route != routes.rend(); ++route)
        if (route->toList && ++kept > listRows) route->toList = false;
}
