#include "popup/QuietFactsWin32.h"

#include <shellapi.h>

namespace popup {

namespace {

NotificationState QueryNotificationState() {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    if (FAILED(SHQueryUserNotificationState(&state))) return NotificationState::AcceptsNotifications;
    return static_cast<NotificationState>(state);
}

bool ForegroundFillsMonitor(HMONITOR monitor) {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return false;
    wchar_t className[256]{};
    GetClassNameW(foreground, className, 256);
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    if (!ForegroundCounts(foreground == GetDesktopWindow(), className, process == GetCurrentProcessId()))
        return false;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT window{};
    if (!GetMonitorInfoW(monitor, &info) || !GetWindowRect(foreground, &window)) return false;
    const RECT& area = info.rcMonitor;
    return FillsMonitor({window.left, window.top, window.right, window.bottom},
                        {area.left, area.top, area.right, area.bottom});
}

}  // namespace

LocalMinute LocalNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

HMONITOR PopupMonitor(const RECT& workArea) {
    return MonitorFromPoint({workArea.right - 1, workArea.bottom - 1}, MONITOR_DEFAULTTOPRIMARY);
}

QuietFacts GatherQuietFacts() {
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    QuietFacts facts;
    facts.notifications = QueryNotificationState();
    facts.foregroundFillsPopupMonitor = ForegroundFillsMonitor(PopupMonitor(workArea));
    facts.choice = ReadQuietChoice();
    facts.now = LocalNow();
    facts.alertsThroughFullScreen = ReadAlertsThroughFullScreen();
    return facts;
}

}  // namespace popup
