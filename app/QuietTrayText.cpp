#include "app/QuietTrayText.h"

#include <cstdio>

namespace {

std::wstring TwoDigits(int value) {
    wchar_t text[8]{};
    std::swprintf(text, std::size(text), L"%02d", value);
    return text;
}

// The day after a date, by the calendar's own month lengths.
popup::LocalMinute NextDay(popup::LocalMinute day) {
    const bool leap = (day.year % 4 == 0 && day.year % 100 != 0) || day.year % 400 == 0;
    const int lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (++day.day > lengths[(day.month - 1) % 12]) {
        day.day = 1;
        if (++day.month > 12) {
            day.month = 1;
            ++day.year;
        }
    }
    return day;
}

bool SameDay(const popup::LocalMinute& a, const popup::LocalMinute& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

std::wstring QuietStateText(const popup::QuietChoice& choice, popup::LocalMinute now) {
    using Kind = popup::QuietChoice::Kind;
    if (choice.kind == Kind::UntilTurnedOff) return L"免打扰中（手动结束）";
    if (choice.kind != Kind::Until || choice.until <= now) return {};
    const popup::LocalMinute& end = choice.until;
    const std::wstring time = TwoDigits(end.hour) + L":" + TwoDigits(end.minute);
    if (SameDay(end, now)) return L"免打扰至 " + time;
    if (SameDay(end, NextDay(now))) return L"免打扰至 明天 " + time;
    return L"免打扰至 " + TwoDigits(end.month) + L"-" + TwoDigits(end.day) + L" " + time;
}

std::wstring QuietTipText(std::size_t waiting) {
    if (waiting == 0) return L"免打扰中";
    return L"免打扰中：已收到 " + std::to_wstring(waiting) + L" 条快讯";
}
