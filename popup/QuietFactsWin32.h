#pragma once
// Gathers the facts the quiet decision needs, at the moment an item would be announced: Windows sends no
// message when a full-screen program starts or ends, so nothing is cached.
#include <windows.h>

#include "controls/ScreenAreas.h"
#include "popup/QuietRules.h"

namespace popup {

// The monitor the pop-up uses now, by [Properties] PopupMonitor: the primary, the one with the mouse, or
// the one mainWindow (null for none) lies on; hidden in the tray, its last place still names it.
MonitorArea PopupMonitorArea(HWND mainWindow);

// The local wall-clock minute now.
LocalMinute LocalNow();

// Windows' notification state, the foreground window against the pop-up's monitor (its bounds given),
// the user's "免打扰" from Setting.ini, the local time, and [Alerts] FullScreen.
QuietFacts GatherQuietFacts(const ScreenRect& popupMonitor);

}  // namespace popup
