#include "popup/QuietRules.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cwctype>

#include "alerts/AlertStore.h"
#include "settings/SettingsFile.h"

namespace popup {

namespace {

namespace chr = std::chrono;

constexpr const wchar_t* kQuietSection = L"Quiet";
constexpr const wchar_t* kUntilKey = L"Until";
constexpr const wchar_t* kUntilTurnedOffText = L"off-only";
constexpr int kMorningHour = 8;

chr::sys_days Day(const LocalMinute& minute) {
    return chr::year{minute.year} / chr::month{static_cast<unsigned>(minute.month)} /
           chr::day{static_cast<unsigned>(minute.day)};
}

// Local wall-clock minutes are counted like a clock without time zones: the "免打扰" ends at the minute the
// user reads, whatever daylight saving does in between.
chr::sys_time<chr::minutes> Minutes(const LocalMinute& minute) {
    return Day(minute) + chr::hours{minute.hour} + chr::minutes{minute.minute};
}

LocalMinute FromMinutes(chr::sys_time<chr::minutes> time) {
    const chr::sys_days day = chr::floor<chr::days>(time);
    const chr::year_month_day date{day};
    const chr::hh_mm_ss clock{time - day};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count())};
}

bool UserChoiceHolds(const QuietChoice& choice, const LocalMinute& now) {
    switch (choice.kind) {
        case QuietChoice::Kind::Off: return false;
        case QuietChoice::Kind::Until: return now < choice.until;
        case QuietChoice::Kind::UntilTurnedOff: return true;
    }
    return false;
}

// Reads count digits at text[at]; -1 when any is not a digit.
int Digits(const std::wstring& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return -1;
        value = value * 10 + (text[i] - L'0');
    }
    return value;
}

bool SameAsciiNoCase(const std::wstring& a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

}  // namespace

QuietChoice ChooseQuiet(QuietOffer offer, LocalMinute now) {
    switch (offer) {
        case QuietOffer::OneHour: return {QuietChoice::Kind::Until, FromMinutes(Minutes(now) + chr::hours{1})};
        case QuietOffer::TwoHours: return {QuietChoice::Kind::Until, FromMinutes(Minutes(now) + chr::hours{2})};
        case QuietOffer::UntilEightTomorrow: {
            const chr::sys_days today = Day(now);
            const chr::sys_days day = now.hour < kMorningHour ? today : today + chr::days{1};
            return {QuietChoice::Kind::Until, FromMinutes(day + chr::hours{kMorningHour})};
        }
        case QuietOffer::UntilTurnedOff: return {QuietChoice::Kind::UntilTurnedOff, {}};
    }
    return {};
}

QuietChoice ParseQuietUntil(const std::wstring& value) {
    if (value == kUntilTurnedOffText) return {QuietChoice::Kind::UntilTurnedOff, {}};
    // Exactly "YYYY-MM-DD HH:MM".
    if (value.size() != 16 || value[4] != L'-' || value[7] != L'-' || value[10] != L' ' || value[13] != L':')
        return {};
    const LocalMinute until{Digits(value, 0, 4), Digits(value, 5, 2), Digits(value, 8, 2), Digits(value, 11, 2),
                            Digits(value, 14, 2)};
    if (until.year < 0 || until.month < 0 || until.day < 0 || until.hour < 0 || until.minute < 0) return {};
    const chr::year_month_day date{chr::year{until.year} / chr::month{static_cast<unsigned>(until.month)} /
                                   chr::day{static_cast<unsigned>(until.day)}};
    if (!date.ok() || until.hour > 23 || until.minute > 59) return {};
    return {QuietChoice::Kind::Until, until};
}

std::wstring QuietUntilText(const QuietChoice& choice) {
    switch (choice.kind) {
        case QuietChoice::Kind::Off: return {};
        case QuietChoice::Kind::UntilTurnedOff: return kUntilTurnedOffText;
        case QuietChoice::Kind::Until: {
            const LocalMinute& t = choice.until;
            wchar_t text[32]{};
            std::swprintf(text, std::size(text), L"%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                          t.minute);
            return text;
        }
    }
    return {};
}

QuietChoice ReadQuietChoice() { return ParseQuietUntil(settings::ReadString(kQuietSection, kUntilKey, L"", 64)); }

bool WriteQuietChoice(const QuietChoice& choice) {
    if (choice.kind == QuietChoice::Kind::Off) return settings::DeleteKey(kQuietSection, kUntilKey);
    return settings::WriteString(kQuietSection, kUntilKey, QuietUntilText(choice));
}

bool ReadAlertsThroughFullScreen() {
    return settings::ReadString(alerts::kAlertsSection, alerts::kFullScreenKey, L"0", 8) == L"1";
}

QuietReason Quiet(const QuietFacts& facts, bool alert) {
    switch (facts.notifications) {
        case NotificationState::NotPresent: return QuietReason::Locked;
        case NotificationState::PresentationMode: return QuietReason::Presentation;
        case NotificationState::QuietTime:
            if (!alert) return QuietReason::FirstHour;
            break;
        default: break;
    }
    if (FullScreenHolds(facts) && (!alert || !facts.alertsThroughFullScreen)) return QuietReason::FullScreen;
    if (!alert && UserChoiceHolds(facts.choice, facts.now)) return QuietReason::UserChoice;
    return QuietReason::None;
}

bool FullScreenHolds(const QuietFacts& facts) {
    switch (facts.notifications) {
        case NotificationState::Busy:
        case NotificationState::RunningD3dFullScreen:
        case NotificationState::App: return true;
        default: return facts.foregroundFillsPopupMonitor;
    }
}

bool ForegroundCounts(bool isDesktopWindow, const std::wstring& className, bool ownProcess) {
    if (isDesktopWindow || ownProcess) return false;
    static constexpr std::array<const wchar_t*, 4> kShellClasses{L"Progman", L"WorkerW", L"Shell_TrayWnd",
                                                                  L"Shell_SecondaryTrayWnd"};
    return std::none_of(kShellClasses.begin(), kShellClasses.end(),
                        [&](const wchar_t* shell) { return SameAsciiNoCase(className, shell); });
}

bool FillsMonitor(const ScreenRect& window, const ScreenRect& monitor) {
    if (monitor.right <= monitor.left || monitor.bottom <= monitor.top) return false;
    return window.left <= monitor.left && window.top <= monitor.top && window.right >= monitor.right &&
           window.bottom >= monitor.bottom;
}

}  // namespace popup
