// corvane-e2e-empty-window: a plain Win32 window of the main window's size with a message loop and
// nothing else, the yardstick for the program's start-up time and memory under the same Wine.
// With --fullscreen it covers the whole screen in the foreground instead, titled "Full screen", as a
// full-screen presentation or chart does.
// With --with=gdiplus,ole,browser,thread,text it also takes up what the program takes up besides its own
// work, each named part in turn (the graphics session, the OLE session, a browser control made and let go
// as the list does when its page does not come, an idle second thread, a line of Chinese drawn in the
// dialog font), so the memory benchmark can show each part's share of what Wine itself holds.
#include <windows.h>
#include <exdisp.h>
#include <gdiplus.h>

#include <cwchar>
#include <thread>

namespace {

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && GetWindowLongPtrW(hwnd, GWLP_USERDATA)) {  // set by --with=text
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(hwnd, &paint);
        const HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        static constexpr wchar_t kLine[] = L"\u5feb\u8baf 12:00 \u7f8e\u8054\u50a8\u5ba3\u5e03\u7ef4\u6301\u5229\u7387\u4e0d\u53d8";
        TextOutW(dc, 10, 10, kLine, static_cast<int>(std::wcslen(kLine)));
        SelectObject(dc, old);
        EndPaint(hwnd, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool Wants(const wchar_t* commandLine, const wchar_t* part) {
    const wchar_t* parts = std::wcsstr(commandLine, L"--with=");
    return parts && std::wcsstr(parts, part) != nullptr;
}

// What the named parts take up; they stay for the process's life, as in the program.
void TakeUpParts(HWND hwnd, const wchar_t* commandLine) {
    if (Wants(commandLine, L"gdiplus")) {
        static ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    if (Wants(commandLine, L"ole")) OleInitialize(nullptr);
    if (Wants(commandLine, L"browser")) {
        IWebBrowser2* browser = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IWebBrowser2,
                                       reinterpret_cast<void**>(&browser))))
            browser->Release();
    }
    if (Wants(commandLine, L"thread")) std::thread([] { Sleep(INFINITE); }).detach();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, Wants(commandLine, L"text"));
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
    TakeUpParts(hwnd, commandLine);
    InvalidateRect(hwnd, nullptr, TRUE);
    if (fullScreen) SetForegroundWindow(hwnd);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
