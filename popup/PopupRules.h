#pragma once
// What the pop-up notifier decides without a window: whether an item is announced, which items of a burst
// get entries, how long the window stays, which sound plays, and the texts an entry shows. The settings are read from Setting.ini at the
// moment of use, so a change in the settings dialog counts from the next item on.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "alerts/AlertMatcher.h"
#include "connection/Guid.h"

// The pop-up switches as last read: the main switch and one per category. A switch whose key has never
// held "0" or "1" is off, as the settings dialog shows it.
struct PopupSwitches {
    bool main = false;
    bool forex = false;
    bool gold = false;
    bool stocks = false;
    bool futures = false;

    friend bool operator==(const PopupSwitches&, const PopupSwitches&) = default;
};

namespace popup {

// Reads Show, Fx168Show, HexunShow, HexunGPShow and HexunQHShow in that order. "0" turns a switch off,
// "1" on; any other value, or a missing key, leaves it as it was.
void ReadSwitches(PopupSwitches& switches);

// An item is announced when the main switch is on and either its category's switch is on or it belongs
// to none of the four categories.
bool ShouldAnnounce(const PopupSwitches& switches, const Guid& category);

// How an item handed to the pop-up is announced. A keyword alert is announced whatever the switches say.
enum class Announcement { Skipped, Ordinary, Alert, SilentAlert };
Announcement HowToAnnounce(const PopupSwitches& switches, const Guid& category, const alerts::AlertMatch* alert);

// Which items of a batch (given in arrival order) get entries, as indices in arrival order: every alert,
// and of the ordinary items the newest that fit in what the alerts leave of room. Older ordinary items
// would only be scrolled past unseen; an alert is never dropped.
std::vector<std::size_t> BatchEntries(std::span<const Announcement> batch, std::size_t room);

// One sound per batch: the alert sound when an alert with sound is announced, else the sound chosen in the
// settings when an ordinary item is, else none (a batch of silent alerts only).
enum class BatchSound { None, Chosen, Alert };
BatchSound ChooseBatchSound(std::span<const Announcement> batch);

// The stay time for the latest item, from its category's delay key or the general Delay, or none when
// no step selects one (the window then stays until it is closed or a later item chooses again). Stocks
// and futures items whose own switch is off fall back to Delay; forex and gold items do not. An alert
// counts as announced with the main switch and its category's switch on.
std::optional<unsigned> ChooseStayTime(const PopupSwitches& switches, const Guid& latestCategory,
                                       bool latestIsAlert = false);

// An entry on show as the stay rule sees it.
struct EntryOnShow {
    bool alert = false;
    bool acknowledged = false;  // the user clicked it
    bool scrolledOut = false;
};

// The stay time runs unless an alert entry the user has not clicked is still in view.
bool StayTimeRuns(std::span<const EntryOnShow> entries);

// The embedded sound to play (163 or 164), from the Sound key.
int ChooseSound();

// The markup given to an entry's link control: "<a>" + title + "</a>"; a title of more than 19 UTF-16
// code units shows its first 23 followed by "...". A cut never splits a surrogate pair.
std::wstring EntryLinkText(const std::wstring& title);

// The text of an entry whose item has no link: the title shortened like the link's, without markup.
std::wstring EntryLabelText(const std::wstring& title);

// The publish time in local time as "2011年09月06日  09:05"; empty for a time before 1970 or after the
// year 3000, which the entry cannot show.
std::wstring EntryTimeText(std::int64_t publishTime);

// How far the entries scroll up at once when a new one is added below a full window, so that what waits
// below the view never exceeds one view height (or one entry, when an entry is taller than the view):
// the excess beyond that, 0 when there is none. Items that arrive faster than the motion scrolls them in
// thus skip ahead instead of queueing without end.
int CatchUpScroll(int waitingBelow, int viewHeight, int entryHeight);

// The bitmap resource of an entry: the category's logo, or the envelope for any other category.
int EntryBitmap(const Guid& category);

}  // namespace popup
