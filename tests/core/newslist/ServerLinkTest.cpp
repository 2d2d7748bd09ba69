#include <gtest/gtest.h>

#include "newslist/ServerLink.h"

namespace {

struct LinkCase {
    const wchar_t* link;
    const wchar_t* opened;  // nullptr: not opened
};

TEST(ServerLinkTarget, OpensOnlyWebLinks) {
    const LinkCase cases[] = {
        {L"http://news.example/a?b=1", L"http://news.example/a?b=1"},
        {L"https://news.example/", L"https://news.example/"},
        {L"HTTPS://News.Example/", L"HTTPS://News.Example/"},
        {L"HtTp://x", L"HtTp://x"},
        {L"www.example.com/item", L"http://www.example.com/item"},
        {L"WWW.example.com", L"http://WWW.example.com"},
        {L"", nullptr},
        {L"http:", nullptr},
        {L"http:/x", nullptr},
        {L"file:///C:/Windows/System32/calc.exe", nullptr},
        {L"C:\\Windows\\System32\\calc.exe", nullptr},
        {L"\\\\server\\share\\run.exe", nullptr},
        {L"calc.exe", nullptr},
        {L"javascript:alert(1)", nullptr},
        {L"mailto:a@b.c", nullptr},
        {L" http://leading.space", nullptr},
        {L"wwwexample.com", nullptr},
        {L"ftp://files.example/", nullptr},
    };
    for (const LinkCase& c : cases) {
        const auto target = newslist::ServerLinkTarget(c.link);
        if (c.opened == nullptr) {
            EXPECT_FALSE(target.has_value()) << "opened: " << testing::PrintToString(std::wstring(c.link));
        } else {
            ASSERT_TRUE(target.has_value()) << "refused: " << testing::PrintToString(std::wstring(c.link));
            EXPECT_EQ(*target, c.opened);
        }
    }
}

}  // namespace
