// The keyword dialog's decisions: the edits of its rule list and the test box's result line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alerts/AlertsDlgValues.h"

namespace {

using alerts::AlertRule;

TEST(AlertsDlgValues, AddedRulesAreTrimmedToOneLineAndSwitchedOn) {
    std::vector<AlertRule> rules;
    EXPECT_EQ(alerts::AddRule(rules, L"  美联储 加息 -传闻\u3000"), L"");
    EXPECT_EQ(alerts::AddRule(rules, L"\"非农就业\"\r\n美国\t"), L"") << "a pasted line break";
    EXPECT_EQ(rules, (std::vector<AlertRule>{{L"美联储 加息 -传闻", true, true}, {L"\"非农就业\"  美国", true, true}}));
}

TEST(AlertsDlgValues, ARuleWithAProblemIsRefusedWithItsMessageAndChangesNothing) {
    const std::vector<AlertRule> before = {{L"黄金", false, false}};
    for (const wchar_t* text : {L"", L" \u3000 ", L"\"非农就业", L"-传闻 -谣言", L"\"\""}) {
        const alerts::RuleProblem problem = alerts::CheckRule(text);
        ASSERT_NE(problem, alerts::RuleProblem::None) << "the case needs a rule with a problem";
        std::vector<AlertRule> rules = before;
        EXPECT_EQ(alerts::AddRule(rules, text), alerts::RuleProblemText(problem));
        EXPECT_EQ(alerts::ReplaceRule(rules, 0, text), alerts::RuleProblemText(problem));
        EXPECT_EQ(rules, before);
    }
}

TEST(AlertsDlgValues, AFullListRefusesAnotherRuleNamingTheLimit) {
    std::vector<AlertRule> rules(alerts::kMaxRules, {L"黄金", true, true});
    const std::wstring refusal = alerts::AddRule(rules, L"白银");
    EXPECT_NE(refusal.find(std::to_wstring(alerts::kMaxRules)), std::wstring::npos) << "names the limit";
    EXPECT_EQ(rules.size(), alerts::kMaxRules);
    EXPECT_EQ(alerts::ReplaceRule(rules, 0, L"白银"), L"") << "a full list can still be changed";
    EXPECT_EQ(rules[0].text, L"白银");
}

TEST(AlertsDlgValues, AChangedRuleKeepsItsSwitches) {
    std::vector<AlertRule> rules = {{L"黄金", true, true}, {L"原油", false, false}};
    EXPECT_EQ(alerts::ReplaceRule(rules, 1, L" 原油 减产 "), L"");
    EXPECT_EQ(rules[1], (AlertRule{L"原油 减产", false, false}));
}

TEST(AlertsDlgValues, TestResultNamesTheMatchingRuleAndItsWords) {
    const std::vector<AlertRule> rules = {
        {L"美联储 加息 -传闻", true, true},
        {L"\"非农就业\"", true, true},
        {L"EUR USD", true, true},
        {L"黄金 突破", true, false},
        {L"原油 减产", false, true},
    };
    const struct {
        const wchar_t* headline;
        const wchar_t* result;
    } cases[] = {
        {L"美联储宣布加息 25 个基点", L"匹配规则 1：美联储 加息 -传闻 —— 命中：美联储、加息"},
        {L"美联储加息，美联储主席讲话", L"匹配规则 1：美联储 加息 -传闻 —— 命中：美联储、加息"},  // each word once
        {L"美联储加息传闻再起", L"没有规则匹配"},                                                  // excluded
        {L"<b>EUR/USD</b> 升破 1.1000", L"匹配规则 3：EUR USD —— 命中：EUR、USD"},                 // markup dropped
        {L"ＥＵＲ　ＵＳＤ 走高", L"匹配规则 3：EUR USD —— 命中：ＥＵＲ、ＵＳＤ"},                   // as the text has them
        {L"EURO 兑 USD", L"没有规则匹配"},                                                          // whole words only
        {L"美国 10 月非农就业&amp;薪资", L"匹配规则 2：\"非农就业\" —— 命中：非农就业"},
        {L"黄金突破 2000 美元", L"匹配规则 4：黄金 突破 —— 命中：黄金、突破（不播放声音）"},
        {L"欧佩克+ 同意原油减产", L"没有规则匹配（规则 5 会匹配，但它已停用）"},
        {L"", L""},
        {L" <br> ", L""},
    };
    for (const auto& c : cases) {
        const alerts::TestResult result = alerts::TestHeadline(rules, c.headline);
        EXPECT_EQ(result.text, c.result) << c.headline;
        EXPECT_EQ(result.matched, std::wstring(c.result).rfind(L"匹配规则", 0) == 0) << c.headline;
    }
}

}  // namespace
