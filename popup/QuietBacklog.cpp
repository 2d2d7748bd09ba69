#include "popup/QuietBacklog.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace popup {

namespace {
// The view's size is known only when quiet ends; no pop-up view holds this many entries, and the oldest
// alerts beyond it would give way anyway.
constexpr std::size_t kKeptAlerts = 50;
}  // namespace

void QuietBacklog::Add(const NewsItem& item, const alerts::AlertMatch* alert) {
    ++received_;
    if (!alert) return;
    alerts_.push_back({item, *alert});
    if (alerts_.size() > kKeptAlerts) alerts_.pop_front();
}

QuietRelease QuietBacklog::Release(std::size_t viewEntries) {
    QuietRelease release;
    release.received = std::exchange(received_, 0);
    const std::size_t room = std::max<std::size_t>(viewEntries, 1) - 1;  // the summary takes one
    const std::size_t shown = std::min(room, alerts_.size());
    release.alerts.assign(std::make_move_iterator(alerts_.end() - static_cast<std::ptrdiff_t>(shown)),
                          std::make_move_iterator(alerts_.end()));
    alerts_.clear();
    return release;
}

std::wstring QuietSummaryText(std::size_t received) {
    return L"免打扰期间收到 " + std::to_wstring(received) + L" 条快讯";
}

std::size_t EntriesPerView(int workAreaHeight, int frameHeight, int entryHeight) {
    // The pop-up takes one more entry while it is lower than half the work area.
    const int room = workAreaHeight / 2 - frameHeight;
    if (room <= 0 || entryHeight <= 0) return 1;
    return static_cast<std::size_t>((room + entryHeight - 1) / entryHeight);
}

}  // namespace popup
