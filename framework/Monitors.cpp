#include "framework/Monitors.h"

namespace fw {

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM areas) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<MonitorAreas*>(areas)->push_back(
            {ToScreenRect(info.rcMonitor), ToScreenRect(info.rcWork), (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    return TRUE;
}

}  // namespace

ScreenRect ToScreenRect(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

MonitorAreas DesktopMonitors() {
    MonitorAreas areas;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&areas));
    if (!areas.empty()) return areas;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT bounds{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return {{ToScreenRect(bounds), ToScreenRect(work), true}};
}

}  // namespace fw
