#include "app/MainWindowPlacement.h"

#include <algorithm>

namespace {

const MonitorArea* PrimaryMonitor(const MonitorAreas& monitors) {
    const auto primary = std::find_if(monitors.begin(), monitors.end(), [](const MonitorArea& m) { return m.primary; });
    if (primary != monitors.end()) return &*primary;
    return monitors.empty() ? nullptr : &monitors.front();
}

ScreenRect CentredIn(const ScreenRect& work, int width, int height) {
    const int left = work.left + std::max(0, (work.Width() - width) / 2);
    const int top = work.top + std::max(0, (work.Height() - height) / 2);
    return {left, top, left + width, top + height};
}

}  // namespace

ScreenRect OpeningPlacement(const MonitorAreas& monitors, int pointX, int pointY, int width, int height) {
    const auto underPoint = std::find_if(monitors.begin(), monitors.end(),
                                         [&](const MonitorArea& m) { return m.bounds.Contains(pointX, pointY); });
    const MonitorArea* monitor = underPoint != monitors.end() ? &*underPoint : PrimaryMonitor(monitors);
    if (!monitor) return {0, 0, width, height};
    return CentredIn(monitor->work, width, height);
}

std::optional<ScreenRect> KeptOnDesktop(const MonitorAreas& monitors, const ScreenRect& window) {
    const MonitorArea* primary = PrimaryMonitor(monitors);
    if (!primary) return std::nullopt;
    if (std::any_of(monitors.begin(), monitors.end(), [&](const MonitorArea& m) { return m.work.Intersects(window); }))
        return std::nullopt;
    return CentredIn(primary->work, window.Width(), window.Height());
}
