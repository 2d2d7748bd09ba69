#include <gtest/gtest.h>

#include "settings/SettingKeys.h"
#include "settings/SettingsRules.h"

using namespace settings;

TEST(SettingsRules, IntegerReading) {
    struct Case {
        const wchar_t* text;
        int expected;
    };
    const Case cases[] = {
        {L"0", 0}, {L"8", 8}, {L"-1", -1}, {L"  42", 42}, {L"\t+7x", 7}, {L"None", 0}, {L"", 0}, {L"-", 0}, {L"3 4", 3},
        {L"4294967295", -1},  // wraps at 32 bits as the platform's reader does, never undefined
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSettingInt(c.text), c.expected) << c.text;
}

TEST(SettingsRules, ShowSwitchTakesOnlyExactZeroOrOne) {
    EXPECT_EQ(ParseShowSwitch(L"0"), false);
    EXPECT_EQ(ParseShowSwitch(L"1"), true);
    for (const wchar_t* other : {L"None", L"", L" 1", L"01", L"2", L"-1", L"true"})
        EXPECT_EQ(ParseShowSwitch(other), std::nullopt) << other;
}

TEST(SettingsRules, StayTimes) {
    struct Case {
        DelayList list;
        int index;
        std::optional<unsigned> expected;
    };
    const Case cases[] = {
        {DelayList::General, 0, 86'400'000u}, {DelayList::General, 5, 50'000u}, {DelayList::General, 6, std::nullopt},
        {DelayList::Forex, 0, 5'000u},        {DelayList::Forex, 6, 60'000u},    {DelayList::Forex, 8, 300'000u},
        {DelayList::Forex, 9, std::nullopt},  {DelayList::Category, 0, 30'000u}, {DelayList::Category, 3, 60'000u},
        {DelayList::Category, 5, 300'000u},   {DelayList::Category, 6, std::nullopt},
        {DelayList::Category, -1, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StayTimeMilliseconds(c.list, c.index), c.expected) << static_cast<int>(c.list) << " " << c.index;
}

TEST(SettingsRules, SoundChoice) {
    for (const wchar_t* first : {L"0", L"None", L"", L"wav"}) EXPECT_EQ(SoundResourceFor(first), 164) << first;
    for (const wchar_t* second : {L"1", L"2", L"-1"}) EXPECT_EQ(SoundResourceFor(second), 163) << second;
}

TEST(SettingsRules, CategoryKeysFollowTheirPrefix) {
    EXPECT_EQ(ShowKey(L"HexunGP"), L"HexunGPShow");
    EXPECT_EQ(DelayKey(L"Fx168"), L"Fx168Delay");
    EXPECT_EQ(ShowKey(L""), L"Show");
}
