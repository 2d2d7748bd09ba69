#pragma once
// The skinned dialogs' bands: a skin picture 40 pixels high at 96 DPI stretched over the top and another
// over the bottom of the client area, behind the title and behind the dialog's closing buttons, both at the
// dialog's DPI. A band whose picture is missing shows the dialog's face colour. The caller has GDI+ started.
#include <windows.h>

#include <initializer_list>
#include <string_view>

// The band's height at a DPI.
int DialogBandHeight(UINT dpi);

// Paints both bands (for WM_PAINT) over the whole client area, children included: a dialog does not clip
// them. The pictures are skin file names (e.g. L"settingtop.jpg"). The buttons standing on the bottom band
// are then asked to paint themselves again.
void PaintDialogBands(HWND dialog, std::wstring_view topFileName, std::wstring_view bottomFileName,
                      std::initializer_list<int> bottomButtonIds);
