#include "popup/PopupRules.h"

#include <algorithm>
#include <ctime>
#include <cwchar>
#include <iterator>

#include "connection/Category.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Text.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsRules.h"

namespace popup {

namespace {

void ReadSwitch(const std::wstring& key, bool& value) {
    if (const std::optional<bool> read = settings::ParseShowSwitch(settings::ReadProperty(key, settings::kNone)))
        value = *read;
}

std::optional<unsigned> ReadStayTime(const wchar_t* categoryPrefix, settings::DelayList list) {
    const int index = settings::ParseSettingInt(settings::ReadProperty(settings::DelayKey(categoryPrefix), L"0"));
    return settings::StayTimeMilliseconds(list, index);
}

// The title as an entry shows it: whole up to 19 code units, otherwise its first 23 (fewer when the 23rd
// would be the first half of a pair) and "...".
std::wstring ShortenedTitle(const std::wstring& title) {
    constexpr std::size_t kWholeUpTo = 19;
    constexpr std::size_t kKept = 23;
    if (title.size() <= kWholeUpTo) return title;
    return title.substr(0, platform::UnitsWithinLimit(title, kKept)) + L"...";
}

// The entry shows times from 1970 to the end of the year 3000 (3000-12-31 23:59:59 UTC) on every platform.
constexpr std::int64_t kLatestShownTime = 32'535'215'999;

}  // namespace

void ReadSwitches(PopupSwitches& switches) {
    ReadSwitch(settings::ShowKey(L""), switches.main);
    ReadSwitch(settings::ShowKey(kForex.settingsPrefix), switches.forex);
    ReadSwitch(settings::ShowKey(kGold.settingsPrefix), switches.gold);
    ReadSwitch(settings::ShowKey(kStocks.settingsPrefix), switches.stocks);
    ReadSwitch(settings::ShowKey(kFutures.settingsPrefix), switches.futures);
}

bool ShouldAnnounce(const PopupSwitches& switches, const Guid& category) {
    if (!switches.main) return false;
    if (category == kGold.guid) return switches.gold;
    if (category == kForex.guid) return switches.forex;
    if (category == kFutures.guid) return switches.futures;
    if (category == kStocks.guid) return switches.stocks;
    return true;
}

Announcement HowToAnnounce(const PopupSwitches& switches, const Guid& category, const alerts::AlertMatch* alert) {
    if (alert) return alert->sound ? Announcement::Alert : Announcement::SilentAlert;
    return ShouldAnnounce(switches, category) ? Announcement::Ordinary : Announcement::Skipped;
}

std::vector<std::size_t> BatchEntries(std::span<const Announcement> batch, std::size_t room) {
    const auto isAlert = [](Announcement a) { return a == Announcement::Alert || a == Announcement::SilentAlert; };
    const auto alerts = static_cast<std::size_t>(std::count_if(batch.begin(), batch.end(), isAlert));
    std::size_t ordinaryRoom = room > alerts ? room - alerts : 0;
    std::vector<std::size_t> entries;
    for (std::size_t i = batch.size(); i-- > 0;) {
        if (isAlert(batch[i])) {
            entries.push_back(i);
        } else if (batch[i] == Announcement::Ordinary && ordinaryRoom > 0) {
            entries.push_back(i);
            --ordinaryRoom;
        }
    }
    std::reverse(entries.begin(), entries.end());
    return entries;
}

BatchSound ChooseBatchSound(std::span<const Announcement> batch) {
    const auto has = [batch](Announcement a) { return std::find(batch.begin(), batch.end(), a) != batch.end(); };
    if (has(Announcement::Alert)) return BatchSound::Alert;
    return has(Announcement::Ordinary) ? BatchSound::Chosen : BatchSound::None;
}

bool StayTimeRuns(std::span<const EntryOnShow> entries) {
    return std::none_of(entries.begin(), entries.end(),
                        [](const EntryOnShow& e) { return e.alert && !e.acknowledged && !e.scrolledOut; });
}

std::optional<unsigned> ChooseStayTime(const PopupSwitches& announced, const Guid& latestCategory,
                                       bool latestIsAlert) {
    using settings::DelayList;
    PopupSwitches switches = announced;
    if (latestIsAlert) {
        switches.main = true;
        switches.forex |= latestCategory == kForex.guid;
        switches.gold |= latestCategory == kGold.guid;
        switches.stocks |= latestCategory == kStocks.guid;
        switches.futures |= latestCategory == kFutures.guid;
    }
    const bool forex = latestCategory == kForex.guid;
    const bool gold = latestCategory == kGold.guid;
    // Each step that selects a time replaces the one an earlier step selected.
    std::optional<unsigned> chosen;
    auto select = [&chosen](std::optional<unsigned> time) {
        if (time) chosen = time;
    };
    if (switches.main && !forex && !gold) select(ReadStayTime(L"", DelayList::General));
    if (switches.forex && forex) select(ReadStayTime(kForex.settingsPrefix, DelayList::Forex));
    if (switches.gold && gold) select(ReadStayTime(kGold.settingsPrefix, DelayList::Category));
    if (switches.futures && latestCategory == kFutures.guid)
        select(ReadStayTime(kFutures.settingsPrefix, DelayList::Category));
    if (switches.stocks && latestCategory == kStocks.guid)
        select(ReadStayTime(kStocks.settingsPrefix, DelayList::Category));
    return chosen;
}

int ChooseSound() { return settings::SoundResourceFor(settings::ReadProperty(settings::kSoundKey, settings::kNone)); }

std::wstring EntryLinkText(const std::wstring& title) { return L"<a>" + ShortenedTitle(title) + L"</a>"; }

std::wstring EntryLabelText(const std::wstring& title) { return ShortenedTitle(title); }

std::wstring EntryTimeText(std::int64_t publishTime) {
    std::tm local{};
    if (publishTime < 0 || publishTime > kLatestShownTime || !platform::ToLocalTime(publishTime, local)) return {};
    wchar_t text[128];
    const int length = std::swprintf(text, std::size(text), L"%04d年%02d月%02d日  %02d:%02d", local.tm_year + 1900,
                                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

int CatchUpScroll(int waitingBelow, int viewHeight, int entryHeight) {
    return std::max(0, waitingBelow - std::max(viewHeight, entryHeight));
}

int EntryBitmap(const Guid& category) {
    const CategoryInfo* info = FindCategory(category);
    return info ? info->entryBitmap : kOtherCategoryBitmap;
}

}  // namespace popup
