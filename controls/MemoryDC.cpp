#include "controls/MemoryDC.h"

CMemoryDC::CMemoryDC(HDC target, const RECT* area)
    : fw::DeviceContext(nullptr), m_target(target), m_offScreen(!IsPrinter(target)) {
    if (area)
        m_rect = *area;
    else
        GetClipBox(target, &m_rect);

    if (m_offScreen) {
        hdc_ = CreateCompatibleDC(target);
        RECT device = m_rect;
        LPtoDP(target, reinterpret_cast<POINT*>(&device), 2);
        m_bitmap.Reset(CreateCompatibleBitmap(target, device.right - device.left, device.bottom - device.top));
        m_oldBitmap = static_cast<HBITMAP>(SelectObject(hdc_, m_bitmap.Get()));

        // The same mapping as the target, shifted so that the area's corner lands on the bitmap's corner.
        SetMapMode(hdc_, GetMapMode(target));
        SIZE extent;
        GetWindowExtEx(target, &extent);
        SetWindowExtEx(hdc_, extent.cx, extent.cy, nullptr);
        GetViewportExtEx(target, &extent);
        SetViewportExtEx(hdc_, extent.cx, extent.cy, nullptr);
        DPtoLP(target, reinterpret_cast<POINT*>(&device), 2);
        m_rect = device;
        SetWindowOrgEx(hdc_, m_rect.left, m_rect.top, nullptr);
    } else {
        hdc_ = target;
    }

    fw::GdiObject<HBRUSH> background(CreateSolidBrush(GetBkColor(target)));
    FillRect(hdc_, &m_rect, background.Get());
}

CMemoryDC::~CMemoryDC() {
    if (!m_offScreen) return;  // the target's own context: nothing of ours to copy or free
    BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, hdc_, m_rect.left,
           m_rect.top, SRCCOPY);
    SelectObject(hdc_, m_oldBitmap);
    m_bitmap.Reset();
    DeleteDC(hdc_);
}
