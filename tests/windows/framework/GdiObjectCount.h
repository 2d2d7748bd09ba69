#pragma once
// The number of GDI objects the process holds, for tests that keep the handle budget flat. Wine answers
// GetGuiResources with nothing (a stub); there the live entries of its handle table are counted instead,
// which a handle with a zero high word names whatever the entry's generation.
#include <windows.h>

inline int GdiObjectCount() {
    SetLastError(0);
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<int>(reported);
    int live = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
    return live;
}
