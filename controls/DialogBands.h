#pragma once
// The skinned dialogs' bands: a picture 40 pixels high stretched over the top and another over the bottom
// of the client area, behind the title and behind the dialog's closing buttons. A band whose picture is
// missing shows the dialog's face colour. The caller has GDI+ started.
#include <windows.h>

#include <initializer_list>

// Paints both bands (for WM_PAINT) over the whole client area, children included: a dialog does not clip
// them. The buttons standing on the bottom band are then asked to paint themselves again.
void PaintDialogBands(HWND dialog, const wchar_t* topPicture, const wchar_t* bottomPicture,
                      std::initializer_list<int> bottomButtonIds);
