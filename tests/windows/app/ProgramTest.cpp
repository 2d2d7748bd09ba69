// The real Corvane.exe, copied with its skin into a scratch install folder and started as a user would,
// against a scripted news server in this process. The test drives it with window messages and looks
// at what it did: its windows, its exit code, the registry, the files and requests it produced.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneVersion.h"
#include "connection/Category.h"
#include "connection/Protocol.h"
#include "res/resource.h"
#include "tests/core/connection/ScriptedServer.h"

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kMainTitle = L"Tessaly财经资讯";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr UINT kTrayCallback = WM_USER + 0x15;
constexpr const wchar_t* kSingleInstanceLock = L"Local\\Corvane.SingleInstance";

fs::path InstallFolderOfBuild() {
    const char* build = std::getenv("CORVANE_BUILD_DIR");
    return fs::path(build ? build : ".") / "dist";
}

// A scratch copy of the install folder, so each test starts from the default settings.
class InstallFolder {
public:
    InstallFolder() {
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        root_ = fs::path(temp) / ("corvane-program-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(counter_++));
        fs::remove_all(root_);
        fs::create_directories(root_ / "Corvane");
        const fs::path source = InstallFolderOfBuild();
        fs::copy(source / "Corvane.exe", Program());
        fs::copy(source / "skin", Folder() / "skin", fs::copy_options::recursive);
        fs::copy(source / "Setting.ini", Settings());
        fs::create_directories(Elsewhere());
    }
    ~InstallFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path Folder() const { return root_ / "Corvane"; }
    fs::path Program() const { return Folder() / "Corvane.exe"; }
    fs::path Settings() const { return Folder() / "Setting.ini"; }
    // A folder that is not the program's, to start it from.
    fs::path Elsewhere() const { return root_ / "elsewhere"; }

    void PointAt(std::uint16_t port) const {
        WriteSetting(L"Connection", L"Server", L"127.0.0.1");
        WriteSetting(L"Connection", L"Port", std::to_wstring(port));
        // No version page answers here: the version check gives up without a word.
        WriteSetting(L"Connection", L"WebSite", L"http://127.0.0.1:9");
    }
    void WriteSetting(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
        WritePrivateProfileStringW(section, key, value.c_str(), Settings().c_str());
    }
    std::wstring ReadSetting(const wchar_t* section, const wchar_t* key) const {
        wchar_t value[2048]{};
        GetPrivateProfileStringW(section, key, L"", value, 2048, Settings().c_str());
        return value;
    }

private:
    static inline int counter_ = 0;
    fs::path root_;
};

class Program {
public:
    Program(const fs::path& exe, const std::wstring& arguments, const fs::path& directory) {
        std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            directory.c_str(), &startup, &info_))
            info_ = {};
    }
    ~Program() {
        if (!info_.hProcess) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }

    // The exit code, or nothing when it still runs after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) const {
        if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

    // The first top-level window of this process with that class and title (hidden ones too).
    HWND FindWindowOf(const wchar_t* className, const wchar_t* title, DWORD timeoutMs = 15000) const {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                for (HWND w = FindWindowExW(nullptr, nullptr, className, title); w;
                     w = FindWindowExW(nullptr, w, className, title)) {
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    if (pid == info_.dwProcessId) {
                        found = w;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    HWND MainWindow() const { return FindWindowOf(L"#32770", kMainTitle); }

    // Ends the program as its tray menu's exit command does.
    std::optional<DWORD> ExitFromTray(HWND main) const {
        PostMessageW(main, WM_COMMAND, IDM_TRAY_EXIT, 0);
        return WaitForExit(15000);
    }

private:
    PROCESS_INFORMATION info_{};
};

std::optional<std::wstring> RunValue() {
    wchar_t data[1024]{};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kRunKey, L"Corvane", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

void SetRunValue(const std::wstring& data) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"Corvane", REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void DeleteRunValue() { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, L"Corvane"); }

// A 24-bit bitmap file of one colour: the client draws whatever picture format GDI+ reads.
Bytes SolidBitmapFile(int width, int height, COLORREF colour) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    Bytes bytes(file.bfSize);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = bytes.data() + file.bfOffBits + y * stride + x * 3;
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
        }
    return bytes;
}

// The colour the screen shows at a point of the window's client area.
COLORREF ScreenColourAt(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Whether one of the window's children shows exactly this text (a message box's text is a static control).
bool HasChildText(HWND window, const std::wstring& text) {
    struct Search {
        const std::wstring& text;
        bool found = false;
    } search{text};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            wchar_t shown[256]{};
            GetWindowTextW(child, shown, 256);
            s.found = s.found || s.text == shown;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsReddish(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }

// --- The install folder ---

TEST(InstallFolder, HoldsTheProgramItsSkinAndDefaultSettingsWithEveryPopUpOnAndTheBuildsVersion) {
    const fs::path folder = InstallFolderOfBuild();
    EXPECT_TRUE(fs::is_regular_file(folder / "Corvane.exe"));
    for (const char* picture : {"bg.jpg", "titlebarleft.png", "titletext.png", "help.png", "advise.png", "set.png",
                                "person.png", "exit.png", "connecting.gif", "loading.gif", "button4selected.png"})
        EXPECT_TRUE(fs::is_regular_file(folder / "skin" / picture)) << picture;
    const std::wstring settings = (folder / "Setting.ini").wstring();
    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } defaults[] = {
        {L"Show", L"1"},  {L"Fx168Show", L"1"},  {L"HexunShow", L"1"},  {L"HexunGPShow", L"1"},
        {L"HexunQHShow", L"1"}, {L"Sound", L"0"}, {L"Delay", L"0"},     {L"Fx168Delay", L"0"},
        {L"HexunDelay", L"0"},  {L"HexunGPDelay", L"0"}, {L"HexunQHDelay", L"0"},
    };
    for (const auto& d : defaults) {
        wchar_t value[64]{};
        GetPrivateProfileStringW(L"Properties", d.key, L"missing", value, 64, settings.c_str());
        EXPECT_STREQ(value, d.value) << testing::PrintToString(std::wstring(d.key));
    }
    wchar_t version[64]{};
    GetPrivateProfileStringW(L"Connection", L"Version", L"missing", version, 64, settings.c_str());
    EXPECT_STREQ(version, CORVANE_VERSION_WTEXT);
}

// --- The "-s" command line: start with Windows changed by a second copy, no window ---

class StartWithWindowsCommandLine : public testing::Test {
protected:
    void SetUp() override { DeleteRunValue(); }
    void TearDown() override { DeleteRunValue(); }

    std::optional<DWORD> Run(const std::wstring& arguments) {
        Program program(folder.Program(), arguments, folder.Elsewhere());
        EXPECT_TRUE(program.Started());
        return program.WaitForExit(30000);
    }
    std::wstring Expected() const { return L"\"" + folder.Program().wstring() + L"\""; }

    InstallFolder folder;
};

TEST_F(StartWithWindowsCommandLine, RegistersAndRemovesEndingWithZero) {
    EXPECT_EQ(Run(L"-s true"), 0u);
    EXPECT_EQ(RunValue(), Expected());
    EXPECT_EQ(Run(L"-s true"), 0u) << "registering what is already registered is a success";
    EXPECT_EQ(RunValue(), Expected());
    EXPECT_EQ(Run(L"/tray -s false"), 0u);
    EXPECT_EQ(RunValue(), L"") << "removing leaves the value with empty data";
}

TEST_F(StartWithWindowsCommandLine, ValueThatDiffersIsWrittenAgain) {
    for (const std::wstring& stale : {folder.Program().wstring(),  // without quotes
                                      L"\"" + fs::path(folder.Program()).wstring() + L"\"X",
                                      L"\"" + folder.Folder().wstring() + L"\\CORVANE.EXE\""}) {
        SetRunValue(stale);
        EXPECT_EQ(Run(L"-s true"), 0u);
        EXPECT_EQ(RunValue(), Expected()) << "after " << testing::PrintToString(stale);
    }
}

TEST_F(StartWithWindowsCommandLine, AnyOtherValueChangesNothingAndEndsWithMinusTwo) {
    SetRunValue(L"left alone");
    EXPECT_EQ(Run(L"-s TRUE"), static_cast<DWORD>(-2));
    EXPECT_EQ(Run(L"-s yes"), static_cast<DWORD>(-2));
    EXPECT_EQ(RunValue(), L"left alone");
}

// --- The client ---

class ProgramTest : public testing::Test {
protected:
    void SetUp() override { folder.PointAt(server.Port()); }

    // Starts the client from another folder and takes its connection.
    std::unique_ptr<Program> StartConnected(HWND& main) {
        auto program = std::make_unique<Program>(folder.Program(), L"", folder.Elsewhere());
        EXPECT_TRUE(program->Started());
        server.Accept(kReadSliceMs);
        main = program->MainWindow();
        EXPECT_NE(main, nullptr);
        return program;
    }

    // The client's next frame other than a heartbeat within timeoutMs, or none.
    std::optional<Bytes> RequestWithin(DWORD timeoutMs) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            std::optional<Bytes> frame = server.ReadFrame();
            if (frame && *frame != wire::HeartbeatPayload()) return frame;
        }
        return std::nullopt;
    }

    // The supervisor notices a new connection at its next look, up to five seconds after the attempt.
    static constexpr DWORD kFirstRequestMs = 12000;
    static constexpr unsigned kReadSliceMs = 300;

    ScriptedServer server;
    InstallFolder folder;
};

TEST_F(ProgramTest, StartedFromAnotherFolderFindsItsSettingsAndSkinAndAsksForStocks) {
    HWND main = nullptr;
    auto program = StartConnected(main);  // the port came from the install folder's Setting.ini
    EXPECT_EQ(RequestWithin(kFirstRequestMs), wire::CategoryRequestPayload(kStocks.guid));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 430);
    // The skin's background is dark behind the title area; without the skin the window is white.
    Sleep(500);
    const COLORREF title = ScreenColourAt(main, 200, 40);
    EXPECT_LT(GetRValue(title) + GetGValue(title) + GetBValue(title), 3 * 128) << std::hex << title;
    EXPECT_TRUE(program->ExitFromTray(main).has_value());
}

TEST_F(ProgramTest, TabClickWhileHistoryLoadsSendsNothingAndAfterItRequestsTheTab) {
    HWND main = nullptr;
    auto program = StartConnected(main);
    ASSERT_EQ(RequestWithin(kFirstRequestMs), wire::CategoryRequestPayload(kStocks.guid));
    server.SendFrame(wire::NewsPayload(kStocks.guid, 1700000000, L"历史一", L"http://example.invalid/1"));

    HWND gold = GetDlgItem(main, IDC_TAB_GOLD);
    ASSERT_NE(gold, nullptr);
    SendMessageW(gold, BM_CLICK, 0, 0);
    EXPECT_EQ(RequestWithin(1500), std::nullopt) << "no request while the stocks history loads";

    server.SendFrame(wire::HistoryEndPayload());
    Sleep(300);  // the receive thread handles the end of history
    SendMessageW(gold, BM_CLICK, 0, 0);
    EXPECT_EQ(RequestWithin(3000), wire::CategoryRequestPayload(kGold.guid));
    EXPECT_TRUE(program->ExitFromTray(main).has_value());
}

TEST_F(ProgramTest, PushedBannerIsWrittenStoredAndDrawn) {
    HWND main = nullptr;
    auto program = StartConnected(main);
    const Bytes picture = SolidBitmapFile(194, 106, RGB(230, 20, 20));
    server.SendFrame(wire::BannerPayload(2, L"http://example.invalid/ad2", picture));

    const fs::path file = folder.Folder() / "2.jpg";
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(file) && fs::file_size(file) == picture.size(); }, 5000));
    EXPECT_EQ(folder.ReadSetting(L"Connection", L"url2"), L"http://example.invalid/ad2");
    EXPECT_FALSE(fs::exists(folder.Folder() / "1.jpg"));
    EXPECT_EQ(folder.ReadSetting(L"Connection", L"url1"), L"");

    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    // Banner 2 lies at (396, 189), 194 x 106, in a window 600 pixels wide; its right part is clear of the list.
    EXPECT_TRUE(WaitUntil([&] { return IsReddish(ScreenColourAt(main, 575, 242)); }, 5000))
        << std::hex << ScreenColourAt(main, 575, 242);
    EXPECT_FALSE(IsReddish(ScreenColourAt(main, 575, 128))) << "banner 1 stays as it was";
    EXPECT_TRUE(program->ExitFromTray(main).has_value());
}

TEST_F(ProgramTest, CloseHidesAndATrayClickShowsAgain) {
    HWND main = nullptr;
    auto program = StartConnected(main);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    SendMessageW(GetDlgItem(main, IDC_TOP_EXIT), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }));
    EXPECT_EQ(program->WaitForExit(500), std::nullopt) << "hidden, it keeps running";

    PostMessageW(main, kTrayCallback, 128, WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }));
    PostMessageW(main, kTrayCallback, 128, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_TRUE(program->ExitFromTray(main).has_value());
}

TEST_F(ProgramTest, TrayExitEndsTheProgramAndItsConnection) {
    HWND main = nullptr;
    auto program = StartConnected(main);
    PostMessageW(main, WM_CLOSE, 0, 0);  // hidden in the tray
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }));
    ASSERT_TRUE(program->ExitFromTray(main).has_value());
    EXPECT_FALSE(IsWindow(main));
    // The client's side of the connection is closed: reads end at once rather than running into the time-out.
    EXPECT_TRUE(WaitUntil([&] { return !server.ReadFrame().has_value(); }, 3000));
}

TEST_F(ProgramTest, SecondCopyShowsTheMessageAndBringsTheFirstBack) {
    HWND main = nullptr;
    auto first = StartConnected(main);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }));

    Program second(folder.Program(), L"", folder.Elsewhere());
    HWND notice = second.FindWindowOf(L"#32770", L"提醒");
    ASSERT_NE(notice, nullptr);
    // The message box is found by its caption, which it may have before its text.
    EXPECT_TRUE(WaitUntil([&] { return HasChildText(notice, L"Tessaly已经开启!"); }));
    EXPECT_EQ(second.FindWindowOf(L"#32770", kMainTitle, 0), nullptr) << "the second copy never takes the title";

    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(second.WaitForExit(10000).has_value());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    EXPECT_TRUE(first->ExitFromTray(main).has_value());
}

// The lock of a copy that is still opening: taken by this test, with no window of that title anywhere.
class OpeningCopyLock {
public:
    OpeningCopyLock()
        : lock_(CreateMutexW(nullptr, TRUE, kSingleInstanceLock)), held_(lock_ && GetLastError() != ERROR_ALREADY_EXISTS) {}
    ~OpeningCopyLock() { End(); }
    OpeningCopyLock(const OpeningCopyLock&) = delete;
    OpeningCopyLock& operator=(const OpeningCopyLock&) = delete;

    bool Held() const { return held_; }
    // As the copy's end does.
    void End() {
        if (!lock_) return;
        ReleaseMutex(lock_);
        CloseHandle(lock_);
        lock_ = nullptr;
    }

private:
    HANDLE lock_;
    bool held_;
};

TEST_F(ProgramTest, CopyThatFindsTheLockHeldTakesOverWhenItsHolderEndsWithoutAWindow) {
    OpeningCopyLock opening;
    ASSERT_TRUE(opening.Held());
    Program program(folder.Program(), L"", folder.Elsewhere());
    Sleep(1500);
    EXPECT_EQ(program.FindWindowOf(L"#32770", L"提醒", 0), nullptr) << "it waits for the holder's window";
    EXPECT_EQ(program.FindWindowOf(L"#32770", kMainTitle, 0), nullptr);

    opening.End();
    server.Accept(kReadSliceMs);
    HWND main = program.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RequestWithin(kFirstRequestMs), wire::CategoryRequestPayload(kStocks.guid));
    EXPECT_TRUE(program.ExitFromTray(main).has_value());
}

TEST_F(ProgramTest, CopyThatFindsTheLockHeldAndNoWindowInTimeSaysSoAndEnds) {
    OpeningCopyLock opening;
    ASSERT_TRUE(opening.Held());
    Program program(folder.Program(), L"", folder.Elsewhere());
    HWND notice = program.FindWindowOf(L"#32770", L"提醒", 20000);
    ASSERT_NE(notice, nullptr);
    // The message box is found by its caption, which it may have before its text.
    EXPECT_TRUE(WaitUntil([&] { return HasChildText(notice, L"Tessaly已经开启!"); }));
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(program.WaitForExit(10000).has_value());
    EXPECT_EQ(program.FindWindowOf(L"#32770", kMainTitle, 0), nullptr) << "it never opened its main window";
}

TEST_F(ProgramTest, WidenedTheTitleButtonsFollowTheRightEdge) {
    HWND main = nullptr;
    auto program = StartConnected(main);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    SetWindowPos(main, nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const auto placeOf = [&](int id) {
        RECT r{};
        GetWindowRect(GetDlgItem(main, id), &r);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    EXPECT_TRUE(WaitUntil([&] { return placeOf(IDC_TOP_EXIT).left == 851; }, 3000));
    const RECT exit = placeOf(IDC_TOP_EXIT);
    EXPECT_EQ(exit.top, 2);
    EXPECT_EQ(exit.right - exit.left, 47);
    EXPECT_EQ(placeOf(IDC_TOP_ADVISE).left, 610);
    EXPECT_EQ(placeOf(IDC_TOP_SETTINGS).left, 675);
    EXPECT_EQ(placeOf(IDC_TOP_HOMEPAGE).left, 780);
    EXPECT_EQ(placeOf(IDC_TOP_ABOUT).left, 810);
    EXPECT_TRUE(program->ExitFromTray(main).has_value());
}

TEST_F(ProgramTest, PopUpStaysAboveTheMainWindowWithoutATaskbarButton) {
    HWND main = nullptr;
    auto program = StartConnected(main);
    ASSERT_EQ(RequestWithin(kFirstRequestMs), wire::CategoryRequestPayload(kStocks.guid));
    server.SendFrame(wire::HistoryEndPayload());
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    // The main window moves into the lower right corner, where the pop-up rises.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(main, nullptr, work.right - 600, work.bottom - 430, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // A gold headline while stocks are listed goes to the pop-up alone.
    server.SendFrame(wire::NewsPayload(kGold.guid, 1700000000, L"金价上行", L"http://example.invalid/gold"));
    HWND popup = program->FindWindowOf(L"#32770", L"讯息提示");
    ASSERT_NE(popup, nullptr);
    const auto rectOf = [](HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return r;
    };
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(popup) && rectOf(popup).bottom <= work.bottom; }, 5000))
        << "the pop-up rises into view";
    // The main window is brought to the front, as a click on it does: the pop-up still lies above it.
    SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    const LONG_PTR style = GetWindowLongPtrW(popup, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_TRUE(style & WS_EX_TOPMOST);
    bool mainBelow = false;
    for (HWND w = GetWindow(popup, GW_HWNDNEXT); w && !mainBelow; w = GetWindow(w, GW_HWNDNEXT)) mainBelow = w == main;
    EXPECT_TRUE(mainBelow) << "the main window comes after the pop-up in the z-order";
    RECT overlap{};
    const RECT popupRect = rectOf(popup), mainRect = rectOf(main);
    ASSERT_TRUE(IntersectRect(&overlap, &popupRect, &mainRect));
    const POINT inside{(overlap.left + overlap.right) / 2, (overlap.top + overlap.bottom) / 2};
    EXPECT_EQ(GetAncestor(WindowFromPoint(inside), GA_ROOT), popup) << "where they overlap the pop-up is seen";
    EXPECT_TRUE(program->ExitFromTray(main).has_value());
}

TEST_F(ProgramTest, AboutBoxFromThePersonButtonAndFromTheSystemMenu) {
    HWND main = nullptr;
    auto program = StartConnected(main);
    const auto aboutOpensAndCloses = [&] {
        HWND about = program->FindWindowOf(L"#32770", L"关于 Corvane", 5000);
        if (!about) return false;
        // The link shows the home page of the web host Setting.ini names.
        EXPECT_TRUE(WaitUntil([&] { return HasChildText(about, L"<a>http://127.0.0.1:9/</a>"); }, 3000));
        EXPECT_TRUE(HasChildText(about, L"Tessaly，" CORVANE_VERSION_WTEXT L" 版")) << "the build's version";
        PostMessageW(about, WM_COMMAND, IDOK, 0);
        return WaitUntil([&] { return !IsWindow(about); });
    };
    PostMessageW(main, WM_COMMAND, IDC_TOP_ABOUT, 0);
    EXPECT_TRUE(aboutOpensAndCloses()) << "from the person button";
    PostMessageW(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_TRUE(aboutOpensAndCloses()) << "from the system menu entry";
    EXPECT_TRUE(IsWindow(main)) << "closing the About box leaves the program running";
    EXPECT_TRUE(program->ExitFromTray(main).has_value());
}

}  // namespace
