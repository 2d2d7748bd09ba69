#include "app/NewsRouting.h"

NewsRoute RouteNewsItem(const Guid& itemCategory, const Guid& selectedCategory, bool historyLoading) {
    if (itemCategory.IsNull()) return {.toList = true, .toPopup = false};
    if (itemCategory == selectedCategory) return {.toList = true, .toPopup = !historyLoading};
    return {.toList = false, .toPopup = true};
}
