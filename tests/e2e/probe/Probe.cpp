// corvane-e2e-probe: the end-to-end tests' eyes and hands inside the Wine desktop. It watches the
// desktop the way a user sees it and reports every change as one line on standard output, stamped with
// the wall-clock time in milliseconds since 1970 (the scripted server uses the same clock):
//   <ms> window+|window~ HWND PID VISIBLE X Y W H "CLASS" "TITLE"   a top-level window appeared or changed
//   <ms> window- HWND                                               it went
//   <ms> child HWND TOP ID VISIBLE "CLASS" "TEXT"                   a control of a dialog, as it appears
//                                                                   and when its text changes
//   <ms> foreground HWND
//   <ms> balloon "TEXT"                                             a tray balloon's text as it shows
//   <ms> pixels NAME HASH INKED                                     a watched screen area changed
// It reads commands on standard input, one per line, and answers each on standard output:
//   region NAME X Y W H     watch an area of the screen (INKED counts pixels that are not near white)
//   unregion NAME
//   post HWND MSG WPARAM LPARAM
//   control HWND ID         -> control HWND ID CHILD X Y W H VISIBLE   (screen coordinates)
//   rect HWND               -> rect HWND X Y W H
//   front HWND              bring a window to the front, as a click on its taskbar button does
//   ping HWND               -> pong HWND MS ok|hung   (a message answered within 1 s, or not)
//   usage PID               -> usage PID GDI USER HANDLES PRIVATE_BYTES WINDOWS
//   stats                   -> stats POLLS AVERAGE_MS MAX_MS   (the time one look at the desktop took)
//   fits HWND ID POINTS FACE -> fits HWND ID NEED_W NEED_H HAVE_W HAVE_H: the room a static control's text needs
//                              (wrapped as the control wraps it) against its client area, in the control's
//                              font where it can be read (Wine keeps another process's fonts from us), else
//                              in that font at the screen's DPI, as a dialog template names it;
//                              fits HWND ID shortens when the control shortens its text with an ellipsis
//   monitors                -> monitor INDEX PRIMARY X Y W H WORK_X WORK_Y WORK_W WORK_H   (each, as Windows
//                              sees them) and then: monitors COUNT CURSOR_X CURSOR_Y DPI
//   lock PATH               hold a file open without sharing, so no other program can write it (Wine run
//                           as root writes a read-only file anyway) -> ok lock | failed lock
//   unlock                  let it go
//   controls off|on         stop or resume reading dialog controls, which costs the watched program time
//                           when it makes many of them
//   quit
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

std::string Quoted(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n' || c == '\r') {
            out += c == '\n' ? "\\n" : "\\r";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

std::string Stamp() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const long long micros = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%03lld", micros / 1000, micros % 1000);
    return text;
}

void Emit(const std::string& line) {
    std::string text = Stamp() + " " + line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string Hex(const void* handle) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(handle)));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

// The text of a window that may belong to another process, without waiting long on a busy one.
std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 200, &copied))
        return {};
    return std::wstring(text, copied < 1024 ? copied : 1023);
}

// Most controls keep their text in the window, where it is read without asking the program: asking waits
// for the program's thread, so a look taken while it works would wait too, and delay every change it reports.
// Edit and combo boxes keep their text themselves, and a tooltip answers with its current tip.
std::wstring ControlText(HWND hwnd, const std::wstring& className) {
    for (const wchar_t* asked : {L"Edit", L"ComboBox", L"tooltips_class32"})
        if (_wcsicmp(className.c_str(), asked) == 0) return TextOf(hwnd);
    if (_wcsnicmp(className.c_str(), L"RichEdit", 8) == 0) return TextOf(hwnd);
    wchar_t text[1024] = {};
    return std::wstring(text, static_cast<std::size_t>(std::max(0, InternalGetWindowText(hwnd, text, 1024))));
}

struct TopWindow {
    DWORD pid = 0;
    bool visible = false;
    RECT rect{};
    std::wstring className;
    std::wstring title;
    std::string Describe(HWND hwnd) const {
        std::ostringstream out;
        out << Hex(hwnd) << ' ' << pid << ' ' << (visible ? 1 : 0) << ' ' << rect.left << ' ' << rect.top << ' '
            << rect.right - rect.left << ' ' << rect.bottom - rect.top << ' ' << Quoted(className) << ' ' << Quoted(title);
        return out.str();
    }
    bool operator!=(const TopWindow& o) const {
        return visible != o.visible || !EqualRect(&rect, &o.rect) || title != o.title || className != o.className;
    }
};

struct Child {
    bool visible = false;
    std::wstring className;
    std::wstring text;
    ULONGLONG firstSeen = 0;
};

struct Region {
    RECT rect{};
    unsigned long long hash = 0;
    bool seen = false;
};

class Probe {
public:
    void Poll() {
        const auto start = std::chrono::steady_clock::now();
        WatchTopWindows();
        WatchForeground();
        WatchRegions();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        ++polls_;
        pollMsTotal_ += ms;
        if (ms > pollMsMax_) pollMsMax_ = ms;
    }

    void Command(const std::string& line) {
        std::istringstream in(line);
        std::string verb;
        in >> verb;
        if (verb == "region") {
            std::string name;
            long x, y, w, h;
            if (in >> name >> x >> y >> w >> h) regions_[name] = Region{{x, y, x + w, y + h}, 0, false};
            Emit("ok region " + name);
        } else if (verb == "unregion") {
            std::string name;
            in >> name;
            regions_.erase(name);
            Emit("ok unregion " + name);
        } else if (verb == "post") {
            std::string hwnd, msg, wparam, lparam;
            in >> hwnd >> msg >> wparam >> lparam;
            BOOL ok = PostMessageW(Handle(hwnd), static_cast<UINT>(Number(msg)), static_cast<WPARAM>(Number(wparam)),
                                   static_cast<LPARAM>(Number(lparam)));
            Emit(std::string(ok ? "ok" : "failed") + " post " + hwnd);
        } else if (verb == "control") {
            std::string hwnd, id;
            in >> hwnd >> id;
            HWND child = GetDlgItem(Handle(hwnd), static_cast<int>(Number(id)));
            RECT r{};
            GetWindowRect(child, &r);
            std::ostringstream out;
            out << "control " << hwnd << ' ' << id << ' ' << Hex(child) << ' ' << r.left << ' ' << r.top << ' '
                << r.right - r.left << ' ' << r.bottom - r.top << ' ' << (child && IsWindowVisible(child) ? 1 : 0);
            Emit(out.str());
        } else if (verb == "rect") {
            std::string hwnd;
            in >> hwnd;
            RECT r{};
            GetWindowRect(Handle(hwnd), &r);
            std::ostringstream out;
            out << "rect " << hwnd << ' ' << r.left << ' ' << r.top << ' ' << r.right - r.left << ' ' << r.bottom - r.top;
            Emit(out.str());
        } else if (verb == "front") {
            std::string hwnd;
            in >> hwnd;
            BOOL ok = SetForegroundWindow(Handle(hwnd));
            Emit(std::string(ok ? "ok" : "failed") + " front " + hwnd);
        } else if (verb == "ping") {
            std::string hwnd;
            in >> hwnd;
            const auto start = std::chrono::steady_clock::now();
            DWORD_PTR result = 0;
            BOOL answered = SendMessageTimeoutW(Handle(hwnd), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result);
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            char text[64];
            std::snprintf(text, sizeof text, " %.3f %s", ms, answered ? "ok" : "hung");
            Emit("pong " + hwnd + text);
        } else if (verb == "usage") {
            DWORD pid = 0;
            in >> pid;
            Emit(Usage(pid));
        } else if (verb == "stats") {
            char text[96];
            std::snprintf(text, sizeof text, "stats %lu %.3f %.3f", polls_, polls_ ? pollMsTotal_ / polls_ : 0.0, pollMsMax_);
            Emit(text);
            polls_ = 0;
            pollMsTotal_ = pollMsMax_ = 0;
        } else if (verb == "controls") {
            std::string state;
            in >> state;
            watchControls_ = state != "off";
            Emit("ok controls " + state);
        } else if (verb == "lock") {
            std::string path;
            std::getline(in >> std::ws, path);
            Unlock();
            lock_ = CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            Emit(lock_ != INVALID_HANDLE_VALUE ? "ok lock" : "failed lock");
        } else if (verb == "unlock") {
            Unlock();
            Emit("ok unlock");
        } else if (verb == "fits") {
            std::string hwnd, id, face;
            int points = 9;
            in >> hwnd >> id >> points;
            std::getline(in >> std::ws, face);
            Emit(TextFits(GetDlgItem(Handle(hwnd), static_cast<int>(Number(id))), points, Wide(face), hwnd + ' ' + id));
        } else if (verb == "monitors") {
            ReportMonitors();
        } else if (verb == "quit") {
            quit_ = true;
        } else if (!verb.empty()) {
            Emit("failed unknown " + verb);
        }
    }

    bool Quit() const { return quit_; }

private:
    void Unlock() {
        if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
        lock_ = INVALID_HANDLE_VALUE;
    }

    static std::string TextFits(HWND control, int points, const std::wstring& face, const std::string& name) {
        HDC dc = GetDC(nullptr);
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        if (!handle || !GetObjectW(handle, sizeof font, &font)) {
            font = LOGFONTW{};
            font.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
            font.lfWeight = FW_NORMAL;
            font.lfCharSet = DEFAULT_CHARSET;
            lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
        }
        RECT have{};
        GetClientRect(control, &have);
        const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        const UINT type = static_cast<UINT>(style & SS_TYPEMASK);
        const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        if (style & SS_ELLIPSISMASK) {  // shortened on purpose
            ReleaseDC(nullptr, dc);
            return "fits " + name + " shortens";
        }
        RECT need{0, 0, have.right, 0};
        HFONT copy = CreateFontIndirectW(&font);
        HGDIOBJ old = SelectObject(dc, copy);
        const std::wstring text = TextOf(control);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                  DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        DeleteObject(copy);
        ReleaseDC(nullptr, dc);
        std::ostringstream out;
        out << "fits " << name << ' ' << need.right << ' ' << need.bottom << ' ' << have.right << ' ' << have.bottom;
        return out.str();
    }

    static void ReportMonitors() {
        int count = 0;
        EnumDisplayMonitors(
            nullptr, nullptr,
            [](HMONITOR monitor, HDC, LPRECT, LPARAM c) -> BOOL {
                int& index = *reinterpret_cast<int*>(c);
                MONITORINFO info{};
                info.cbSize = sizeof info;
                GetMonitorInfoW(monitor, &info);
                const RECT& b = info.rcMonitor;
                const RECT& w = info.rcWork;
                std::ostringstream out;
                out << "monitor " << index++ << ' ' << ((info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0) << ' ' << b.left
                    << ' ' << b.top << ' ' << b.right - b.left << ' ' << b.bottom - b.top << ' ' << w.left << ' ' << w.top
                    << ' ' << w.right - w.left << ' ' << w.bottom - w.top;
                Emit(out.str());
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        POINT cursor{};
        GetCursorPos(&cursor);
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        std::ostringstream out;
        out << "monitors " << count << ' ' << cursor.x << ' ' << cursor.y << ' ' << dpi;
        Emit(out.str());
    }

    static unsigned long long Number(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 0); }
    static HWND Handle(const std::string& text) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(Number(text))); }

    void WatchTopWindows() {
        std::map<HWND, TopWindow> now;
        EnumWindows(
            [](HWND hwnd, LPARAM context) -> BOOL {
                auto& windows = *reinterpret_cast<std::map<HWND, TopWindow>*>(context);
                TopWindow w;
                GetWindowThreadProcessId(hwnd, &w.pid);
                if (w.pid == GetCurrentProcessId()) return TRUE;
                w.visible = IsWindowVisible(hwnd) != FALSE;
                GetWindowRect(hwnd, &w.rect);
                w.className = ClassOf(hwnd);
                wchar_t title[512] = {};
                GetWindowTextW(hwnd, title, 512);
                w.title = title;
                windows[hwnd] = w;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&now));
        for (auto& [hwnd, w] : now) {
            auto before = top_.find(hwnd);
            if (before == top_.end()) {
                Emit("window+ " + w.Describe(hwnd));
            } else if (before->second != w) {
                Emit("window~ " + w.Describe(hwnd));
            }
            if (w.className == L"tooltips_class32") WatchBalloon(hwnd, w.visible);
            if (watchControls_ && w.className == L"#32770" && w.visible) WatchChildren(hwnd);
        }
        for (auto& [hwnd, w] : top_)
            if (!now.count(hwnd)) {
                Emit("window- " + Hex(hwnd));
                balloons_.erase(hwnd);
            }
        top_.swap(now);
        for (auto it = children_.begin(); it != children_.end();)
            it = IsWindow(it->first) ? std::next(it) : children_.erase(it);
    }

    void WatchBalloon(HWND hwnd, bool visible) {
        std::wstring text = visible ? TextOf(hwnd) : std::wstring();
        auto& shown = balloons_[hwnd];
        if (visible && !text.empty() && text != shown) Emit("balloon " + Quoted(text));
        shown = text;
    }

    // Controls are reported when they appear; their text is read again while they are young, as a dialog
    // sets its texts just after it creates its controls. A control shows when its own style and its parent
    // say so: the parents come first in the walk, so each look asks once per control rather than once per
    // level above it, as IsWindowVisible would.
    void WatchChildren(HWND top) {
        struct Context {
            Probe* probe;
            HWND top;
            std::map<HWND, bool> shown;
        } context{this, top, {{top, true}}};
        EnumChildWindows(
            top,
            [](HWND hwnd, LPARAM c) -> BOOL {
                auto& ctx = *reinterpret_cast<Context*>(c);
                const auto parent = ctx.shown.find(GetAncestor(hwnd, GA_PARENT));
                const bool visible = parent == ctx.shown.end()
                                         ? IsWindowVisible(hwnd) != FALSE
                                         : parent->second && (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
                ctx.shown[hwnd] = visible;
                ctx.probe->SeeChild(ctx.top, hwnd, visible);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&context));
    }

    void SeeChild(HWND top, HWND hwnd, bool visible) {
        const ULONGLONG now = GetTickCount64();
        auto found = children_.find(hwnd);
        if (found != children_.end() && now - found->second.firstSeen > 1000 && found->second.visible == visible) return;
        std::wstring className = found == children_.end() ? ClassOf(hwnd) : found->second.className;
        std::wstring text = ControlText(hwnd, className);
        Child child{visible, std::move(className), std::move(text),
                    found == children_.end() ? now : found->second.firstSeen};
        if (found != children_.end() && found->second.text == child.text && found->second.visible == visible) return;
        std::ostringstream out;
        out << "child " << Hex(hwnd) << ' ' << Hex(top) << ' ' << GetDlgCtrlID(hwnd) << ' ' << (visible ? 1 : 0) << ' '
            << Quoted(child.className) << ' ' << Quoted(child.text);
        Emit(out.str());
        children_[hwnd] = child;
    }

    void WatchForeground() {
        HWND foreground = GetForegroundWindow();
        if (foreground != foreground_) Emit("foreground " + Hex(foreground));
        foreground_ = foreground;
    }

    void WatchRegions() {
        if (regions_.empty()) return;
        HDC screen = GetDC(nullptr);
        for (auto& [name, region] : regions_) {
            const int w = region.rect.right - region.rect.left;
            const int h = region.rect.bottom - region.rect.top;
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
            HDC memory = CreateCompatibleDC(screen);
            HGDIOBJ old = SelectObject(memory, bitmap);
            BitBlt(memory, 0, 0, w, h, screen, region.rect.left, region.rect.top, SRCCOPY);
            GdiFlush();
            unsigned long long hash = 1469598103934665603ull;
            long inked = 0;
            const auto* pixel = static_cast<const std::uint32_t*>(bits);
            for (long i = 0; bits && i < static_cast<long>(w) * h; ++i) {
                const std::uint32_t p = pixel[i] & 0xFFFFFF;
                hash = (hash ^ p) * 1099511628211ull;
                if ((p & 0xFF) < 0xC0 || ((p >> 8) & 0xFF) < 0xC0 || ((p >> 16) & 0xFF) < 0xC0) ++inked;
            }
            SelectObject(memory, old);
            DeleteDC(memory);
            DeleteObject(bitmap);
            if (!region.seen || hash != region.hash) {
                char text[64];
                std::snprintf(text, sizeof text, " %016llx %ld", hash, inked);
                Emit("pixels " + name + text);
            }
            region.hash = hash;
            region.seen = true;
        }
        ReleaseDC(nullptr, screen);
    }

    std::string Usage(DWORD pid) {
        std::ostringstream out;
        out << "usage " << pid;
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        PROCESS_MEMORY_COUNTERS_EX memory{};
        DWORD handles = 0;
        DWORD gdi = 0, user = 0;
        if (process) {
            gdi = GetGuiResources(process, GR_GDIOBJECTS);
            user = GetGuiResources(process, GR_USEROBJECTS);
            GetProcessHandleCount(process, &handles);
            GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
            CloseHandle(process);
        }
        int windows = 0;
        for (auto& [hwnd, w] : top_)
            if (w.pid == pid) {
                ++windows;
                EnumChildWindows(hwnd, [](HWND, LPARAM n) -> BOOL { ++*reinterpret_cast<int*>(n); return TRUE; },
                                 reinterpret_cast<LPARAM>(&windows));
            }
        out << ' ' << gdi << ' ' << user << ' ' << handles << ' ' << memory.PrivateUsage << ' ' << windows;
        return out.str();
    }

    std::map<HWND, TopWindow> top_;
    std::map<HWND, Child> children_;
    std::map<HWND, std::wstring> balloons_;
    std::map<std::string, Region> regions_;
    HWND foreground_ = reinterpret_cast<HWND>(-1);
    bool quit_ = false;
    bool watchControls_ = true;
    HANDLE lock_ = INVALID_HANDLE_VALUE;
    unsigned long polls_ = 0;
    double pollMsTotal_ = 0;
    double pollMsMax_ = 0;
};

std::mutex commandMutex;
std::vector<std::string> commands;
bool inputEnded = false;

void ReadCommands() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char chunk[512];
    DWORD read = 0;
    while (ReadFile(input, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        pending.append(chunk, read);
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            pending.erase(0, end + 1);
            std::lock_guard lock(commandMutex);
            commands.push_back(line);
        }
    }
    std::lock_guard lock(commandMutex);
    inputEnded = true;
}

}  // namespace

// The probe reports what the screen shows, so it must see windows at their real size on a high-DPI screen,
// not scaled down to 96 DPI as an unaware program would.
void SeeTruePixels() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    const HANDLE perMonitor = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-3));
    if (!set || !set(perMonitor)) SetProcessDPIAware();
}

int main(int argc, char** argv) {
    const DWORD pollMs = argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 5;
    SeeTruePixels();
    Probe probe;
    std::thread reader(ReadCommands);
    reader.detach();  // a blocked console read cannot be cancelled; the process ends with it
    Emit("probe ready");
    while (!probe.Quit()) {
        std::vector<std::string> batch;
        bool ended;
        {
            std::lock_guard lock(commandMutex);
            batch.swap(commands);
            ended = inputEnded;
        }
        for (const std::string& line : batch) probe.Command(line);
        if (ended && batch.empty()) break;
        probe.Poll();
        Sleep(pollMs);
    }
    Emit("probe end");
    std::fflush(stdout);
    ExitProcess(0);
}
