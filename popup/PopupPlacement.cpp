#include "popup/PopupPlacement.h"

#include <algorithm>

#include "settings/SettingKeys.h"

namespace popup {

namespace {

long long OverlapArea(const ScreenRect& a, const ScreenRect& b) {
    const long long width = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

const MonitorArea* PrimaryMonitor(const MonitorAreas& monitors) {
    const auto primary = std::find_if(monitors.begin(), monitors.end(), [](const MonitorArea& m) { return m.primary; });
    return primary != monitors.end() ? &*primary : monitors.empty() ? nullptr : &monitors.front();
}

const MonitorArea* MonitorWithPoint(const MonitorAreas& monitors, ScreenPoint point) {
    const auto found = std::find_if(monitors.begin(), monitors.end(),
                                    [&](const MonitorArea& m) { return m.bounds.Contains(point.x, point.y); });
    return found != monitors.end() ? &*found : nullptr;
}

const MonitorArea* MonitorMostlyUnder(const MonitorAreas& monitors, const ScreenRect& window) {
    const MonitorArea* best = nullptr;
    long long bestArea = 0;
    for (const MonitorArea& monitor : monitors) {
        const long long area = OverlapArea(monitor.bounds, window);
        if (area > bestArea) best = &monitor, bestArea = area;
    }
    return best;
}

}  // namespace

PopupMonitorChoice ParsePopupMonitor(const std::wstring& value) {
    if (value == L"1") return PopupMonitorChoice::Mouse;
    if (value == L"2") return PopupMonitorChoice::MainWindow;
    return PopupMonitorChoice::Primary;
}

PopupMonitorChoice ReadPopupMonitor() {
    return ParsePopupMonitor(settings::ReadProperty(settings::kPopupMonitorKey, L"0"));
}

bool WritePopupMonitor(PopupMonitorChoice choice) {
    return settings::WriteProperty(settings::kPopupMonitorKey, static_cast<int>(choice));
}

std::optional<MonitorArea> ChoosePopupMonitor(const MonitorAreas& monitors, PopupMonitorChoice choice,
                                              ScreenPoint mouse, const std::optional<ScreenRect>& mainWindow) {
    const MonitorArea* chosen = nullptr;
    if (choice == PopupMonitorChoice::Mouse) chosen = MonitorWithPoint(monitors, mouse);
    if (choice == PopupMonitorChoice::MainWindow && mainWindow) chosen = MonitorMostlyUnder(monitors, *mainWindow);
    if (!chosen) chosen = PrimaryMonitor(monitors);
    return chosen ? std::optional(*chosen) : std::nullopt;
}

ScreenRect PopupRestingRect(const ScreenRect& work, int width, int height, int rightGap) {
    const int left = std::max(work.left, work.right - rightGap - width);
    const int top = std::max(work.top, work.bottom - height);
    return {left, top, left + width, top + height};
}

}  // namespace popup
