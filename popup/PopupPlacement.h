#pragma once
// Where the pop-up stands: in the lower right corner of the work area of the monitor the user chose in
// [Properties] PopupMonitor, decided on the desktop's monitors as they are at that moment (a taskbar on
// any edge, monitors left of or above the primary at negative coordinates, a monitor just unplugged).
#include <optional>
#include <string>

#include "controls/ScreenAreas.h"

namespace popup {

enum class PopupMonitorChoice { Primary = 0, Mouse = 1, MainWindow = 2 };

// "0" the primary monitor, "1" the monitor with the mouse, "2" the main window's; anything else (a missing
// key included) the primary.
PopupMonitorChoice ParsePopupMonitor(const std::wstring& value);
PopupMonitorChoice ReadPopupMonitor();                  // from Setting.ini
bool WritePopupMonitor(PopupMonitorChoice choice);      // as "0", "1" or "2"; false when not written

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// The monitor the pop-up goes to: the primary; the one containing the mouse point; or the one the main
// window's rectangle mostly lies on (a hidden window's last rectangle counts). Each falls back to the
// primary when no monitor qualifies, and a desktop with no monitor marked primary uses its first one.
// Nothing only for an empty list.
std::optional<MonitorArea> ChoosePopupMonitor(const MonitorAreas& monitors, PopupMonitorChoice choice,
                                              ScreenPoint mouse, const std::optional<ScreenRect>& mainWindow);

// The pop-up's resting rectangle, width x height, in the work area's lower right corner, rightGap pixels
// in from its right edge. One larger than the work area keeps its left and top edges inside it, so the
// title band with its close area stays in reach.
ScreenRect PopupRestingRect(const ScreenRect& work, int width, int height, int rightGap);

}  // namespace popup
