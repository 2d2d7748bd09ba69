// How a rule's text becomes terms, and the folding under which terms and headlines are compared.
#include <gtest/gtest.h>

#include "alerts/AlertRules.h"
#include "alerts/TextFolding.h"

using namespace alerts;

TEST(TextFoldingTest, LatinCaseFullWidthFormsAndTheIdeographicSpace) {
    const struct {
        wchar_t unit, folded;
    } cases[] = {
        {L'A', L'a'},     {L'Z', L'z'},     {L'z', L'z'},     {0xFF21, L'a'} /* Ａ */, {0xFF3A, L'z'} /* Ｚ */,
        {0xFF41, L'a'} /* ａ */, {0xFF10, L'0'} /* ０ */, {0xFF01, L'!'} /* ！ */, {0xFF02, L'"'} /* ＂ */,
        {0xFF5E, L'~'} /* ～ */, {0xFF00, 0xFF00},  {0xFF5F, 0xFF5F}, {0x3000, L' '},  {L'中', L'中'},
        {0x00C4, 0x00C4} /* Ä stays: only ASCII letters fold */,    {L'@', L'@'},     {L'[', L'['},
    };
    for (const auto& c : cases) EXPECT_EQ(FoldForMatching(c.unit), c.folded) << std::hex << unsigned(c.unit);
    const std::wstring text = L"ＵＳＤ　１２３ Fed 美联储";
    EXPECT_EQ(FoldForMatching(text), L"usd 123 fed 美联储");
    EXPECT_EQ(FoldForMatching(text).size(), text.size());
}

TEST(AlertRulesTest, TermsAndProblems) {
    const struct {
        const wchar_t* text;
        RuleProblem problem;
        std::vector<std::wstring> required, excluded;
    } cases[] = {
        {L"美联储 加息 -传闻", RuleProblem::None, {L"美联储", L"加息"}, {L"传闻"}},
        {L"\"非农 就业\" -\"初请 失业金\"", RuleProblem::None, {L"非农 就业"}, {L"初请 失业金"}},
        {L"\"非农就业\"", RuleProblem::None, {L"非农就业"}, {}},
        {L"ＥＵＲ　ＵＳＤ", RuleProblem::None, {L"eur", L"usd"}, {}},
        {L"\"ＵＳＤ　１２３\"", RuleProblem::None, {L"usd 123"}, {}},
        {L"\"a\" \"b\"", RuleProblem::None, {L"a", L"b"}, {}},
        {L"黄金\"现货 价格\"", RuleProblem::None, {L"黄金", L"现货 价格"}, {}},
        {L"\t原油 - WTI\t", RuleProblem::None, {L"原油", L"wti"}, {}},  // a lone "-" is no term
        {L"A-B --C", RuleProblem::None, {L"a-b"}, {L"-c"}},
        {L"\"\" 原油 \"  \"", RuleProblem::None, {L"原油"}, {}},
        {L"", RuleProblem::Empty, {}, {}},
        {L"  \t\x3000 ", RuleProblem::Empty, {}, {}},
        {L"\"\"", RuleProblem::Empty, {}, {}},
        {L"- -\"\"", RuleProblem::Empty, {}, {}},
        {L"\"非农", RuleProblem::UnclosedQuote, {}, {}},
        {L"美元 \"", RuleProblem::UnclosedQuote, {}, {}},
        {L"\"a\" b\"c d", RuleProblem::UnclosedQuote, {}, {}},
        {L"-\"传闻", RuleProblem::UnclosedQuote, {}, {}},
        {L"-传闻", RuleProblem::OnlyExclusions, {}, {}},
        {L"-传闻 -\"据悉 消息\" -", RuleProblem::OnlyExclusions, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "rule " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(CheckRule(c.text), c.problem);
        const RuleTerms terms = ParseRule(c.text);
        EXPECT_EQ(terms.required, c.required);
        EXPECT_EQ(terms.excluded, c.excluded);
    }
}

TEST(AlertRulesTest, EveryProblemHasItsMessage) {
    EXPECT_EQ(RuleProblemText(RuleProblem::None), L"");
    for (RuleProblem problem : {RuleProblem::Empty, RuleProblem::UnclosedQuote, RuleProblem::OnlyExclusions}) {
        EXPECT_FALSE(RuleProblemText(problem).empty());
    }
    EXPECT_NE(RuleProblemText(RuleProblem::UnclosedQuote).find(L"引号"), std::wstring::npos);
    EXPECT_NE(RuleProblemText(RuleProblem::OnlyExclusions).find(L"排除"), std::wstring::npos);
}
