// The installer tests' hands and eyes inside Wine: finds windows, clicks buttons, reads shortcuts and
// version resources. One command per run; exit code 0 when it did what was asked.
//
//   window TITLE SECONDS         a visible dialog ("#32770") with that title shows within the time
//   wait-text TITLE TEXT         a window with that title shows a control with that text (20 s)
//   click TITLE CONTROL          clicks a button of that window: "#N" by control id, else by its text
//   shortcut FILE.lnk            prints the shortcut's target
//   version FILE                 prints the file's ProductVersion
// Texts are compared without the "&" of their access keys and without trailing blanks.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 20000;

void Print(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    std::wstring text;
    for (const wchar_t* c = buffer; *c; ++c) {
        if (*c != L'&') text += *c;
    }
    // The installer's pages append a blank to its caption.
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

std::vector<HWND> TopLevelWindows(const std::wstring& title) {
    struct Search {
        const std::wstring* title;
        std::vector<HWND> found;
    } search{&title, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            // A window under a modal box is disabled: the box is the one to act on.
            if (IsWindowVisible(window) && IsWindowEnabled(window) && TextOf(window) == *s->title) {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible, enabled control of the window, by "#id" among its children or by text among all its
// descendants.
HWND FindControl(HWND window, const std::wstring& control) {
    if (control.size() > 1 && control[0] == L'#') {
        HWND child = GetDlgItem(window, _wtoi(control.c_str() + 1));
        return child && IsWindowVisible(child) && IsWindowEnabled(child) ? child : nullptr;
    }
    struct Search {
        const std::wstring* text;
        HWND found;
    } search{&control, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (IsWindowVisible(child) && IsWindowEnabled(child) && TextOf(child) == *s->text) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Found>
bool WaitFor(DWORD timeoutMs, Found found) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (found()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(100);
    }
}

int Window(const std::wstring& title, int seconds) {
    const bool shown = WaitFor(static_cast<DWORD>(seconds) * 1000, [&] {
        for (HWND window : TopLevelWindows(title)) {
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            if (std::wstring(className) == L"#32770") return true;
        }
        return false;
    });
    return shown ? 0 : 1;
}

int WaitText(const std::wstring& title, const std::wstring& text) {
    const bool shown = WaitFor(kWaitMs, [&] {
        for (HWND window : TopLevelWindows(title)) {
            if (FindControl(window, text)) return true;
        }
        return false;
    });
    if (!shown) std::fprintf(stderr, "probe: no such text shown\n");
    return shown ? 0 : 1;
}

int Click(const std::wstring& title, const std::wstring& control) {
    HWND button = nullptr;
    WaitFor(kWaitMs, [&] {
        for (HWND window : TopLevelWindows(title)) {
            if ((button = FindControl(window, control))) return true;
        }
        return false;
    });
    if (!button) {
        std::fprintf(stderr, "probe: no such button to click\n");
        return 1;
    }
    // Posted, so a click that opens a modal box does not hold the probe.
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
}

int Shortcut(const std::wstring& file) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int result = 1;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            wchar_t target[MAX_PATH] = {};
            if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) {
                Print(target);
                result = 0;
            }
            persist->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return result;
}

int Version(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return 1;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return 1;
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(Translation)) {
        return 1;
    }
    wchar_t key[64];
    swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation->language, translation->codePage);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&value), &length) || length == 0) return 1;
    Print(value);
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::vector<std::wstring> a(args, args + count);
    LocalFree(args);
    const std::wstring command = count > 1 ? a[1] : L"";
    if (command == L"window" && count == 4) return Window(a[2], _wtoi(a[3].c_str()));
    if (command == L"wait-text" && count == 4) return WaitText(a[2], a[3]);
    if (command == L"click" && count == 4) return Click(a[2], a[3]);
    if (command == L"shortcut" && count == 3) return Shortcut(a[2]);
    if (command == L"version" && count == 3) return Version(a[2]);
    std::fprintf(stderr, "usage: probe window|wait-text|click|shortcut|version ARGS...\n");
    return 2;
}
