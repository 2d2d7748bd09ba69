// The application object holds the run's GDI+ and OLE sessions, and forgets a main window whose object ended.
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

}  // namespace
