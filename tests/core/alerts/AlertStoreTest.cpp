// The rules in Setting.ini [Alerts], natively and under Wine against the platform's profile functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "alerts/AlertStore.h"
#include "framework/platform/Diagnostics.h"
#include "framework/platform/Text.h"
#include "tests/core/support/TempWorkingDirectory.h"

using namespace alerts;

namespace {

std::vector<std::wstring>& Diagnostics() {
    static std::vector<std::wstring> lines;
    return lines;
}

class AlertStoreTest : public ::testing::Test {
protected:
    AlertStoreTest() {
        Diagnostics().clear();
        platform::SetDiagnosticSink([](const std::wstring& line) { Diagnostics().push_back(line); });
    }
    ~AlertStoreTest() override { platform::SetDiagnosticSink(nullptr); }

    TempWorkingDirectory folder;
};

std::string RawFile() {
    std::ifstream in("Setting.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The file's text, whichever of UTF-16LE with its mark or single bytes it is kept in.
std::wstring FileText() {
    const std::string bytes = RawFile();
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return platform::FromUtf8(bytes);
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

int LinesStartingWith(const std::wstring& start) {
    const std::wstring text = L"\n" + FileText();
    int lines = 0;
    for (std::size_t at = text.find(L"\n" + start); at != std::wstring::npos; at = text.find(L"\n" + start, at + 1)) ++lines;
    return lines;
}

int KeyLines(const std::wstring& key) { return LinesStartingWith(key + L"="); }

void WriteUtf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    std::ofstream("Setting.ini", std::ios::binary) << bytes;
}

}  // namespace

TEST_F(AlertStoreTest, RulesSurviveTheRoundTripAndATypedLineBreakAddsNoKey) {
    const std::vector<AlertRule> rules = {
        {L"美联储 加息 -传闻", true, true},
        {L"\"非农就业\"", false, true},
        {L"\"a\" \"b\"", true, false},
        {L"'黄金'", false, false},
        {L"EUR=USD; \"x y\"\r\n[Alerts]\nCount=0\tRule9=1", true, true},
        {L"\x3000 ＵＳＤ　１２３ \t", true, true},
    };
    ASSERT_TRUE(WriteAlertRules(rules));
    std::vector<AlertRule> expected = rules;
    expected[4].text = L"EUR=USD; \"x y\"  [Alerts] Count=0 Rule9=1";
    expected[5].text = L"ＵＳＤ　１２３";
    EXPECT_EQ(ReadAlertRules(), expected);
    EXPECT_EQ(KeyLines(L"Count"), 1);
    EXPECT_EQ(KeyLines(L"Rule9"), 0);
    EXPECT_EQ(LinesStartingWith(L"[Alerts]"), 1);
    EXPECT_TRUE(Diagnostics().empty());
}

TEST_F(AlertStoreTest, FewerRulesRemoveTheKeysOfTheRest) {
    ASSERT_TRUE(WriteAlertRules(std::vector<AlertRule>{{L"美元", true, true}, {L"欧元", false, false}, {L"日元", true, false}}));
    const std::vector<AlertRule> one = {{L"黄金", true, true}};
    ASSERT_TRUE(WriteAlertRules(one));
    EXPECT_EQ(ReadAlertRules(), one);
    for (const wchar_t* key : {L"Rule2", L"Rule2On", L"Rule2Sound", L"Rule3", L"Rule3On", L"Rule3Sound"})
        EXPECT_EQ(KeyLines(key), 0) << testing::PrintToString(std::wstring(key));
    ASSERT_TRUE(WriteAlertRules({}));
    EXPECT_TRUE(ReadAlertRules().empty());
    EXPECT_EQ(KeyLines(L"Rule1"), 0);
}

TEST_F(AlertStoreTest, AtMostTheFirstHundredRulesAreKept) {
    std::vector<AlertRule> many;
    for (int i = 0; i < 105; ++i) many.push_back({L"词" + std::to_wstring(i), true, true});
    ASSERT_TRUE(WriteAlertRules(many));
    const std::vector<AlertRule> read = ReadAlertRules();
    ASSERT_EQ(read.size(), kMaxRules);
    EXPECT_EQ(read.back().text, L"词99");
    EXPECT_EQ(KeyLines(L"Rule101"), 0);
}

// Files as other tools and older copies write them: in UTF-16 with its mark (the program's own form for
// Chinese rules), and natively also in UTF-8.
TEST_F(AlertStoreTest, RulesWrittenByOtherToolsAreReadAndBrokenOnesSkipped) {
    const std::wstring file =
        L"[Connection]\r\nServer=127.0.0.1\r\n\r\n[alerts]\r\ncount = 7\r\n"
        L"Rule1=黄金\r\nRule1On=0\r\n"
        L"Rule2=\"-传闻\"\r\n"                       // only an exclusion, once the quotes are taken off
        L"Rule3=\r\n"                                // empty
        L"Rule5=\"\"非农 就业\" 美国\"\r\nRule5Sound=0\r\nRule5On=yes\r\n"
        L"Rule6=\"未配对\r\n"                         // an unclosed quote stays one
        L"Rule7=ＥＵＲ　ＵＳＤ\r\nRule7On=1\r\nRule7Sound=\r\n"
        L"Rule8=原油\r\n";                           // beyond Count
    const std::vector<AlertRule> expected = {
        {L"黄金", false, true}, {L"\"非农 就业\" 美国", true, false}, {L"ＥＵＲ　ＵＳＤ", true, true}};
    WriteUtf16File(file);
    EXPECT_EQ(ReadAlertRules(), expected);
    ASSERT_EQ(Diagnostics().size(), 4u);
    for (const wchar_t* rule : {L"Rule2", L"Rule3", L"Rule4", L"Rule6"}) {
        const bool named = std::any_of(Diagnostics().begin(), Diagnostics().end(),
                                       [rule](const std::wstring& line) { return line.find(std::wstring(rule) + L" ") != std::wstring::npos; });
        EXPECT_TRUE(named) << testing::PrintToString(std::wstring(rule));
    }
#ifndef _WIN32
    std::ofstream("Setting.ini", std::ios::binary | std::ios::trunc) << platform::ToUtf8(file);
    EXPECT_EQ(ReadAlertRules(), expected);
#endif
}

TEST_F(AlertStoreTest, TheCountDecidesHowManyRulesAreRead) {
    const struct {
        const wchar_t* count;
        std::size_t rules;
    } cases[] = {{L"", 0}, {L"abc", 0}, {L"0", 0}, {L"2", 2}, {L"-1", 100}, {L"1000", 100}};
    for (const auto& c : cases) {
        std::wstring file = L"[Alerts]\r\nCount=" + std::wstring(c.count) + L"\r\n";
        for (int i = 1; i <= 101; ++i) file += L"Rule" + std::to_wstring(i) + L"=词" + std::to_wstring(i) + L"\r\n";
        WriteUtf16File(file);
        EXPECT_EQ(ReadAlertRules().size(), c.rules) << testing::PrintToString(std::wstring(c.count));
    }
    std::remove("Setting.ini");
    EXPECT_TRUE(ReadAlertRules().empty()) << "no file, no rules";
}
