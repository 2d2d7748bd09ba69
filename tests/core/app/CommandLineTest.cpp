#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct CommandLineCase {
    std::vector<std::wstring> tokens;
    CommandLineAction expected;
};

TEST(CommandLine, DecidesByTheFirstDashSBeforeTheLastToken) {
    using enum CommandLineAction;
    const CommandLineCase cases[] = {
        {{}, StartClient},
        {{L"-s"}, StartClient},                       // a lone "-s" is never examined
        {{L"-s", L"true"}, RegisterStartWithWindows},
        {{L"-s", L"false"}, UnregisterStartWithWindows},
        {{L"-s", L"TRUE"}, RejectValue},              // case matters
        {{L"-s", L"true "}, RejectValue},             // compared in full
        {{L"-s", L""}, RejectValue},
        {{L"-S", L"true"}, StartClient},
        {{L"--s", L"true"}, StartClient},
        {{L"/min", L"-s", L"false"}, UnregisterStartWithWindows},  // a token before "-s" is ignored
        {{L"-s", L"-s", L"true"}, RejectValue},       // the first "-s" decides
        {{L"-s", L"false", L"-s", L"true"}, UnregisterStartWithWindows},
        {{L"true", L"-s"}, StartClient},
    };
    for (const CommandLineCase& c : cases) {
        std::wstring shown;
        for (const std::wstring& token : c.tokens) shown += L"[" + token + L"]";
        EXPECT_EQ(DecideCommandLine(c.tokens), c.expected) << testing::PrintToString(shown);
    }
}

}  // namespace
