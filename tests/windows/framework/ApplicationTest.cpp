// The application object holds the run's GDI+ and OLE sessions, forgets a main window whose object ended,
// and waits for an object while the messages go on.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/GdiplusHeaders.h"

namespace {

bool GdiplusWorks() {
    Gdiplus::Bitmap picture(4, 4, PixelFormat32bppARGB);
    return picture.GetLastStatus() == Gdiplus::Ok;
}

TEST(Application, HoldsTheGdiplusAndOleSessionsOfTheRun) {
    fw::Application application;
    EXPECT_TRUE(GdiplusWorks());
    {
        // A window's own start and stop nest inside the application's session.
        const fw::GdiplusSession windowsOwn;
    }
    EXPECT_TRUE(GdiplusWorks());

    const HRESULT multiThreaded = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(multiThreaded)) CoUninitialize();
    EXPECT_EQ(multiThreaded, RPC_E_CHANGED_MODE);
}

// Waiting for an object keeps the thread's messages flowing: a timer set on this thread is what signals it.
TEST(WaitProcessingMessages, ProcessesMessagesUntilTheObjectIsSignalled) {
    static HANDLE event;
    static int ticks;
    event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        if (++ticks == 3) SetEvent(event);
    });
    EXPECT_TRUE(fw::Application::WaitProcessingMessages(event));
    EXPECT_EQ(ticks, 3);
    KillTimer(nullptr, timer);
    CloseHandle(event);
}

// The run is ending: the wait gives up and leaves the quit request for the loop outside.
TEST(WaitProcessingMessages, QuitEndsTheWaitAndIsPostedAgain) {
    const HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PostQuitMessage(7);
    EXPECT_FALSE(fw::Application::WaitProcessingMessages(never));
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    CloseHandle(never);
}

}  // namespace
