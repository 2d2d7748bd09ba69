#include "app/QuietTrayText.h"

#include <gtest/gtest.h>

namespace {

using popup::LocalMinute;
using popup::QuietChoice;
using Kind = QuietChoice::Kind;

TEST(QuietStateText, TellsTheEndAsTheUserReadsIt) {
    const struct {
        QuietChoice choice;
        LocalMinute now;
        std::wstring expected;
    } cases[] = {
        {{Kind::Until, {2026, 12, 11, 14, 30}}, {2026, 12, 11, 13, 30}, L"免打扰至 14:30"},
        {{Kind::Until, {2026, 12, 12, 8, 0}}, {2026, 12, 11, 23, 59}, L"免打扰至 明天 08:00"},
        {{Kind::Until, {2027, 1, 1, 8, 0}}, {2026, 12, 31, 9, 0}, L"免打扰至 明天 08:00"},   // across the year
        {{Kind::Until, {2028, 3, 1, 0, 30}}, {2028, 2, 29, 23, 30}, L"免打扰至 明天 00:30"}, // a leap day
        {{Kind::Until, {2026, 3, 1, 8, 0}}, {2026, 2, 28, 9, 0}, L"免打扰至 明天 08:00"},
        {{Kind::Until, {2026, 12, 25, 8, 5}}, {2026, 12, 11, 9, 0}, L"免打扰至 12-25 08:05"},
        {{Kind::UntilTurnedOff, {}}, {2026, 12, 11, 9, 0}, L"免打扰中（手动结束）"},
        {{Kind::Until, {2026, 12, 11, 14, 30}}, {2026, 12, 11, 14, 30}, L""},  // ended
        {{}, {2026, 12, 11, 9, 0}, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(QuietStateText(c.choice, c.now), c.expected) << c.expected;
}

TEST(QuietTipText, CountsWhatWaited) {
    EXPECT_EQ(QuietTipText(0), L"免打扰中");
    EXPECT_EQ(QuietTipText(1), L"免打扰中：已收到 1 条快讯");
    EXPECT_EQ(QuietTipText(1234), L"免打扰中：已收到 1234 条快讯");
}

}  // namespace
