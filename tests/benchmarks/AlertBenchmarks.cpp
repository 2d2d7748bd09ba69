// Matching a live headline against a full list of alert rules, beside decoding it (BM_DecodeNewsFrames
// in the same run): both count one item per headline.
#include <benchmark/benchmark.h>

#include "SampleNews.h"
#include "alerts/AlertMatcher.h"
#include "connection/Protocol.h"

namespace {

// A trader's hundred rules: Chinese words, Latin whole words, phrases and exclusions. Against the sample
// headlines only the last one matches, so every rule is tried; the benchmark's argument 0 puts a rule
// that matches nothing in its place.
const wchar_t* const kRules[] = {
    L"美联储 加息 -传闻", L"美联储 降息", L"\"非农就业\"", L"鲍威尔 讲话", L"FOMC", L"CPI 超预期", L"PCE",
    L"\"初请失业金\"", L"欧洲央行 利率决议", L"拉加德", L"日本央行 -传闻", L"植田和男", L"英国央行 加息",
    L"澳洲联储", L"加拿大央行", L"瑞士央行", L"人民银行 降准", L"\"中期借贷便利\"", L"LPR", L"MLF 续作",
    L"国务院 常务会议", L"证监会 -辟谣", L"央行 逆回购", L"人民币 中间价", L"离岸人民币 -小幅", L"GDP 同比",
    L"PMI 荣枯线", L"社融", L"M2 增速", L"出口 同比 -\"预期 持平\"", L"贸易顺差", L"外汇储备", L"原油 库存",
    L"EIA", L"API 原油", L"OPEC 减产", L"\"OPEC+\"", L"沙特 石油", L"布伦特 原油 -\"小幅 回落\"", L"WTI",
    L"黄金 突破", L"现货黄金 -白银", L"白银 大涨", L"铜 期货", L"伦铜", L"铁矿石", L"螺纹钢", L"焦煤 -焦炭",
    L"大豆 USDA", L"玉米 \"种植面积\"", L"棉花 期货", L"天然气 暴涨", L"比特币 ETF", L"以太坊", L"特斯拉 交付",
    L"英伟达 财报", L"苹果 iPhone", L"微软 OpenAI", L"Nvidia", L"AAPL", L"TSLA", L"腾讯 回购", L"阿里巴巴 -传闻",
    L"茅台", L"宁德时代", L"比亚迪 销量", L"华为 发布", L"恒指 跌超", L"恒生科技", L"A股 成交额", L"北向资金",
    L"纳指 创新高", L"标普500", L"道指 跌超", L"VIX", L"美债 收益率 -短端", L"\"10年期 美债\"", L"日元 干预",
    L"英镑 脱欧", L"澳元 铁矿", L"USD JPY", L"\"USD/CNH\"", L"GBP", L"AUD USD", L"关税 -豁免", L"制裁 俄罗斯",
    L"乌克兰 停火", L"中东 局势", L"伊朗 -\"核 谈判\"", L"以色列", L"红海 航运", L"特朗普 关税", L"拜登",
    L"地震", L"台风 停产", L"罢工 港口", L"破产 重组", L"违约 债券", L"熔断", L"欧元 1.08",
};
static_assert(std::size(kRules) == 100);

void BM_MatchAlertRules(benchmark::State& state) {
    const bool lastMatches = state.range(0) != 0;
    std::vector<alerts::AlertRule> rules;
    for (const wchar_t* text : kRules) rules.push_back({text, true, true});
    if (!lastMatches) rules.back().text = L"欧元 1.09";
    const alerts::AlertMatcher matcher(rules);
    std::vector<std::wstring> headlines;
    for (const auto& payload : SampleNewsPayloads(1000)) headlines.push_back(wire::DecodeMessage(payload).news.title);
    const auto match = matcher.Match(headlines.front());
    if (lastMatches ? !match || match->rule != rules.size() - 1 : match.has_value()) {
        state.SkipWithError("the sample headlines should match the last rule or none");
        return;
    }
    for (auto _ : state) {
        for (const std::wstring& headline : headlines) benchmark::DoNotOptimize(matcher.Match(headline));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * headlines.size()));
}
BENCHMARK(BM_MatchAlertRules)->Arg(0)->Arg(1);

}  // namespace
