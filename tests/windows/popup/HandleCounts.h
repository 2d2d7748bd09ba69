#pragma once
// The handle budget of the process: GDI objects and USER objects. Windows keeps both counts
// (GetGuiResources); Wine answers 0 there, so under Wine the live GDI objects are counted from its handle
// table (it accepts a table index as a handle) and the USER objects as the windows of the process.
#include <windows.h>

struct HandleCounts {
    DWORD gdi;
    DWORD user;
    friend bool operator==(const HandleCounts&, const HandleCounts&) = default;
};

inline HandleCounts CurrentHandleCounts() {
    HandleCounts counts{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                        GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    if (counts.gdi == 0) {
        for (ULONG_PTR index = 1; index < 0x10000; ++index)
            if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++counts.gdi;
    }
    if (counts.user == 0) {
        // EnumChildWindows already walks every descendant, so top-level windows are not recursed twice.
        DWORD windows = 0;
        EnumWindows(
            [](HWND hwnd, LPARAM count) -> BOOL {
                DWORD process = 0;
                GetWindowThreadProcessId(hwnd, &process);
                if (process != GetCurrentProcessId()) return TRUE;
                ++*reinterpret_cast<DWORD*>(count);
                EnumChildWindows(
                    hwnd, [](HWND, LPARAM n) -> BOOL { return ++*reinterpret_cast<DWORD*>(n), TRUE; }, count);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&windows));
        counts.user = windows;
    }
    return counts;
}
