// Start with Windows against the Wine registry: the values named after the application under the Run keys of
// the current user and of the machine, holding the quoted program path.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "MessageBoxAnswerer.h"
#include "StartAtLogonFixture.h"
#include "settings/StartWithWindows.h"

namespace {

constexpr const wchar_t* kValueName = L"CorvaneRunValueTest";

struct StoredValue {
    DWORD type;
    std::wstring text;  // every UTF-16 unit stored, terminating zero included
};

std::optional<StoredValue> Stored(const std::wstring& name) {
    DWORD type = 0;
    const std::optional<std::wstring> text = StoredRunData(HKEY_LOCAL_MACHINE, name, &type);
    if (!text) return std::nullopt;
    return StoredValue{type, *text};
}

void Store(const std::wstring& name, const std::wstring& text) { StoreRunData(HKEY_LOCAL_MACHINE, name, text); }

void Remove(const std::wstring& name) { RemoveRunData(HKEY_LOCAL_MACHINE, name); }

bool SubkeyExists(const std::wstring& name) {
    HKEY subkey;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kRunKey) + L"\\" + name).c_str(), 0, KEY_READ, &subkey) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(subkey);
    return true;
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

// The command line's change of the machine's value, in this process.
class StartWithWindows : public ::testing::Test {
protected:
    void SetUp() override { Remove(kValueName); }
    void TearDown() override { Remove(kValueName); }
};

TEST_F(StartWithWindows, RegisterWritesQuotedPathAndRemoveLeavesEmptyString) {
    EXPECT_FALSE(settings::IsRunValueSet(kValueName));
    ASSERT_TRUE(settings::WriteRunValue(true, kValueName));
    const std::optional<StoredValue> registered = Stored(kValueName);
    ASSERT_TRUE(registered.has_value());
    EXPECT_EQ(registered->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(registered->text, Quoted(settings::ProgramPath()) + L'\0');  // (length + 1) * 2 bytes
    EXPECT_TRUE(settings::IsRunValueSet(kValueName));

    // Registering again is a success and changes nothing.
    EXPECT_TRUE(settings::WriteRunValue(true, kValueName));
    EXPECT_EQ(Stored(kValueName)->text, registered->text);

    ASSERT_TRUE(settings::WriteRunValue(false, kValueName));
    const std::optional<StoredValue> removed = Stored(kValueName);
    ASSERT_TRUE(removed.has_value()) << "the value is emptied, never deleted";
    EXPECT_EQ(removed->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(removed->text, std::wstring(1, L'\0'));
    EXPECT_FALSE(settings::IsRunValueSet(kValueName));
}

TEST_F(StartWithWindows, OnlyTheExactQuotedPathCountsAsRegistered) {
    const std::wstring path = settings::ProgramPath();
    ASSERT_FALSE(path.empty());
    const struct {
        const char* what;
        std::wstring data;
    } others[] = {
        {"other letter case", Quoted(Upper(path))},
        {"without quotes", path},
        {"another program", Quoted(L"C:\\Other\\Corvane.exe")},
        {"empty", L""},
        {"longer than 260 units", Quoted(path) + std::wstring(300, L' ')},
    };
    for (const auto& other : others) {
        Store(kValueName, other.data);
        EXPECT_FALSE(settings::IsRunValueSet(kValueName)) << other.what;
        // Registering overwrites it.
        EXPECT_TRUE(settings::WriteRunValue(true, kValueName)) << other.what;
        EXPECT_TRUE(settings::IsRunValueSet(kValueName)) << other.what;
    }
}

TEST_F(StartWithWindows, MissingValueIsWrittenWithoutCreatingASubkey) {
    ASSERT_FALSE(Stored(kValueName).has_value());
    EXPECT_TRUE(settings::WriteRunValue(true, kValueName));
    EXPECT_TRUE(settings::IsRunValueSet(kValueName));
    EXPECT_FALSE(SubkeyExists(kValueName));
}

// The settings dialog's change: the current user's value in this process, the machine's through a second copy
// of the program ("-s false"), which is this test program itself (see main).
class ApplyStartWithWindows : public ::testing::Test {
protected:
    void TearDown() override { SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_FAILS", nullptr); }

    ProgramRunValues run;
    SecondCopyLog secondCopies;
};

TEST_F(ApplyStartWithWindows, RegistersAndRemovesForTheUserAloneWithoutSecondCopy) {
    MessageBoxAnswerer answerer;
    settings::ApplyStartWithWindows(true, run.name, nullptr);
    DWORD type = 0;
    EXPECT_EQ(StoredRunData(HKEY_CURRENT_USER, run.name, &type), run.self + L'\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(settings::IsRunValueSet(run.name));
    settings::ApplyStartWithWindows(true, run.name, nullptr);  // already registered: no failure either
    EXPECT_EQ(run.User(), run.self + L'\0');

    settings::ApplyStartWithWindows(false, run.name, nullptr);
    EXPECT_EQ(run.User(), std::nullopt) << "the user's value is deleted";
    EXPECT_FALSE(settings::IsRunValueSet(run.name));

    EXPECT_EQ(run.Machine(), std::nullopt) << "the machine's key is not touched";
    EXPECT_TRUE(secondCopies.Starts().empty());
    EXPECT_TRUE(answerer.Shown().empty()) << "failure reported: " << testing::PrintToString(answerer.Shown()[0].text);
}

TEST_F(ApplyStartWithWindows, TickingKeepsARegistrationForTheMachine) {
    StoreRunData(HKEY_LOCAL_MACHINE, run.name, run.self);
    MessageBoxAnswerer answerer;
    settings::ApplyStartWithWindows(true, run.name, nullptr);
    EXPECT_EQ(run.User(), std::nullopt) << "a second value would start the program twice";
    EXPECT_EQ(run.Machine(), run.self + L'\0');
    EXPECT_TRUE(answerer.Shown().empty());
}

// Clearing removes what names this copy, in either key, and leaves another copy's registration alone.
TEST_F(ApplyStartWithWindows, ClearingEmptiesTheMachinesValueOnlyWhenItNamesThisCopy) {
    const struct {
        const char* what;
        std::optional<std::wstring> user;
        std::wstring machine;
        bool secondCopy;
        std::wstring machineAfter;
    } cases[] = {
        {"this copy for the machine", std::nullopt, run.self, true, L""},
        {"this copy in both keys", run.self, run.self, true, L""},
        {"another copy for the machine", run.self, Quoted(L"C:\\Other\\Corvane.exe"), false,
         Quoted(L"C:\\Other\\Corvane.exe")},
        {"this copy without quotes", run.self, settings::ProgramPath(), false, settings::ProgramPath()},
    };
    for (const auto& c : cases) {
        run.Remove();
        if (c.user) StoreRunData(HKEY_CURRENT_USER, run.name, *c.user);
        StoreRunData(HKEY_LOCAL_MACHINE, run.name, c.machine);
        const std::size_t startsBefore = secondCopies.Starts().size();
        MessageBoxAnswerer answerer;
        settings::ApplyStartWithWindows(false, run.name, nullptr);
        EXPECT_EQ(run.User(), std::nullopt) << c.what;
        EXPECT_EQ(run.Machine(), c.machineAfter + L'\0') << c.what;
        const std::vector<std::string> starts = secondCopies.Starts();
        EXPECT_EQ(std::vector<std::string>(starts.begin() + startsBefore, starts.end()),
                  c.secondCopy ? std::vector<std::string>{"false"} : std::vector<std::string>{})
            << c.what;
        EXPECT_TRUE(answerer.Shown().empty()) << c.what;
    }
}

TEST_F(ApplyStartWithWindows, FailedSecondCopyIsReportedOnce) {
    StoreRunData(HKEY_LOCAL_MACHINE, run.name, run.self);
    SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_FAILS", L"1");
    HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MessageBoxAnswerer answerer;
    settings::ApplyStartWithWindows(false, run.name, owner);
    EXPECT_TRUE(settings::IsRunValueSet(run.name)) << "the machine's value still names this copy";
    EXPECT_EQ(secondCopies.Starts(), std::vector<std::string>{"false"});
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text, L"设定/取消“开机启动”失败！");
    EXPECT_EQ(answerer.Shown()[0].caption, run.name);
    EXPECT_EQ(answerer.Shown()[0].owner, owner);
    EXPECT_TRUE(IsWindowEnabled(owner)) << "the owner is enabled again";
    DestroyWindow(owner);
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> exitCode = RunAsSecondCopy(argc, argv)) return *exitCode;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
