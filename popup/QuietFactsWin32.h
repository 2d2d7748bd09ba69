#pragma once
// Gathers the facts the quiet decision needs, at the moment an item would be announced: Windows sends no
// message when a full-screen program starts or ends, so nothing is cached.
#include <windows.h>

#include "popup/QuietRules.h"

namespace popup {

// The monitor the pop-up uses: the one at the lower right corner of the work area it opens in.
HMONITOR PopupMonitor(const RECT& workArea);

// The local wall-clock minute now.
LocalMinute LocalNow();

// Windows' notification state, the foreground window against the pop-up's monitor, the user's
// "免打扰" from Setting.ini, the local time, and [Alerts] FullScreen.
QuietFacts GatherQuietFacts();

}  // namespace popup
