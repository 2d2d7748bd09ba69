#pragma once
// Flicker-free drawing: draw into a CMemoryDC with the target's own coordinates; its end copies the area
// to the target in one step. On a printer drawing goes straight to the page.
#include "framework/DeviceContext.h"

class CMemoryDC : public fw::DeviceContext {
public:
    // The area defaults to the target's clipping box; it starts filled with the target's background colour.
    explicit CMemoryDC(HDC target, const RECT* area = nullptr);
    ~CMemoryDC() override;

private:
    fw::GdiObject<HBITMAP> m_bitmap;  // the off-screen picture of the area
    HBITMAP m_oldBitmap = nullptr;    // what the memory context held before it
    HDC m_target;                     // not owned
    RECT m_rect{};                    // the area, in the target's logical coordinates
    bool m_offScreen;                 // false on a printer: drawing goes straight to the target
};
