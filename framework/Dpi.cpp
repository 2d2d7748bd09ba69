#include "framework/Dpi.h"

#include "controls/SkinScale.h"

namespace fw {

namespace {

// Looked up once per call site: the function or nullptr.
template <typename Function>
Function UserFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = UserFunction<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi ? dpi : ScreenDpi();
}

UINT DpiAtPoint(POINT point) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const HMODULE shcore = LoadLibraryW(L"shcore.dll");
    static const auto getDpiForMonitor =
        shcore ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
               : nullptr;
    UINT x = 0, y = 0;
    const HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY);
    if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y) return y;
    return ScreenDpi();
}

int SystemMetricForDpi(int index, UINT dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto getSystemMetricsForDpi = UserFunction<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (getSystemMetricsForDpi) return getSystemMetricsForDpi(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
}

bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, UINT dpi) {
    using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = UserFunction<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (adjustForDpi) return adjustForDpi(rect, style, FALSE, exStyle, dpi) != FALSE;
    return AdjustWindowRectEx(rect, style, FALSE, exStyle) != FALSE;
}

UINT TakeSuggestedDpiChange(HWND window, WPARAM wParam, LPARAM lParam) {
    const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
    if (suggested)
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    const UINT dpi = HIWORD(wParam);
    return dpi ? dpi : WindowDpi(window);
}

HFONT CreateFontForDpi(const LOGFONTW& faceAt96Dpi, UINT dpi) {
    LOGFONTW face = faceAt96Dpi;
    face.lfHeight = ScaleForDpi(face.lfHeight, static_cast<int>(dpi));
    face.lfWidth = ScaleForDpi(face.lfWidth, static_cast<int>(dpi));
    return CreateFontIndirectW(&face);
}

void KeepDialogLayoutOnDpiChange(HWND dialog) {
    using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = UserFunction<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
    constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
    if (setBehavior) setBehavior(dialog, kDisableAll, kDisableAll);
}

}  // namespace fw

