// A stand-in for Corvane.exe in the installer tests, for as long as the build makes no install folder of
// its own: a dialog of the main window's class and title that hides on close and ends on the tray
// menu's exit command, which is all the installer relies on.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

constexpr wchar_t kTitle[] = L"Tessaly财经资讯";
constexpr WORD kExitCommand = 10000;
constexpr WORD kTextId = 1000;

// An in-memory dialog template: one static text, in the same dialog-unit terms as the real window.
std::vector<std::uint16_t> DialogTemplate() {
    std::vector<std::uint16_t> t(sizeof(DLGTEMPLATE) / 2, 0);
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(t.data());
    dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_CENTER | DS_SETFONT;
    dialog->cdit = 1;
    dialog->cx = 200;
    dialog->cy = 60;
    t.insert(t.end(), {0, 0, 0, 9});  // no menu, default class, empty title (set later), 9 pt
    for (const wchar_t* c = L"MS Shell Dlg"; ; ++c) {
        t.push_back(static_cast<std::uint16_t>(*c));
        if (*c == 0) break;
    }
    if (t.size() % 2) t.push_back(0);  // items start on a DWORD boundary
    const std::size_t item = t.size();
    t.resize(item + sizeof(DLGITEMTEMPLATE) / 2, 0);
    auto* text = reinterpret_cast<DLGITEMTEMPLATE*>(t.data() + item);
    text->style = WS_CHILD | WS_VISIBLE | SS_CENTER;
    text->x = 10;
    text->y = 24;
    text->cx = 180;
    text->cy = 10;
    text->id = kTextId;
    t.insert(t.end(), {0xFFFF, 0x0082});  // the Static class by atom
    for (const wchar_t* c = L"安装测试用的替身程序"; ; ++c) {
        t.push_back(static_cast<std::uint16_t>(*c));
        if (*c == 0) break;
    }
    t.push_back(0);  // no creation data
    return t;
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        // Titled only once it exists, as the program does, so its own start never finds itself.
        SetWindowTextW(window, kTitle);
        return TRUE;
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == kExitCommand) {
            EndDialog(window, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const auto dialog = DialogTemplate();
    return static_cast<int>(DialogBoxIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialog.data()),
                                                    nullptr, DialogProc, 0));
}
