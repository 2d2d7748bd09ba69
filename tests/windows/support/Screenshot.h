#pragma once
// Pictures of what windows show on the screen, saved as PNG files for review and for checks that read
// pixels back. GDI+ must be running (a fw::GdiplusSession or the test's own start-up).
#include <windows.h>

#include <string>

// The GDI+ encoder for a MIME type such as "image/png"; false when there is none.
bool ImageEncoder(const wchar_t* mimeType, CLSID& encoder);

// Copies an area of a device context (in that context's coordinates) and saves it as a PNG file.
bool SaveAreaAsPng(HDC source, const RECT& area, const std::wstring& path);

// The window's client area, read back from the window's own context: controls that draw on their own
// window contexts show there, never on a print request's.
bool SaveClientAreaAsPng(HWND hwnd, const std::wstring& path);

// The whole window, frame and scroll bars included, as it stands on the screen.
bool SaveWindowAsPng(HWND hwnd, const std::wstring& path);

// A dialog for review: moved to the top left of the screen, painted afresh, given a moment to settle, and
// saved as the named PNG file in <build>/screenshots.
bool SaveReviewScreenshot(HWND window, const wchar_t* name);
