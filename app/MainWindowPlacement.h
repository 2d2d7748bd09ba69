#pragma once
// Where the main window stands on the desktop: centred on the monitor it opens on, and brought back when
// the monitors change under it (one unplugged, a resolution lowered) so that it would be out of reach.
#include <optional>

#include "controls/ScreenAreas.h"

// The window of this size centred in the work area of the monitor under the point (the mouse at start),
// else of the primary monitor. A window larger than the work area keeps its top-left corner inside it, so
// the title area can be grabbed. An empty desktop gives the window at (0, 0).
ScreenRect OpeningPlacement(const MonitorAreas& monitors, int pointX, int pointY, int width, int height);

// After the monitors changed: nullopt while the window still overlaps some monitor's work area; otherwise
// the window centred on the primary monitor's work area, at its size.
std::optional<ScreenRect> KeptOnDesktop(const MonitorAreas& monitors, const ScreenRect& window);
