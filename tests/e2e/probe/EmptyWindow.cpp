// corvane-e2e-empty-window: a plain Win32 window of the main window's size with a message loop and
// nothing else, the yardstick for the program's start-up time and memory under the same Wine.
// With --fullscreen it covers the whole screen in the foreground instead, titled "Full screen", as a
// full-screen presentation or chart does.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const bool fullScreen = std::wcsstr(commandLine, L"--fullscreen") != nullptr;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOWTEXT + 1);
    windowClass.lpszClassName = L"CorvaneEmptyWindow";
    RegisterClassW(&windowClass);
    HWND hwnd = fullScreen ? CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"Full screen",
                                             WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                             GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr)
                           : CreateWindowExW(0, windowClass.lpszClassName, L"Empty", WS_POPUP | WS_VISIBLE, 340, 185,
                                             600, 430, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    if (fullScreen) SetForegroundWindow(hwnd);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
