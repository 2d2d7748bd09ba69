#pragma once
// What waited while the pop-up kept quiet, shown when quiet ends: each waiting alert as its own entry,
// then one summary entry "免打扰期间收到 N 条快讯" that shows the main window when clicked.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "alerts/AlertMatcher.h"
#include "connection/NewsItem.h"

namespace popup {

struct WaitingAlert {
    NewsItem item;
    alerts::AlertMatch match;
};

// The pop-up's entries when quiet ends: the alerts to show, oldest first, and the summary's count.
struct QuietRelease {
    std::vector<WaitingAlert> alerts;
    std::size_t received = 0;  // every headline that waited, the alerts among them
};

class QuietBacklog {
public:
    // A headline the pop-up would have announced; alert is set for a keyword alert.
    void Add(const NewsItem& item, const alerts::AlertMatch* alert);
    bool Empty() const { return received_ == 0; }
    std::size_t Received() const { return received_; }

    // Takes what waited, emptying the list. The entries never exceed viewEntries (the summary counts as
    // one): the oldest alerts give way first, and are counted in the summary like every headline.
    QuietRelease Release(std::size_t viewEntries);

private:
    std::deque<WaitingAlert> alerts_;  // at most what one view could show is worth keeping
    std::size_t received_ = 0;
};

// The summary entry's text.
std::wstring QuietSummaryText(std::size_t received);

// How many entries one view of the pop-up holds: it grows by one entry while it is lower than half the
// work area's height (frame included), so the last entry may reach past that half; at least one.
std::size_t EntriesPerView(int workAreaHeight, int frameHeight, int entryHeight);

}  // namespace popup
