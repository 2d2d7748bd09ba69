#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/RunValue.h"
#include "settings/SettingDlgValues.h"

namespace {

TEST(SettingDlgValues, ListSelectionFromStoredText) {
    struct Case {
        const wchar_t* text;
        int itemCount;
        int selection;
    };
    const Case cases[] = {
        {L"None", 6, -1},   // never written: no selection
        {L"0", 6, 0},
        {L"5", 6, 5},       // the last item
        {L"6", 6, -1},      // one past the list
        {L"2", 2, -1},      // the sound list has two items
        {L"1", 2, 1},
        {L"-1", 9, -1},     // written when the list had no selection
        {L"abc", 6, 0},     // no digits reads as 0
        {L"", 6, 0},
        {L" 3", 6, 3},      // leading white space is skipped
        {L"4x", 9, 4},      // digits up to the first other character
        {L"none", 6, 0},    // only the exact default means "never written"
        {L"4294967297", 6, 1},  // wraps at 32 bits as the platform's reading does
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings::ListSelectionFromSetting(c.text, c.itemCount), c.selection)
            << testing::PrintToString(std::wstring(c.text)) << " in a list of " << c.itemCount;
}

TEST(SettingDlgValues, SwitchTickedOnlyForExactOne) {
    EXPECT_TRUE(settings::CheckBoxStateFromSetting(L"1"));
    for (const wchar_t* text : {L"None", L"0", L"2", L"-1", L"abc", L"", L" 1", L"1 ", L"01"})
        EXPECT_FALSE(settings::CheckBoxStateFromSetting(text)) << testing::PrintToString(std::wstring(text));
}

TEST(RunValue, DataAndNameFromProgramPath) {
    struct Case {
        const wchar_t* path;
        const wchar_t* data;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Corvane\\Corvane.exe", L"\"C:\\Program Files\\Corvane\\Corvane.exe\"", L"Corvane"},
        {L"D:\\v1.2\\Corvane", L"\"D:\\v1.2\\Corvane\"", L"Corvane"},           // a dot in a folder name only
        {L"C:\\tools\\corvane.beta.exe", L"\"C:\\tools\\corvane.beta.exe\"", L"corvane.beta"},
        {L"Z:/home/u/Corvane.exe", L"\"Z:/home/u/Corvane.exe\"", L"Corvane"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(settings::ExpectedRunData(c.path), c.data);
        EXPECT_EQ(settings::ApplicationNameFromPath(c.path), c.name);
    }
}

// The box's state from the two Run values, and what ticking or clearing it does to each.
TEST(RunValue, StartAtLogonFromBothKeysAndWhatTheBoxChanges) {
    using User = settings::StartAtLogonChange::User;
    const std::wstring self = L"\"C:\\Users\\u\\AppData\\Local\\Programs\\Corvane\\Corvane.exe\"";
    const std::wstring other = L"\"C:\\Users\\v\\AppData\\Local\\Programs\\Corvane\\Corvane.exe\"";
    const std::optional<std::wstring> none;
    struct Case {
        const char* what;
        settings::RunValues values;
        bool ticked;
        User userOnTick;
        User userOnClear;
        bool clearMachine;  // on clear; ticking never touches the machine's value
    };
    const Case cases[] = {
        {"neither key", {none, none}, false, User::Write, User::Keep, false},
        {"user's key", {self, none}, true, User::Keep, User::Delete, false},
        {"machine's key", {none, self}, true, User::Keep, User::Keep, true},
        {"both keys", {self, self}, true, User::Keep, User::Delete, true},
        {"another copy in both", {other, other}, false, User::Write, User::Keep, false},
        {"another copy for the machine", {self, other}, true, User::Keep, User::Delete, false},
        {"another copy for the user", {other, self}, true, User::Keep, User::Keep, true},
        {"emptied by \"-s false\"", {L"", L""}, false, User::Write, User::Keep, false},
        {"other letter case", {L"\"C:\\USERS\\U\\APPDATA\\LOCAL\\PROGRAMS\\CORVANE\\CORVANE.EXE\"", none}, false,
         User::Write, User::Keep, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(settings::StartsAtLogon(c.values, self), c.ticked) << c.what;
        const settings::StartAtLogonChange tick = settings::DecideStartAtLogonChange(true, c.values, self);
        EXPECT_EQ(tick.user, c.userOnTick) << c.what;
        EXPECT_FALSE(tick.clearMachine) << c.what;
        const settings::StartAtLogonChange clear = settings::DecideStartAtLogonChange(false, c.values, self);
        EXPECT_EQ(clear.user, c.userOnClear) << c.what;
        EXPECT_EQ(clear.clearMachine, c.clearMachine) << c.what;
    }
}

}  // namespace
