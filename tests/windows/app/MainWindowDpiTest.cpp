// The main window at a DPI. Opened, it takes the DPI the system gives it (a prefix's LogPixels under Wine,
// which runs this test at 96 DPI and again at 144) and opens at the size for it, centred on the work area.
// Told of another DPI by WM_DPICHANGED (which Wine never sends by itself), it stands on the suggested
// rectangle and lays its parts out again for the new DPI. Saves main-window-100/150/200.png for review.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/AboutDlg.h"
#include "app/CorvaneDlg.h"
#include "app/MainWindowLayout.h"
#include "app/MainWindowPlacement.h"
#include "controls/SkinScale.h"
#include "framework/Dpi.h"
#include "framework/Monitors.h"
#include "framework/Sessions.h"
#include "res/resource.h"
#include "tests/core/support/TempWorkingDirectory.h"
#include "tests/windows/support/HandleCounts.h"
#include "tests/windows/support/MessagePump.h"
#include "tests/windows/support/Screenshot.h"
#include "tests/windows/support/TestFolders.h"

namespace {

namespace fs = std::filesystem;

RECT ToRect(const Box& box) { return {box.left, box.top, box.left + box.width, box.top + box.height}; }

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
    if (EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "{" << actual.left << ", " << actual.top << ", " << actual.right << ", "
                                         << actual.bottom << "} instead of {" << expected.left << ", " << expected.top
                                         << ", " << expected.right << ", " << expected.bottom << "}";
}

// The list is the only dialog among the main window's children.
HWND NewsListWindow(HWND main) { return FindWindowExW(main, nullptr, L"#32770", nullptr); }

class MainWindowDpiTest : public testing::Test {
protected:
    void SetUp() override {
        // The skin beside the program, and a server that is not there: the window opens, connecting.
        fs::copy(SourceFolder() / "skin", folder.Path() / "skin", fs::copy_options::recursive);
        std::ofstream(folder.Path() / "Setting.ini")
            << "[Connection]\r\nServer=127.0.0.1\r\nPort=1\r\nWebSite=http://127.0.0.1:1\r\n";
        window = std::make_unique<CCorvaneDlg>(folder.Path().wstring());
        ASSERT_TRUE(window->Create(nullptr));
        Pump(100);
    }
    void TearDown() override { window.reset(); }

    HWND Main() const { return window->Hwnd(); }

    // Every part the window places itself stands where the layout for this DPI puts it.
    void ExpectLaidOutFor(int dpi) const {
        RECT client{};
        GetClientRect(Main(), &client);
        const MainWindowLayout layout = LayOutMainWindow(client.right, client.bottom, dpi);
        const int tabs[] = {IDC_TAB_STOCKS, IDC_TAB_FUTURES, IDC_TAB_FOREX, IDC_TAB_GOLD};
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(SameRect(ChildRect(GetDlgItem(Main(), tabs[i])), ToRect(layout.tabs[i]))) << "tab " << i;
        EXPECT_TRUE(SameRect(ChildRect(GetDlgItem(Main(), IDC_TOP_ADVISE)), ToRect(layout.advise)));
        EXPECT_TRUE(SameRect(ChildRect(GetDlgItem(Main(), IDC_TOP_EXIT)), ToRect(layout.exit)));
        EXPECT_TRUE(SameRect(ChildRect(NewsListWindow(Main())), ToRect(layout.newsList)));
        MINMAXINFO limits{};
        SendMessageW(Main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        const WindowSize least = MainWindowMinSize(dpi);
        EXPECT_EQ(limits.ptMinTrackSize.x, least.width);
        EXPECT_EQ(limits.ptMinTrackSize.y, least.height);
        // The frame is grabbed by edges as deep as the DPI makes them.
        RECT screen{};
        GetWindowRect(Main(), &screen);
        const LPARAM nearRightEdge = MAKELPARAM(screen.right - ScaleForDpi(2, dpi), screen.top + client.bottom / 2);
        EXPECT_EQ(SendMessageW(Main(), WM_NCHITTEST, 0, nearRightEdge), HTRIGHT);
    }

    // The window as it stands on the screen; a window taller than the screen is taken in two parts. The tray's
    // balloons, which Wine shows at the top left without a taskbar, are put away first.
    void SaveForReview(const wchar_t* name) const {
        RECT place{};
        GetWindowRect(Main(), &place);
        const int width = place.right - place.left;
        const int height = place.bottom - place.top;
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        const HDC screen = GetDC(nullptr);
        const HDC picture = CreateCompatibleDC(screen);
        const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        const HGDIOBJ previous = SelectObject(picture, bitmap);
        for (int shown = 0; shown < height; shown += screenHeight) {
            const int top = std::min(shown, height - std::min(height, screenHeight));
            SetWindowPos(Main(), HWND_TOP, 0, -top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
            RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            Pump(300);
            for (HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tip;
                 tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr))
                ShowWindow(tip, SW_HIDE);
            Pump(100);
            BitBlt(picture, 0, top, width, std::min(height, screenHeight), screen, 0, 0, SRCCOPY);
        }
        const fs::path screenshots = BuildFolder() / "screenshots";
        fs::create_directories(screenshots);
        EXPECT_TRUE(SaveAreaAsPng(picture, {0, 0, width, height}, (screenshots / name).wstring()));
        SelectObject(picture, previous);
        DeleteObject(bitmap);
        DeleteDC(picture);
        ReleaseDC(nullptr, screen);
    }

    TempWorkingDirectory folder;
    fw::OleSession ole;
    fw::GdiplusSession gdiplus;
    std::unique_ptr<CCorvaneDlg> window;
};

TEST_F(MainWindowDpiTest, OpensAtTheSizeForItsDpiCentredOnTheMonitorWithTheMouse) {
    const int dpi = static_cast<int>(fw::WindowDpi(Main()));
    // The run in a prefix of its own names the DPI that prefix was given.
    if (const char* expected = std::getenv("CORVANE_EXPECTED_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected));
    }
    const WindowSize size = MainWindowMinSize(dpi);
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT place{};
    GetWindowRect(Main(), &place);
    const ScreenRect expected = OpeningPlacement(fw::DesktopMonitors(), cursor.x, cursor.y, size.width, size.height);
    EXPECT_TRUE(SameRect(place, {expected.left, expected.top, expected.right, expected.bottom})) << dpi << " DPI";
    ExpectLaidOutFor(dpi);
    if (dpi != kBaseDpi) SaveForReview((L"main-window-opened-" + std::to_wstring(ScaleForDpi(100, dpi)) + L".png").c_str());
}

TEST_F(MainWindowDpiTest, DpiChangedMovesToTheSuggestedRectangleAndLaysOutAgain) {
    struct DpiCase {
        int dpi;
        const wchar_t* screenshot;
    };
    const DpiCase cases[] = {{144, L"main-window-150.png"}, {192, L"main-window-200.png"}, {96, L"main-window-100.png"}};
    for (const DpiCase& c : cases) {
        SCOPED_TRACE(c.dpi);
        // The system suggests a rectangle where the window keeps its proportions at the new DPI.
        const WindowSize size = MainWindowMinSize(c.dpi);
        RECT suggested{30, 20, 30 + size.width + 40, 20 + size.height + 10};
        SendMessageW(Main(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
        Pump(50);
        RECT place{};
        GetWindowRect(Main(), &place);
        EXPECT_TRUE(SameRect(place, suggested));
        ExpectLaidOutFor(c.dpi);
        SetWindowPos(Main(), nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SaveForReview(c.screenshot);
    }
}

TEST_F(MainWindowDpiTest, MonitorsChangedWithTheWindowOffEveryWorkAreaBringBackToThePrimary) {
    RECT place{};
    GetWindowRect(Main(), &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    // Where a monitor left of the primary was before it was unplugged.
    SetWindowPos(Main(), nullptr, -2000, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(Main(), WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    GetWindowRect(Main(), &place);
    const ScreenRect expected = *KeptOnDesktop(fw::DesktopMonitors(), {-2000, 100, -2000 + width, 100 + height});
    EXPECT_TRUE(SameRect(place, {expected.left, expected.top, expected.right, expected.bottom}));
    // On a monitor still there, it stays where the user put it.
    SetWindowPos(Main(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(Main(), WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    GetWindowRect(Main(), &place);
    EXPECT_EQ(place.left, 10);
    EXPECT_EQ(place.top, 10);
}

}  // namespace

// The About box, told of another DPI, stands on the suggested rectangle with its icon at that DPI's size; the
// icon it showed before goes, so DPI changes cost no handles.
TEST(AboutBoxDpi, ADpiChangeMovesItAndTakesTheIconAtTheNewSize) {
    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    const auto iconWidth = [&] {
        const auto icon = reinterpret_cast<HICON>(SendDlgItemMessageW(about.Hwnd(), IDC_ABOUT_ICON, STM_GETICON, 0, 0));
        ICONINFO info{};
        if (!icon || !GetIconInfo(icon, &info)) return 0;
        BITMAP picture{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(picture), &picture);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return static_cast<int>(picture.bmWidth);
    };
    const HandleCounts before = CurrentHandleCounts();
    for (const UINT dpi : {192u, 96u, 144u, 96u}) {
        RECT suggested{30, 20, 30 + MulDiv(250, dpi, 96), 20 + MulDiv(120, dpi, 96)};
        SendMessageW(about.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        PumpPending();
        RECT placed{};
        GetWindowRect(about.Hwnd(), &placed);
        EXPECT_TRUE(SameRect(placed, suggested)) << dpi;
        EXPECT_EQ(iconWidth(), fw::SystemMetricForDpi(SM_CXICON, dpi)) << dpi;
    }
    EXPECT_EQ(CurrentHandleCounts(), before);
    about.Destroy();
}
