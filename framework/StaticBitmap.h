#pragma once
// Pictures shown by static controls (STM_SETIMAGE) belong to the control: the bitmap a control showed before
// is deleted when it gets another one, and the last one when the control's window is destroyed, so windows
// made per headline leave no bitmap behind.
//
//     fw::SetStaticBitmap(GetDlgItem(hwnd_, 1035),
//                         (HBITMAP)LoadImageW(module, MAKEINTRESOURCEW(172), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
//
// The control needs the SS_BITMAP style. Never delete a bitmap handed over here, and give a control its
// pictures only through this function.
#include <windows.h>

namespace fw {

// Shows bitmap in the static control and hands it over; nullptr takes the picture away. Whatever the
// control showed before is deleted (also the copy that version 6 of the control makes of a picture with
// alpha). False when control is no window: the bitmap is deleted at once.
bool SetStaticBitmap(HWND control, HBITMAP bitmap);

// A bitmap of the program's resources at a DPI: drawn at its size at 96 DPI scaled with high quality (GDI+
// bicubic; the caller has GDI+ started), or as stored at 96 DPI. The caller owns it; nullptr when missing.
HBITMAP LoadBitmapResourceForDpi(int resource, UINT dpi);

}  // namespace fw
