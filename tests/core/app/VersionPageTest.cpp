#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/VersionPage.h"

namespace {

struct PageCase {
    const char* what;
    const wchar_t* page;
    std::optional<VersionPage> values;  // none: the page changes nothing
};

VersionPage Values(const wchar_t* version, const wchar_t* address, const wchar_t* port) {
    return {version, address, port};
}

TEST(VersionPage, ValuesBetweenTags) {
    const PageCase cases[] = {
        {"all three tags", L"<version>1.0.1</version><serverip>10.0.0.5</serverip><port>15500</port>",
         Values(L"1.0.1", L"10.0.0.5", L"15500")},
        {"inside other markup",
         L"<html><body><p>v<version>2.0</version></p>\r\n<div><serverip>1.2.3.4</serverip>:<port>80</port></div>",
         Values(L"2.0", L"1.2.3.4", L"80")},
        {"values kept literally", L"<port> 15500</port><version>1.0.1 </version><serverip>a&amp;b</serverip>",
         Values(L"1.0.1 ", L"a&amp;b", L" 15500")},
        {"first occurrence wins",
         L"<version>1</version><version>2</version><serverip>x</serverip><serverip>y</serverip><port>1</port><port>2</port>",
         Values(L"1", L"x", L"1")},
        {"empty values", L"<version></version><serverip></serverip><port></port>", Values(L"", L"", L"")},
        {"missing port", L"<version>1.0.1</version><serverip>10.0.0.5</serverip>", std::nullopt},
        {"missing closing tag", L"<version>1.0.1</version><serverip>10.0.0.5<port>1</port>", std::nullopt},
        {"closing before opening", L"</version>1.0.1<version><serverip>1.1.1.1</serverip><port>1</port>",
         std::nullopt},
        {"stray closing tag before a proper pair",
         L"</version><version>1.0.1</version><serverip>1.1.1.1</serverip><port>1</port>", std::nullopt},
        {"tags in other letter case", L"<VERSION>1.0.1</VERSION><serverip>1.1.1.1</serverip><port>1</port>",
         std::nullopt},
        {"an error page", L"<html><title>404 Not Found</title></html>", std::nullopt},
        {"empty page", L"", std::nullopt},
    };
    for (const PageCase& c : cases) {
        const std::optional<VersionPage> page = ParseVersionPage(c.page);
        ASSERT_EQ(page.has_value(), c.values.has_value()) << c.what;
        if (!page) continue;
        EXPECT_EQ(page->version, c.values->version) << c.what;
        EXPECT_EQ(page->serverAddress, c.values->serverAddress) << c.what;
        EXPECT_EQ(page->port, c.values->port) << c.what;
    }
}

TEST(VersionPage, TextEndsAtLimitOrFirstNul) {
    const std::string tags = "<version>1.0.1</version><serverip>10.0.0.5</serverip><port>15500</port>";
    EXPECT_EQ(VersionPageText(tags), tags);
    EXPECT_EQ(VersionPageText(std::string("<version>1</version>\0<port>2</port>", 35)), "<version>1</version>");

    // A page whose closing port tag straddles the limit is cut before it and so changes nothing.
    std::string padded(kVersionPageMaxBytes - tags.size() + 3, ' ');
    padded += tags;
    const std::string_view text = VersionPageText(padded);
    EXPECT_EQ(text.size(), kVersionPageMaxBytes);
    EXPECT_FALSE(ParseVersionPage(std::wstring(text.begin(), text.end())).has_value());
    // Ending exactly at the limit it is whole.
    padded.erase(0, 3);
    const std::string_view whole = VersionPageText(padded);
    EXPECT_TRUE(ParseVersionPage(std::wstring(whole.begin(), whole.end())).has_value());
}

TEST(VersionPage, OffersAnUpdateOnlyForAHigherOrDifferentVersion) {
    struct Case {
        const wchar_t* page;
        const wchar_t* installed;
        bool offered;
    };
    const Case cases[] = {
        {L"1.0.1", L"1.0.1", false},
        {L"1.0.1 ", L"1.0.1", false},
        {L"\t1.0.1\r\n", L" 1.0.1", false},
        {L"1.0.2", L"1.0.1", true},
        {L"1.0.0", L"1.0.1", false},  // the installed copy is newer: a rollout in progress
        {L"1.0.10", L"1.0.9", true},
        {L"1.0.9", L"1.0.10", false},
        {L"2", L"1.9.9", true},
        {L"1.0", L"1.0.0", false},
        {L"1.0.0.1", L"1.0", true},
        {L"1.0.1-beta", L"1.0.1", true},  // not a dotted number: any difference counts
        {L"abc", L"abc", false},
        {L"", L"1.0.1", true},
        {L"1..0", L"1.0", true},
        {L"99999999999.0", L"1.0", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OffersUpdate(c.page, c.installed), c.offered) << testing::PrintToString(std::wstring(c.page))
                                                                << " against " << testing::PrintToString(std::wstring(c.installed));
}

}  // namespace
