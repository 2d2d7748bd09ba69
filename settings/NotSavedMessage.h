#pragma once
// The message of a dialog whose choices could not be written to Setting.ini. The folder may be one the
// user cannot write: it says so and where, and the dialog stays open with the choices on show.
#include <windows.h>

// Shows "<what>未能保存：无法写入文件" with the settings file's full path and what to do about it.
void ShowNotSavedMessage(HWND owner, const wchar_t* what, const wchar_t* caption);
