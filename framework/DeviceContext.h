#pragma once
// Device contexts and GDI objects that give back what they took at the end of their scope.
#include <windows.h>

#include <utility>

namespace fw {

// A device context handle; the derived classes say where it comes from and how it is given back.
class DeviceContext {
public:
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;
    virtual ~DeviceContext() = default;

    HDC Handle() const { return hdc_; }
    operator HDC() const { return hdc_; }

    // True for a printer's context, where drawing goes straight to the page.
    static bool IsPrinter(HDC dc) { return GetDeviceCaps(dc, TECHNOLOGY) == DT_RASPRINTER; }

protected:
    explicit DeviceContext(HDC dc = nullptr) : hdc_(dc) {}

    HDC hdc_;
};

// The client area of a window outside a paint request (GetDC).
class ClientDC : public DeviceContext {
public:
    explicit ClientDC(HWND hwnd) : DeviceContext(GetDC(hwnd)), hwnd_(hwnd) {}
    ~ClientDC() override { ReleaseDC(hwnd_, hdc_); }

private:
    HWND hwnd_;
};

// The whole window with its frame (GetWindowDC), for painting the non-client area.
class WindowDC : public DeviceContext {
public:
    explicit WindowDC(HWND hwnd) : DeviceContext(GetWindowDC(hwnd)), hwnd_(hwnd) {}
    ~WindowDC() override { ReleaseDC(hwnd_, hdc_); }

private:
    HWND hwnd_;
};

// The context of a WM_PAINT request (BeginPaint / EndPaint).
class PaintDC : public DeviceContext {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { hdc_ = BeginPaint(hwnd, &paint_); }
    ~PaintDC() override { EndPaint(hwnd_, &paint_); }

    const PAINTSTRUCT& Paint() const { return paint_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
};

// A GDI object (bitmap, brush, pen, font, region) deleted with its owner.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~GdiObject() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

// An object selected into a context for the length of a scope; the one it replaced comes back at the end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A memory context compatible with another one, deleted at the end.
class MemoryDC : public DeviceContext {
public:
    explicit MemoryDC(HDC compatibleWith) : DeviceContext(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() override { DeleteDC(hdc_); }
};

// Hand-made double buffering: a memory context with a compatible bitmap of the given size, drawn into and
// then copied to the window in one step.
class OffscreenDC : public MemoryDC {
public:
    OffscreenDC(HDC target, int width, int height)
        : MemoryDC(target), bitmap_(CreateCompatibleBitmap(target, width, height)), selection_(hdc_, bitmap_.Get()),
          width_(width), height_(height) {}

    // Copies the whole bitmap to the target with its top-left corner at (x, y).
    void CopyTo(HDC target, int x, int y) const { BitBlt(target, x, y, width_, height_, hdc_, 0, 0, SRCCOPY); }

private:
    GdiObject<HBITMAP> bitmap_;
    SelectedObject selection_;
    int width_;
    int height_;
};

}  // namespace fw
