#pragma once
// The desktop's monitors as the placement decisions take them (controls/ScreenAreas.h), read afresh at
// each call: monitors come and go, and taskbars move, while the program runs.
#include <windows.h>

#include "controls/ScreenAreas.h"

namespace fw {

// Every monitor's bounds and work area. Never empty: where the system lists none, the primary screen and
// its work area stand for the desktop.
MonitorAreas DesktopMonitors();

ScreenRect ToScreenRect(const RECT& rect);

}  // namespace fw
