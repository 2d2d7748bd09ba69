#pragma once
// The DPI a window draws at, and the few system calls that take one. Each window reads its DPI once at
// creation and again on WM_DPICHANGED; everything it draws is sized from that value through
// ScaleForDpi (controls/SkinScale.h). The calls newer than the oldest systems the program runs on (and
// than Wine 8) are looked up at run time, so the program still starts where they are missing.
#include <windows.h>

namespace fw {

// The window's DPI: GetDpiForWindow where the system has it, otherwise the screen's DPI. Never 0.
UINT WindowDpi(HWND window);

// The DPI of the monitor under a point of the screen, for a window about to be made there; the screen's
// DPI where the system cannot tell monitors apart.
UINT DpiAtPoint(POINT point);

// A system metric at a DPI (GetSystemMetricsForDpi, or the metric scaled from the system's DPI).
int SystemMetricForDpi(int index, UINT dpi);

// The window rectangle for a client rectangle at a DPI (AdjustWindowRectExForDpi, or scaled by hand).
bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, UINT dpi);

// WM_DPICHANGED: the new DPI from wParam, and the window moved to the rectangle lParam suggests.
UINT TakeSuggestedDpiChange(HWND window, WPARAM wParam, LPARAM lParam);

// A font of the same face at another DPI: its height scaled from the one given at 96 DPI.
HFONT CreateFontForDpi(const LOGFONTW& faceAt96Dpi, UINT dpi);

// A dialog that lays itself out on WM_DPICHANGED: the dialog manager's own scaling of its size, controls
// and font is switched off (SetDialogDpiChangeBehavior, where the system has it).
void KeepDialogLayoutOnDpiChange(HWND dialog);

}  // namespace fw

