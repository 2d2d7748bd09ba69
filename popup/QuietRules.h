#pragma once
// When the pop-up keeps quiet: no pop-up and no sound, while headlines still reach the list. One decision
// over facts the windows gather: Windows' notification state, whether the foreground window fills the
// pop-up's monitor, the user's own "免打扰" and its end, and whether the item is a keyword alert.
#include <compare>
#include <optional>
#include <string>

#include <cstdint>

#include "controls/ScreenAreas.h"

namespace popup {

// A local wall-clock minute, as the user reads it and as [Quiet] Until stores it.
struct LocalMinute {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;

    friend auto operator<=>(const LocalMinute&, const LocalMinute&) = default;
};

// The user's "免打扰": off, until a local minute, or until turned off.
struct QuietChoice {
    enum class Kind { Off, Until, UntilTurnedOff };
    Kind kind = Kind::Off;
    LocalMinute until;  // for Kind::Until

    friend bool operator==(const QuietChoice&, const QuietChoice&) = default;
};

// What the tray menu offers.
enum class QuietOffer { OneHour, TwoHours, UntilEightTomorrow, UntilTurnedOff };

// The choice an offer makes at now. "Until 8:00 tomorrow" is the next 8:00 after now: chosen at 00:30 it
// ends at 8:00 the same morning, chosen at 9:00 at 8:00 the next day.
QuietChoice ChooseQuiet(QuietOffer offer, LocalMinute now);

// [Quiet] Until: "YYYY-MM-DD HH:MM", or "off-only" for until turned off. Absent, empty or unreadable
// (also an impossible date or time) means Off.
QuietChoice ParseQuietUntil(const std::wstring& value);
std::wstring QuietUntilText(const QuietChoice& choice);  // empty for Off
QuietChoice ReadQuietChoice();                            // from Setting.ini
bool WriteQuietChoice(const QuietChoice& choice);         // Off removes the key; false when not written

// [Alerts] FullScreen: "1" lets keyword alerts through full screen; anything else, or nothing, does not.
bool ReadAlertsThroughFullScreen();

// Windows' answer to "may notifications show now" (the values of SHQueryUserNotificationState).
enum class NotificationState {
    NotPresent = 1,         // screen saver, locked, or another user's session
    Busy = 2,               // a full-screen program
    RunningD3dFullScreen = 3,
    PresentationMode = 4,
    AcceptsNotifications = 5,
    QuietTime = 6,          // the first hour after setup
    App = 7,                // a full-screen app of the store
};

struct QuietFacts {
    NotificationState notifications = NotificationState::AcceptsNotifications;
    bool foregroundFillsPopupMonitor = false;  // see ForegroundCounts and FillsMonitor
    QuietChoice choice;
    LocalMinute now;
    bool alertsThroughFullScreen = false;  // [Alerts] FullScreen
};

enum class QuietReason { None, UserChoice, FirstHour, FullScreen, Presentation, Locked };

// Why an item may not be announced now, QuietReason::None when it may. A keyword alert comes through the
// user's choice and the first hour, but waits during full screen (unless alertsThroughFullScreen),
// presentation mode and a locked screen. The user's choice has ended once now reaches its end.
QuietReason Quiet(const QuietFacts& facts, bool alert);

// Whether a full-screen program holds, by Windows' state or by the foreground window. Only then can
// alertsThroughFullScreen change Quiet's answer, so only then need it be read.
bool FullScreenHolds(const QuietFacts& facts);

// Whether the foreground window may count as a full-screen program: not the desktop window itself (Wine
// answers that), not the shell's desktop or taskbar windows (by class: "Progman", "WorkerW",
// "Shell_TrayWnd", "Shell_SecondaryTrayWnd"), not a window of this program.
bool ForegroundCounts(bool isDesktopWindow, const std::wstring& className, bool ownProcess);

// A window fills a monitor when it covers the monitor's whole area.
bool FillsMonitor(const ScreenRect& window, const ScreenRect& monitor);

}  // namespace popup
