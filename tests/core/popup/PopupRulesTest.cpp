#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "connection/Category.h"
#include "popup/PopupRules.h"
#include "settings/SettingsFile.h"
#include "tests/core/support/ScopedTimeZone.h"
#include "tests/core/support/TempWorkingDirectory.h"

namespace {

using Keys = std::map<std::wstring, std::wstring>;

// A fresh Setting.ini holding exactly these [Properties] keys, in a folder of its own.
class PropertiesFile {
public:
    explicit PropertiesFile(const Keys& keys) {
        for (const auto& [key, value] : keys) settings::WriteString(settings::kProperties, key.c_str(), value);
    }

private:
    TempWorkingDirectory folder_;
};

const Guid kUnknown = MakeGuid(0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8});

std::string Name(const Guid& category) {
    const CategoryInfo* info = FindCategory(category);
    return info ? info->name : (category.IsNull() ? "null" : "unknown");
}

TEST(PopupSwitches, OnlyZeroOrOneChangesASwitch) {
    struct Case {
        Keys keys;
        PopupSwitches before, after;
    };
    const PopupSwitches allOn{true, true, true, true, true};
    const Case cases[] = {
        {{}, {}, {}},             // no file: every switch keeps its value
        {{}, allOn, allOn},
        {{{L"Show", L"1"}, {L"Fx168Show", L"1"}, {L"HexunShow", L"1"}, {L"HexunGPShow", L"1"}, {L"HexunQHShow", L"1"}},
         {}, allOn},
        {{{L"Show", L"0"}, {L"Fx168Show", L"0"}, {L"HexunShow", L"0"}, {L"HexunGPShow", L"0"}, {L"HexunQHShow", L"0"}},
         allOn, {}},
        // Each key moves its own switch only.
        {{{L"HexunGPShow", L"1"}}, {}, {false, false, false, true, false}},
        {{{L"HexunQHShow", L"1"}}, {}, {false, false, false, false, true}},
        {{{L"HexunShow", L"0"}}, allOn, {true, true, false, true, true}},
        {{{L"Fx168Show", L"0"}}, allOn, {true, false, true, true, true}},
        // Anything but the exact texts says nothing.
        {{{L"Show", L"None"}, {L"Fx168Show", L"2"}, {L"HexunShow", L"-1"}, {L"HexunGPShow", L"01"}, {L"HexunQHShow", L""}},
         {true, false, true, false, true}, {true, false, true, false, true}},
    };
    for (const Case& c : cases) {
        const PropertiesFile file(c.keys);
        PopupSwitches switches = c.before;
        popup::ReadSwitches(switches);
        EXPECT_EQ(switches, c.after) << testing::PrintToString(c.keys);
    }
}

TEST(PopupAnnouncing, MainSwitchThenTheCategorysOwn) {
    const PopupSwitches allOn{true, true, true, true, true};
    for (const Guid& category : {kForex.guid, kGold.guid, kStocks.guid, kFutures.guid, kUnknown})
        EXPECT_FALSE(popup::ShouldAnnounce({false, true, true, true, true}, category)) << Name(category);
    for (const Guid& category : {kForex.guid, kGold.guid, kStocks.guid, kFutures.guid, kUnknown})
        EXPECT_TRUE(popup::ShouldAnnounce(allOn, category)) << Name(category);

    // With only the main switch on, only categories outside the four are announced.
    const PopupSwitches mainOnly{true, false, false, false, false};
    for (const Guid& category : {kForex.guid, kGold.guid, kStocks.guid, kFutures.guid})
        EXPECT_FALSE(popup::ShouldAnnounce(mainOnly, category)) << Name(category);
    EXPECT_TRUE(popup::ShouldAnnounce(mainOnly, kUnknown));

    // One category's switch does not announce another's items.
    EXPECT_TRUE(popup::ShouldAnnounce({true, false, false, true, false}, kStocks.guid));
    EXPECT_FALSE(popup::ShouldAnnounce({true, false, false, true, false}, kFutures.guid));
    EXPECT_TRUE(popup::ShouldAnnounce({true, false, true, false, false}, kGold.guid));
    EXPECT_FALSE(popup::ShouldAnnounce({true, false, true, false, false}, kForex.guid));
}

TEST(PopupAnnouncing, AnAlertIsAnnouncedWhateverTheSwitchesSay) {
    using popup::Announcement;
    alerts::AlertMatch loud, silent;
    silent.sound = false;
    const PopupSwitches allOff{};
    const PopupSwitches allOn{true, true, true, true, true};
    for (const Guid& category : {kForex.guid, kGold.guid, kStocks.guid, kFutures.guid, kUnknown}) {
        for (const PopupSwitches& switches : {allOff, allOn, PopupSwitches{false, true, true, true, true}}) {
            EXPECT_EQ(popup::HowToAnnounce(switches, category, &loud), Announcement::Alert) << Name(category);
            EXPECT_EQ(popup::HowToAnnounce(switches, category, &silent), Announcement::SilentAlert) << Name(category);
            EXPECT_EQ(popup::HowToAnnounce(switches, category, nullptr),
                      popup::ShouldAnnounce(switches, category) ? Announcement::Ordinary : Announcement::Skipped)
                << Name(category);
        }
    }
}

TEST(PopupBurst, EveryAlertGetsAnEntryAndOrdinaryItemsTheNewestOfTheRest) {
    using enum popup::Announcement;
    struct Case {
        const char* what;
        std::vector<popup::Announcement> batch;
        std::size_t room;
        std::vector<std::size_t> expected;
    };
    const Case cases[] = {
        {"empty", {}, 3, {}},
        {"fits", {Ordinary, Skipped, Ordinary}, 3, {0, 2}},
        {"newest ordinary items", {Ordinary, Ordinary, Ordinary, Ordinary}, 2, {2, 3}},
        {"skipped items take no room", {Ordinary, Ordinary, Skipped, Skipped}, 2, {0, 1}},
        {"oldest alerts kept, in arrival order", {Alert, SilentAlert, Ordinary, Ordinary, Ordinary, Ordinary}, 4,
         {0, 1, 4, 5}},
        {"alerts among ordinary items", {Ordinary, Alert, Ordinary, Ordinary, Alert, Ordinary}, 3, {1, 4, 5}},
        {"more alerts than room", {Alert, Ordinary, Alert, SilentAlert}, 2, {0, 2, 3}},
        {"alerts only", {SilentAlert, Skipped, Alert}, 10, {0, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(popup::BatchEntries(c.batch, c.room), c.expected) << c.what;
}

TEST(PopupSound, OneSoundPerBatchAndTheAlertSoundFirst) {
    using enum popup::Announcement;
    using Sound = popup::BatchSound;
    struct Case {
        std::vector<popup::Announcement> batch;
        Sound expected;
    };
    const Case cases[] = {
        {{}, Sound::None},
        {{Skipped, Skipped}, Sound::None},
        {{Ordinary}, Sound::Chosen},
        {{Skipped, Ordinary}, Sound::Chosen},
        {{Alert}, Sound::Alert},
        {{Ordinary, Alert, Ordinary}, Sound::Alert},
        {{SilentAlert, Alert}, Sound::Alert},
        {{SilentAlert}, Sound::None},
        {{SilentAlert, Skipped, SilentAlert}, Sound::None},
        {{SilentAlert, Ordinary}, Sound::Chosen},
    };
    for (const Case& c : cases)
        EXPECT_EQ(popup::ChooseBatchSound(c.batch), c.expected) << testing::PrintToString(c.batch);
}

TEST(PopupStayTime, RunsUnlessAnUnclickedAlertIsInView) {
    using Entry = popup::EntryOnShow;
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        bool runs;
    };
    const Case cases[] = {
        {"nothing on show", {}, true},
        {"ordinary entries", {{}, {}}, true},
        {"an alert", {{}, {true, false, false}, {}}, false},
        {"a clicked alert", {{true, true, false}, {}}, true},
        {"a scrolled-out alert", {{true, false, true}, {}}, true},
        {"one of two alerts clicked", {{true, true, false}, {true, false, false}}, false},
        {"both clicked", {{true, true, false}, {true, true, false}}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(popup::StayTimeRuns(c.entries), c.runs) << c.what;
}

TEST(PopupStayTime, FollowsTheArmingSteps) {
    struct Case {
        const char* what;
        PopupSwitches switches;
        Guid category;
        Keys keys;
        std::optional<unsigned> expected;
        bool alert = false;
    };
    const PopupSwitches allOn{true, true, true, true, true};
    const PopupSwitches mainOnly{true, false, false, false, false};
    const Case cases[] = {
        {"no file: forex", allOn, kForex.guid, {}, 5'000u},
        {"no file: gold", allOn, kGold.guid, {}, 30'000u},
        {"no file: stocks", allOn, kStocks.guid, {}, 30'000u},
        {"no file: futures", allOn, kFutures.guid, {}, 30'000u},
        {"no file: other category, 24 hours", allOn, kUnknown, {}, 86'400'000u},
        {"forex last choice", allOn, kForex.guid, {{L"Fx168Delay", L"8"}}, 300'000u},
        {"forex past its list", allOn, kForex.guid, {{L"Fx168Delay", L"9"}}, std::nullopt},
        {"gold past its list", allOn, kGold.guid, {{L"HexunDelay", L"6"}}, std::nullopt},
        {"gold no selection", allOn, kGold.guid, {{L"HexunDelay", L"-1"}}, std::nullopt},
        {"stocks choice", allOn, kStocks.guid, {{L"HexunGPDelay", L"4"}}, 180'000u},
        {"futures choice", allOn, kFutures.guid, {{L"HexunQHDelay", L"3"}, {L"Delay", L"1"}}, 60'000u},
        {"other category", allOn, kUnknown, {{L"Delay", L" +2"}}, 20'000u},
        {"other category, no digits", allOn, kUnknown, {{L"Delay", L"None"}}, 86'400'000u},
        {"other category past its list", allOn, kUnknown, {{L"Delay", L"6"}}, std::nullopt},
        {"main off: nothing for other", {false, true, true, true, true}, kUnknown, {}, std::nullopt},
        // A stocks or futures item whose own switch is off falls back to Delay...
        {"stocks off falls back", mainOnly, kStocks.guid, {{L"Delay", L"1"}, {L"HexunGPDelay", L"5"}}, 10'000u},
        {"futures off falls back", mainOnly, kFutures.guid, {{L"Delay", L"2"}}, 20'000u},
        {"stocks off, main off", {false, false, false, false, false}, kStocks.guid, {{L"Delay", L"1"}}, std::nullopt},
        // ...and so does one whose own choice is outside its list.
        {"stocks no selection", allOn, kStocks.guid, {{L"HexunGPDelay", L"-1"}, {L"Delay", L"3"}}, 30'000u},
        // A forex or gold item whose own switch is off chooses nothing.
        {"forex off", mainOnly, kForex.guid, {{L"Delay", L"1"}}, std::nullopt},
        {"gold off", mainOnly, kGold.guid, {{L"Delay", L"1"}}, std::nullopt},
        {"forex switch does not serve gold", {true, true, false, true, true}, kGold.guid, {}, std::nullopt},
        // An alert stays as if the main switch and its category's were on.
        {"alert: forex, every switch off", {}, kForex.guid, {{L"Fx168Delay", L"8"}}, 300'000u, true},
        {"alert: gold, every switch off", {}, kGold.guid, {}, 30'000u, true},
        {"alert: stocks, every switch off", {}, kStocks.guid, {{L"HexunGPDelay", L"4"}}, 180'000u, true},
        {"alert: other category, main off", {}, kUnknown, {{L"Delay", L"1"}}, 10'000u, true},
        {"alert: a choice past the list", {}, kGold.guid, {{L"HexunDelay", L"6"}}, std::nullopt, true},
    };
    for (const Case& c : cases) {
        const PropertiesFile file(c.keys);
        EXPECT_EQ(popup::ChooseStayTime(c.switches, c.category, c.alert), c.expected) << c.what;
    }
}

TEST(PopupSound, ZeroOrMissingPlaysTheFirstChoice) {
    struct Case {
        Keys keys;
        int sound;
    };
    const Case cases[] = {
        {{}, 164}, {{{L"Sound", L"0"}}, 164}, {{{L"Sound", L"None"}}, 164},
        {{{L"Sound", L"1"}}, 163}, {{{L"Sound", L"2"}}, 163}, {{{L"Sound", L"-1"}}, 163},
    };
    for (const Case& c : cases) {
        const PropertiesFile file(c.keys);
        EXPECT_EQ(popup::ChooseSound(), c.sound) << testing::PrintToString(c.keys);
    }
}

// Titles counted in UTF-16 code units; a pair is two of them.
std::wstring Units(std::size_t count, wchar_t unit = L'a') { return std::wstring(count, unit); }
const std::wstring kPair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDCC8)};  // U+1F4C8

TEST(PopupEntryText, LinkTextShortensTitlesPastNineteenUnits) {
    struct Case {
        std::wstring title, expected;
    };
    const Case cases[] = {
        {L"", L"<a></a>"},
        {Units(19), L"<a>" + Units(19) + L"</a>"},
        {Units(20), L"<a>" + Units(20) + L"...</a>"},
        {Units(23), L"<a>" + Units(23) + L"...</a>"},
        {Units(24), L"<a>" + Units(23) + L"...</a>"},
        {Units(30), L"<a>" + Units(23) + L"...</a>"},
        {L"美元指数走强，欧元兑美元跌破关键支撑位，市场关注今晚非农数据",
         L"<a>美元指数走强，欧元兑美元跌破关键支撑位，市场关...</a>"},
        // A pair counts as two units...
        {Units(17) + kPair, L"<a>" + Units(17) + kPair + L"</a>"},
        {Units(18) + kPair, L"<a>" + Units(18) + kPair + L"...</a>"},
        {Units(21) + kPair + Units(5), L"<a>" + Units(21) + kPair + L"...</a>"},
        // ...and is never cut in half: the 23rd unit would be its first half.
        {Units(22) + kPair + Units(5), L"<a>" + Units(22) + L"...</a>"},
    };
    for (const Case& c : cases) EXPECT_EQ(popup::EntryLinkText(c.title), c.expected) << c.title.size() << " units";
}

TEST(PopupEntryText, LabelTextIsTheShortenedTitleWithoutMarkup) {
    EXPECT_EQ(popup::EntryLabelText(Units(19)), Units(19));
    EXPECT_EQ(popup::EntryLabelText(Units(30)), Units(23) + L"...");
    EXPECT_EQ(popup::EntryLabelText(L"<a>A&B</a>"), L"<a>A&B</a>");
}

TEST(PopupEntryText, TimeInLocalTimeOrEmptyOutsideTheConvertibleRange) {
    struct Case {
        const char* zone;
        std::int64_t time;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"UTC0", 1'315'299'900, L"2011年09月06日  09:05"},
        {"CST-8", 1'315'271'100, L"2011年09月06日  09:05"},  // 01:05 UTC is 09:05 at UTC+8
        {"UTC0", 0, L"1970年01月01日  00:00"},
        {"UTC0", 32'535'215'999, L"3000年12月31日  23:59"},
        {"UTC0", -1, L""},
        {"UTC0", 32'535'216'000, L""},
        {"UTC0", INT64_MIN, L""},
        {"UTC0", INT64_MAX, L""},
    };
    for (const Case& c : cases) {
        const ScopedTimeZone zone(c.zone);
        EXPECT_EQ(popup::EntryTimeText(c.time), c.expected) << c.zone << " " << c.time;
    }
}

TEST(PopupEntryPicture, CategoryLogoOrEnvelope) {
    EXPECT_EQ(popup::EntryBitmap(kForex.guid), 157);
    EXPECT_EQ(popup::EntryBitmap(kGold.guid), 159);
    EXPECT_EQ(popup::EntryBitmap(kFutures.guid), 171);
    EXPECT_EQ(popup::EntryBitmap(kStocks.guid), 172);
    EXPECT_EQ(popup::EntryBitmap(kUnknown), 158);
    EXPECT_EQ(popup::EntryBitmap(Guid{}), 158);
}

TEST(PopupCatchUp, ScrollsAtOnceOnlyWhatWaitsBeyondOneViewHeight) {
    struct Case {
        int waitingBelow, viewHeight, entryHeight, expected;
    } const cases[] = {
        {66, 400, 65, 0},      // one new entry below a settled window: the ordinary motion scrolls it in
        {400, 400, 65, 0},     // exactly one view height waits
        {466, 400, 65, 66},    // one entry more: it skips ahead
        {6500, 400, 65, 6100}, // a long burst
        {66, 30, 66, 0},       // a view shorter than an entry still lets that entry wait
        {100, 30, 66, 34},
        {-20, 400, 65, 0},     // nothing waits
    };
    for (const Case& c : cases)
        EXPECT_EQ(popup::CatchUpScroll(c.waitingBelow, c.viewHeight, c.entryHeight), c.expected)
            << c.waitingBelow << " waiting, view " << c.viewHeight << ", entry " << c.entryHeight;
}

}  // namespace
