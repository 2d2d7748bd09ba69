// Chinese alert rules in a Setting.ini kept in a code page without Chinese: the file becomes UTF-16 with
// its byte-order mark once, keeping every key, and the profile functions read the rules back intact.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>

#include "alerts/AlertStore.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "tests/core/support/TempWorkingDirectory.h"

using namespace alerts;

namespace {

std::string RawFile() {
    std::ifstream in("Setting.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FitsCodePage(const std::wstring& text) {
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
    return !usedDefault;
}

// Every key of the file below, as the profile functions read it.
struct Key {
    const wchar_t* section;
    const wchar_t* key;
};
constexpr Key kOldKeys[] = {{L"Connection", L"Server"}, {L"Connection", L"Port"}, {L"Connection", L"url1"},
                            {L"Properties", L"Show"},   {L"Properties", L"Delay"}, {L"Properties", L"Note"},
                            {L"Alerts", L"Count"},      {L"Alerts", L"Rule1"}};

std::vector<std::wstring> OldValues() {
    std::vector<std::wstring> values;
    for (const Key& key : kOldKeys) values.push_back(settings::ReadString(key.section, key.key, L"(missing)", 256));
    return values;
}

class UnicodeSettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (FitsCodePage(L"美联储")) GTEST_SKIP() << "the system code page " << GetACP() << " holds Chinese";
    }
    TempWorkingDirectory folder;
};

}  // namespace

TEST_F(UnicodeSettingsFileTest, AChineseRuleTurnsAnAnsiFileIntoUtf16KeepingEveryKey) {
    std::ofstream("Setting.ini", std::ios::binary)
        << "[Connection]\r\nServer=10.0.0.5\r\nPort=16000\r\nurl1=http://a.test/?q=%E5%B9%BF\r\n\r\n"
           "; kept as written\r\n[Properties]\r\nShow=1\r\nDelay=-1\r\nNote=Caf\xE9 \xB5\r\n"
           "[Alerts]\r\nCount=1\r\nRule1=EUR USD\r\n";
    const std::vector<std::wstring> before = OldValues();

    // A rule the code page holds leaves the file as it is.
    ASSERT_TRUE(WriteAlertRules(std::vector<AlertRule>{{L"EUR USD", true, true}, {L"\"rate cut\" -Fed", false, true}}));
    EXPECT_FALSE(RawFile().starts_with("\xFF\xFE"));

    const std::vector<AlertRule> rules = {{L"美联储 加息 -传闻", true, true}, {L"\"非农 就业\"", true, false}, {L"EUR USD", false, true}};
    ASSERT_TRUE(WriteAlertRules(rules));
    const std::string converted = RawFile();
    ASSERT_TRUE(converted.starts_with("\xFF\xFE"));
    EXPECT_NE(converted.find(std::string("k\0e\0p\0t\0", 8)), std::string::npos) << "the comment is kept";
    EXPECT_EQ(ReadAlertRules(), rules);
    std::vector<std::wstring> after = OldValues();
    after[6] = before[6];  // the rules' own keys changed
    after[7] = before[7];
    EXPECT_EQ(after, before);

    // The file stays Unicode for every later writer and reader, the 8-bit one included.
    ASSERT_TRUE(settings::WriteProperty(L"Show", 0));
    ASSERT_TRUE(WriteAlertRules(std::vector<AlertRule>{{L"黄金", true, true}}));
    EXPECT_TRUE(RawFile().starts_with("\xFF\xFE"));
    EXPECT_EQ(ReadAlertRules(), (std::vector<AlertRule>{{L"黄金", true, true}}));
    EXPECT_EQ(settings::ReadServerAddress(), "10.0.0.5");
    EXPECT_EQ(settings::ReadProperty(L"Show", settings::kNone), L"0");
    EXPECT_EQ(settings::ReadString(L"Properties", L"Note", L"", 64), before[5]);
}

TEST_F(UnicodeSettingsFileTest, AFirstChineseRuleCreatesTheFileAsUtf16) {
    const std::vector<AlertRule> rules = {{L"ＵＳＤ　１２３ 美元", true, true}};
    ASSERT_TRUE(WriteAlertRules(rules));
    EXPECT_TRUE(RawFile().starts_with("\xFF\xFE"));
    EXPECT_EQ(ReadAlertRules(), rules);
    ASSERT_TRUE(settings::WriteServerAddress(L"10.0.0.9"));
    EXPECT_EQ(settings::ReadServerAddress(), "10.0.0.9");
    EXPECT_EQ(ReadAlertRules(), rules);
}
