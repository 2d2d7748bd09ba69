#include "popup/QuietFactsWin32.h"

#include <shellapi.h>

#include <optional>

#include "framework/Monitors.h"
#include "popup/PopupPlacement.h"

namespace popup {

namespace {

NotificationState QueryNotificationState() {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (FAILED(SHQueryUserNotificationState(&state))) return NotificationState::AcceptsNotifications;
    return static_cast<NotificationState>(state);
}

bool ForegroundFillsMonitor(const ScreenRect& monitor) {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return false;
    wchar_t className[256]{};
    GetClassNameW(foreground, className, 256);
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    if (!ForegroundCounts(foreground == GetDesktopWindow(), className, process == GetCurrentProcessId()))
        return false;
    RECT window{};
    return GetWindowRect(foreground, &window) && FillsMonitor(fw::ToScreenRect(window), monitor);
}

// A minimised window's rectangle lies far off every monitor; the monitor it was on stands for it then.
std::optional<ScreenRect> MainWindowPlace(HWND mainWindow) {
    if (!mainWindow || !IsWindow(mainWindow)) return std::nullopt;
    RECT place{};
    if (IsIconic(mainWindow)) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(MonitorFromWindow(mainWindow, MONITOR_DEFAULTTONULL), &info)) return std::nullopt;
        place = info.rcMonitor;
    } else if (!GetWindowRect(mainWindow, &place)) {
        return std::nullopt;
    }
    return fw::ToScreenRect(place);
}

// The primary monitor's work area as SPI_GETWORKAREA has it. Windows answers the same as GetMonitorInfo;
// Wine keeps a work area set through SPI_SETWORKAREA apart from the monitor's, and that one counts.
MonitorAreas MonitorsWithSetWorkArea() {
    MonitorAreas monitors = fw::DesktopMonitors();
    RECT setWork{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &setWork, 0)) return monitors;
    const ScreenRect work = fw::ToScreenRect(setWork);
    for (MonitorArea& monitor : monitors)
        if (monitor.primary && work.Width() > 0 && work.Height() > 0 && monitor.bounds.Contains(work.left, work.top) &&
            monitor.bounds.Contains(work.right - 1, work.bottom - 1))
            monitor.work = work;
    return monitors;
}

}  // namespace

LocalMinute LocalNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

MonitorArea PopupMonitorArea(HWND mainWindow) {
    const MonitorAreas monitors = MonitorsWithSetWorkArea();
    // This runs on every quiet check, so nothing is looked up that cannot change the answer: with one
    // monitor every choice comes to it, and otherwise only the choice's own fact counts (under X the
    // pointer's place is a round trip to the display).
    if (monitors.size() == 1) return monitors.front();
    const PopupMonitorChoice choice = ReadPopupMonitor();
    POINT mouse{};
    if (choice == PopupMonitorChoice::Mouse) GetCursorPos(&mouse);
    const std::optional<ScreenRect> mainPlace =
        choice == PopupMonitorChoice::MainWindow ? MainWindowPlace(mainWindow) : std::nullopt;
    return ChoosePopupMonitor(monitors, choice, {mouse.x, mouse.y}, mainPlace).value_or(monitors.front());
}

QuietFacts GatherQuietFacts(const ScreenRect& popupMonitor) {
    QuietFacts facts;
    facts.notifications = QueryNotificationState();
    facts.foregroundFillsPopupMonitor = ForegroundFillsMonitor(popupMonitor);
    facts.choice = ReadQuietChoice();
    facts.now = LocalNow();
    // Read only when it counts: the quiet check mostly finds no full screen, and each read opens the file.
    facts.alertsThroughFullScreen = FullScreenHolds(facts) && ReadAlertsThroughFullScreen();
    return facts;
}

}  // namespace popup
