// Rules against headlines' visible text: which rule wins and which words it matched.
#include <gtest/gtest.h>

#include <optional>

#include "alerts/AlertMatcher.h"
#include "newslist/NewsListText.h"

using namespace alerts;

namespace {

AlertRule On(const wchar_t* text) { return {text, true, true}; }
AlertRule Off(const wchar_t* text) { return {text, false, true}; }
AlertRule Silent(const wchar_t* text) { return {text, true, false}; }

}  // namespace

TEST(AlertMatcherTest, RulesAgainstHeadlines) {
    const struct {
        std::vector<AlertRule> rules;
        const wchar_t* headline;
        std::optional<std::size_t> rule;  // none: no alert
        std::vector<std::wstring> words;
    } cases[] = {
        // Chinese words anywhere, all of them, in any order.
        {{On(L"美联储 加息 -传闻")}, L"美联储宣布加息25个基点，美元走强", 0, {L"美联储", L"加息"}},
        {{On(L"美联储 加息 -传闻")}, L"加息预期升温，美联储官员讲话", 0, {L"加息", L"美联储"}},
        {{On(L"美联储 加息 -传闻")}, L"美联储维持利率不变", std::nullopt, {}},
        {{On(L"美联储 加息 -传闻")}, L"市场传闻美联储将加息", std::nullopt, {}},
        // A phrase as written, spaces included; full-width forms and the ideographic space folded.
        {{On(L"\"非农就业\"")}, L"美国11月非农就业人数增加22.7万", 0, {L"非农就业"}},
        {{On(L"\"USD 123\"")}, L"ＵＳＤ　１２３点位附近震荡", 0, {L"ＵＳＤ　１２３"}},
        {{On(L"\"rate cut\"")}, L"Fed rate cut odds rise", 0, {L"rate cut"}},
        {{On(L"\"rate cut\"")}, L"Fed cut its rate", std::nullopt, {}},
        {{On(L"\"rate cut\"")}, L"Fed ratecut", std::nullopt, {}},
        {{On(L"黄金 -\"小幅 回落\"")}, L"黄金小幅 回落，白银跟跌", std::nullopt, {}},
        {{On(L"黄金 -\"小幅 回落\"")}, L"黄金小幅回落", 0, {L"黄金"}},
        // Latin terms: case folded, whole words only; a Chinese neighbour is a word edge.
        {{On(L"EUR USD")}, L"ＥＵＲ／ＵＳＤ跌破１.０８", 0, {L"ＥＵＲ", L"ＵＳＤ"}},
        {{On(L"ＥＵＲ usd")}, L"欧元兑美元eur/usd 1.08", 0, {L"eur", L"usd"}},
        {{On(L"EU")}, L"EUR走低，欧元区数据疲软", std::nullopt, {}},
        {{On(L"EU")}, L"欧盟EU宣布新一轮制裁", 0, {L"EU"}},
        {{On(L"EU")}, L"EU/USD", 0, {L"EU"}},
        {{On(L"fed")}, L"FED HOLDS; Fedex falls", 0, {L"FED"}},
        {{On(L"1.08")}, L"欧元跌破1.085", std::nullopt, {}},
        {{On(L"1.08")}, L"欧元跌破1.08关口", 0, {L"1.08"}},
        {{On(L"原油 -WTI")}, L"WTI原油上涨2%", std::nullopt, {}},
        {{On(L"原油 -WTI")}, L"WTIX原油上涨2%", 0, {L"原油"}},
        // A term that mixes both needs a word edge only at its Latin end.
        {{On(L"A股")}, L"港股和A股同步收涨", 0, {L"A股"}},
        {{On(L"A股")}, L"中概股BA股", std::nullopt, {}},
        // Every occurrence of every required term, joined where they meet or overlap.
        {{On(L"美元 美元指数")}, L"美元指数走强，美元兑日元升至150", 0, {L"美元指数", L"美元"}},
        {{On(L"美联储 加息")}, L"美联储加息", 0, {L"美联储加息"}},
        {{On(L"哈哈")}, L"哈哈哈", 0, {L"哈哈哈"}},
        // The first enabled, usable rule in list order wins.
        {{On(L"美元"), On(L"欧元")}, L"欧元兑美元", 0, {L"美元"}},
        {{On(L"欧元"), On(L"美元")}, L"欧元兑美元", 0, {L"欧元"}},
        {{On(L"日元"), On(L"美元 -欧元"), On(L"兑"), On(L"欧元")}, L"欧元兑美元", 2, {L"兑"}},
        {{Off(L"美元"), On(L"欧元")}, L"欧元兑美元", 1, {L"欧元"}},
        {{On(L""), On(L"\"黄金"), On(L"-黄金"), On(L"\"\""), On(L"黄金")}, L"黄金大涨", 4, {L"黄金"}},
        {{Off(L"黄金")}, L"黄金大涨", std::nullopt, {}},
        {{}, L"黄金大涨", std::nullopt, {}},
        {{On(L"黄金")}, L"", std::nullopt, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "headline " << testing::PrintToString(std::wstring(c.headline)) << ", first rule "
                                        << (c.rules.empty() ? std::string() : testing::PrintToString(c.rules[0].text)));
        const std::optional<AlertMatch> match = AlertMatcher(c.rules).Match(c.headline);
        ASSERT_EQ(match.has_value(), c.rule.has_value());
        if (!match) continue;
        EXPECT_EQ(match->rule, *c.rule);
        EXPECT_EQ(match->visibleText, c.headline);
        EXPECT_EQ(MatchedWords(*match), c.words);
    }
}

TEST(AlertMatcherTest, MatchCarriesTheRuleSoundAndSpansOverTheVisibleText) {
    const std::vector<AlertRule> rules = {Silent(L"美联储 加息")};
    const auto match = AlertMatcher(rules).Match(L"传美联储12月或再加息");
    ASSERT_TRUE(match);
    EXPECT_FALSE(match->sound);
    EXPECT_EQ(match->words, (std::vector<TextSpan>{{1, 3}, {9, 2}}));
}

TEST(AlertMatcherTest, ALongTextMatchesToTheEnd) {
    const std::vector<AlertRule> rules = {On(L"美联储 USD")};
    const std::wstring text = std::wstring(1000, L'，') + L"ＵＳＤ美联储";
    const auto match = AlertMatcher(rules).Match(text);
    ASSERT_TRUE(match);
    EXPECT_EQ(match->words, (std::vector<TextSpan>{{1000, 6}}));
    EXPECT_FALSE(AlertMatcher(rules).Match(text.substr(0, text.size() - 1)));
}

TEST(AlertMatcherTest, ATitleWithMarkupMatchesOnItsVisibleText) {
    const std::vector<AlertRule> rules = {On(L"美联储 -传闻"), On(L"EUR USD")};
    const AlertMatcher matcher(rules);
    const struct {
        const wchar_t* title;
        std::optional<std::size_t> rule;
        std::vector<TextSpan> words;
    } cases[] = {
        {L"<b>EUR</b>&#x2F;USD 跌破1.08", 1, {{0, 3}, {4, 3}}},
        {L"<font color=\"red\">美联储</font>&amp;欧央行", 0, {{0, 3}}},
        {L"<span title=\"传闻\">美联储</span>", 0, {{0, 3}}},  // an attribute is not visible text
        {L"<b>EUR</b>USD", std::nullopt, {}},  // "EURUSD" is one word once the tags are gone
        {L"美联储<!-- 传闻 -->&#20256;闻", std::nullopt, {}},  // a reference decodes to an excluded word
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "title " << testing::PrintToString(std::wstring(c.title)));
        const auto match = matcher.Match(newslist::TitlePlainText(c.title));
        ASSERT_EQ(match.has_value(), c.rule.has_value());
        if (!match) continue;
        EXPECT_EQ(match->rule, *c.rule);
        EXPECT_EQ(match->words, c.words);
    }
}
