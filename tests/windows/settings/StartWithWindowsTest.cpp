// Start with Windows against the Wine registry: the Run value under HKLM, named after the application,
// holding the quoted program path.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

#include "MessageBoxAnswerer.h"
#include "settings/StartWithWindows.h"

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"CorvaneRunValueTest";

// The value's type and raw bytes, or nothing when it is missing.
struct StoredValue {
    DWORD type;
    std::wstring text;  // every UTF-16 unit stored, terminating zero included
};

std::optional<StoredValue> Stored(const std::wstring& name) {
    HKEY run;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, &run) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, bytes = 0;
    std::optional<StoredValue> value;
    if (RegQueryValueExW(run, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
        std::wstring text(bytes / sizeof(wchar_t), L'\0');
        RegQueryValueExW(run, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
        value = StoredValue{type, text};
    }
    RegCloseKey(run);
    return value;
}

void Store(const std::wstring& name, const std::wstring& text) {
    HKEY run;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &run), ERROR_SUCCESS);
    RegSetValueExW(run, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(run);
}

void Remove(const std::wstring& name) {
    HKEY run;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &run) != ERROR_SUCCESS) return;
    RegDeleteValueW(run, name.c_str());
    RegDeleteKeyW(run, name.c_str());
    RegCloseKey(run);
}

bool SubkeyExists(const std::wstring& name) {
    HKEY subkey;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kRunKey) + L"\\" + name).c_str(), 0, KEY_READ, &subkey) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(subkey);
    return true;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
    return text;
}

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

// The settings dialog's change goes through a second copy of the program ("-s true" / "-s false"), which
// is this test program itself: see main.
class ApplyStartWithWindows : public ::testing::Test {
protected:
    void SetUp() override {
        name = settings::ApplicationName();
        Remove(name);
    }
    void TearDown() override {
        Remove(name);
        SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_FAILS", nullptr);
    }
    std::wstring name;
};

TEST_F(ApplyStartWithWindows, SecondCopyRegistersAndRemoves) {
    MessageBoxAnswerer answerer;
    settings::ApplyStartWithWindows(true, name, nullptr);
    EXPECT_TRUE(settings::IsRunValueSet(name));
    settings::ApplyStartWithWindows(true, name, nullptr);  // already registered: no failure either
    EXPECT_TRUE(settings::IsRunValueSet(name));
    settings::ApplyStartWithWindows(false, name, nullptr);
    EXPECT_FALSE(settings::IsRunValueSet(name));
    EXPECT_TRUE(answerer.Shown().empty()) << "failure reported: " << testing::PrintToString(answerer.Shown()[0].text);
}

TEST_F(ApplyStartWithWindows, FailedSecondCopyIsReportedOnce) {
    SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_FAILS", L"1");
    HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MessageBoxAnswerer answerer;
    settings::ApplyStartWithWindows(true, name, owner);
    EXPECT_FALSE(settings::IsRunValueSet(name));
    ASSERT_EQ(answerer.Shown().size(), 1u);
    EXPECT_EQ(answerer.Shown()[0].text, L"设定/取消“开机启动”失败！");
    EXPECT_EQ(answerer.Shown()[0].caption, name);
    EXPECT_EQ(answerer.Shown()[0].owner, owner);
    DestroyWindow(owner);
}

}  // namespace

int main(int argc, char** argv) {
    // Started as the program's elevated second copy: write the value and end with the result.
    if (argc == 3 && std::string(argv[1]) == "-s") {
        const std::string wish = argv[2];
        if (wish != "true" && wish != "false") return -2;
        if (GetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_FAILS", nullptr, 0) != 0) return -3;
        return settings::WriteRunValue(wish == "true", settings::ApplicationName()) ? 0 : -3;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
