// The headless client's command line and the line it prints per headline.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "tests/core/support/ScopedTimeZone.h"
#include "tools/headless-client/HeadlessClient.h"

namespace {

ParsedClientArguments Parse(std::vector<std::string_view> words) { return ParseClientArguments(words); }

struct ArgumentsCase {
    std::vector<std::string_view> words;
    std::string host;
    std::uint16_t port;
    const CategoryInfo* category;
    unsigned count;
    unsigned timeoutMs;
    std::string directory;
};

TEST(HeadlessClientArguments, UnderstandsWellFormedCommandLines) {
    const ArgumentsCase cases[] = {
        {{"127.0.0.1", "15500"}, "127.0.0.1", 15500, &kStocks, 0, 0, ""},
        {{"10.1.2.3", "1", "gold"}, "10.1.2.3", 1, &kGold, 0, 0, ""},
        {{"127.0.0.1", "65535", "futures", "--count", "3"}, "127.0.0.1", 65535, &kFutures, 3, 0, ""},
        {{"--timeout-ms", "500", "127.0.0.1", "80", "forex", "--dir", "out"}, "127.0.0.1", 80, &kForex, 0, 500, "out"},
        {{"127.0.0.1", "--count", "7", "4000"}, "127.0.0.1", 4000, &kStocks, 7, 0, ""},
    };
    for (const ArgumentsCase& c : cases) {
        ParsedClientArguments parsed = Parse(c.words);
        SCOPED_TRACE(std::string(c.words.front()) + " ... " + std::string(c.words.back()));
        ASSERT_EQ(parsed.error, "");
        EXPECT_FALSE(parsed.help);
        EXPECT_EQ(parsed.arguments.host, c.host);
        EXPECT_EQ(parsed.arguments.port, c.port);
        EXPECT_EQ(parsed.arguments.category, c.category);
        EXPECT_EQ(parsed.arguments.count, c.count);
        EXPECT_EQ(parsed.arguments.timeoutMs, c.timeoutMs);
        EXPECT_EQ(parsed.arguments.directory, c.directory);
    }
}

TEST(HeadlessClientArguments, RefusesWhatItCannotUse) {
    const std::vector<std::vector<std::string_view>> cases = {
        {},
        {"127.0.0.1"},
        {"127.0.0.1", "0"},
        {"127.0.0.1", "65536"},
        {"127.0.0.1", "-1"},
        {"127.0.0.1", "15500x"},
        {"127.0.0.1", " 15500"},
        {"127.0.0.1", "99999999999999999999"},
        {"127.0.0.1", "15500", "Stocks"},
        {"127.0.0.1", "15500", "bonds"},
        {"127.0.0.1", "15500", "stocks", "extra"},
        {"127.0.0.1", "15500", "--count"},
        {"127.0.0.1", "15500", "--count", "0"},
        {"127.0.0.1", "15500", "--count", "-5"},
        {"127.0.0.1", "15500", "--timeout-ms", "1e3"},
        {"127.0.0.1", "15500", "--dir", ""},
        {"127.0.0.1", "15500", "--verbose"},
    };
    for (const auto& words : cases) {
        std::string shown;
        for (std::string_view word : words) shown += "[" + std::string(word) + "]";
        SCOPED_TRACE(shown);
        ParsedClientArguments parsed = Parse(words);
        EXPECT_NE(parsed.error, "");
        EXPECT_FALSE(parsed.help);
    }
}

TEST(HeadlessClientArguments, AsksForHelpWithoutAServer) {
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"127.0.0.1", "15500", "-h"}).help);
}

TEST(HeadlessClientConnectFailure, SaysWhyAndHintsAtTheAddressOnlyWhenItDidNotParse) {
    ClientArguments arguments;
    arguments.host = "localhost";
    arguments.port = 15500;
    const struct {
        ConnectOutcome outcome;
        const char* says;
        bool addressHint;
    } cases[] = {
        {ConnectOutcome::BadAddress, "localhost is not a dotted IPv4 address", true},
        {ConnectOutcome::Refused, "refused", false},
        {ConnectOutcome::TimedOut, "no answer within 700 ms", false},
        {ConnectOutcome::Failed, "cannot connect to localhost:15500", false},
    };
    for (const auto& c : cases) {
        const std::string text = ConnectFailureText(c.outcome, arguments, 700);
        SCOPED_TRACE(text);
        EXPECT_EQ(text.rfind("cannot connect to localhost:15500", 0), 0u);
        EXPECT_NE(text.find(c.says), std::string::npos);
        EXPECT_EQ(text.find("dotted") != std::string::npos, c.addressHint);
    }
}

// Local time is UTC for these cases, whatever the machine says.
class HeadlineLineTest : public testing::Test {
    ScopedTimeZone zone_{"UTC0"};
};

TEST_F(HeadlineLineTest, PrintsTimeCategoryTitleAndLinkAsOneLineOfFourFields) {
    struct Case {
        NewsItem item;
        std::string line;
    };
    const Guid unknown = MakeGuid(0x01020304, 0x0506, 0x0708, {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0xAB});
    const Case cases[] = {
        {{kStocks.guid, 1709251199, L"沪指收涨", L"https://news.example.com/s/1.html"},
         "2024-02-29 23:59:59\tstocks\t沪指收涨\thttps://news.example.com/s/1.html"},
        {{Guid{}, 0, L"History item", L"x"}, "1970-01-01 00:00:00\thistory\tHistory item\tx"},
        {{kGold.guid, 86400, L"", L""}, "1970-01-02 00:00:00\tgold\t\t"},
        {{unknown, 60, L"t", L"l"}, "1970-01-01 00:01:00\t{01020304-0506-0708-090A-0B0C0D0E0FAB}\tt\tl"},
        // Text from the server may hold anything: it must not split the line or shift the fields.
        {{kForex.guid, 0, L"a\tb\r\nc\x01" L"d\x7F", L"li\nnk"}, "1970-01-01 00:00:00\tforex\ta b  c d \tli nk"},
        // A lone surrogate cannot go out as UTF-8; it becomes the replacement character.
        {{kFutures.guid, 0, std::wstring(1, static_cast<wchar_t>(0xD800)) + L"油", L"l"},
         "1970-01-01 00:00:00\tfutures\t\xEF\xBF\xBD油\tl"},
    };
    for (const Case& c : cases) EXPECT_EQ(HeadlineLine(c.item), c.line);
}

TEST_F(HeadlineLineTest, TimesBeyondTheCalendarArePrintedAsSeconds) {
    EXPECT_EQ(LocalTimeText(std::numeric_limits<std::int64_t>::max()), "@9223372036854775807");
    EXPECT_EQ(LocalTimeText(std::numeric_limits<std::int64_t>::min()), "@-9223372036854775808");
}

}  // namespace
