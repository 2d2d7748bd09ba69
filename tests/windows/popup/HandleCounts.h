#pragma once
// The handle budget of the process: GDI objects and USER objects. Wine answers GetGuiResources with
// nothing; there the USER objects are counted as the windows of the process, which is what a pop-up entry
// makes.
#include <windows.h>

#include "tests/windows/framework/GdiObjectCount.h"

struct HandleCounts {
    int gdi;
    DWORD user;
};

inline DWORD WindowsOfThisProcess() {
    DWORD windows = 0;
    EnumWindows(
        [](HWND hwnd, LPARAM count) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            if (process != GetCurrentProcessId()) return TRUE;
            ++*reinterpret_cast<DWORD*>(count);
            // EnumChildWindows walks every descendant.
            EnumChildWindows(hwnd, [](HWND, LPARAM n) -> BOOL { return ++*reinterpret_cast<DWORD*>(n), TRUE; }, count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

inline HandleCounts CurrentHandleCounts() {
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return {GdiObjectCount(), user != 0 ? user : WindowsOfThisProcess()};
}
