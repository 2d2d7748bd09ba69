#pragma once
// The handle budget of the process, for tests that keep it flat: GDI objects and USER objects. Wine answers
// GetGuiResources with nothing (a stub), so a comparison of its answers would check nothing. There the live
// entries of Wine's GDI handle table are counted instead (a handle with a zero high word names an entry
// whatever its generation), and the USER objects are counted as the windows of the process, which is what
// the program's windows make per headline.
#include <windows.h>

#include <ostream>

inline int GdiObjectCount() {
    SetLastError(0);
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<int>(reported);
    int live = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}

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

inline DWORD UserObjectCount() {
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    return user != 0 ? user : WindowsOfThisProcess();
}

struct HandleCounts {
    int gdi;
    DWORD user;
    bool operator==(const HandleCounts&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const HandleCounts& counts) {
    return out << counts.gdi << " GDI objects, " << counts.user << " USER objects";
}

inline HandleCounts CurrentHandleCounts() { return {GdiObjectCount(), UserObjectCount()}; }
