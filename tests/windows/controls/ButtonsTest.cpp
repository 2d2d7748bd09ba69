// The two skinned buttons in a dialog, driven with the messages the pointer would send: the tab shows the
// picture its state table names, the image button the frame its state names and sizes itself to one frame,
// and both report clicks as the main window expects (a double click on an image button is two clicks).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "controls/CoolButton.h"
#include "controls/PngButton.h"
#include "controls/SkinImage.h"
#include "controls/SkinScale.h"
#include "framework/Dialog.h"
#include "tests/windows/controls/SkinFixture.h"
#include "tests/windows/controls/TestButtons.h"
#include "tests/windows/support/HandleCounts.h"

namespace {

class ButtonsDlg : public fw::Dialog {
public:
    ButtonsDlg() : Dialog(IDD_TEST_BUTTONS) {}
    CCoolButton tabs[4];  // gold, forex, futures, stocks
    CCoolButton notATab;
    PngButton help;
    PngButton advise;
    std::vector<int> clicks;

    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<ButtonsDlg> table[] = {
            fw::OnMessage(WM_COMMAND, &ButtonsDlg::OnCommandMessage),
        };
        return fw::Dispatch(*this, table, message) || Dialog::HandleMessage(message);
    }

protected:
    void BindControls() override {
        for (int i = 0; i < 4; ++i) Bind(IDC_TAB_GOLD + i, tabs[i]);
        Bind(IDC_NOT_A_TAB, notATab);
        Bind(IDC_IMAGE_HELP, help);
        Bind(IDC_IMAGE_ADVISE, advise);
    }

private:
    fw::Result OnCommandMessage(WPARAM wParam, LPARAM) {
        if (HIWORD(wParam) == BN_CLICKED) clicks.push_back(LOWORD(wParam));
        return 0;
    }
};

// Tab pictures 24 x 10 of one colour each, smaller than the 40 x 20 tab buttons.
COLORREF TabColour(int pictureNumber, TabPicture picture) {
    return RGB(40 * pictureNumber, 50 + 60 * static_cast<int>(picture), 90);
}

class SkinnedButtons : public ::testing::Test {
protected:
    void SetUp() override {
        for (int number = 1; number <= 4; ++number) {
            for (TabPicture picture : {TabPicture::Leave, TabPicture::Over, TabPicture::Down, TabPicture::Selected}) {
                const COLORREF c = TabColour(number, picture);
                ASSERT_TRUE(WriteSolidPicture(SkinPicturePath(TabPictureFile(number, picture), 100), 24, 10,
                                              {GetRValue(c), GetGValue(c), GetBValue(c)}));
            }
        }
        ASSERT_TRUE(dialog.Create(nullptr));
        for (int i = 0; i < 4; ++i) MoveWindow(dialog.tabs[i].Hwnd(), 10 + 50 * i, 10, 40, 20, FALSE);
        MoveWindow(dialog.notATab.Hwnd(), 210, 10, 40, 20, FALSE);
        ShowWindow(dialog.Hwnd(), SW_SHOWNOACTIVATE);
        UpdateWindow(dialog.Hwnd());
    }

    static void Repaint(HWND button) { RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

    ScratchSkin skin;
    ButtonsDlg dialog;
};

void Send(HWND button, UINT message, int x = 5, int y = 5) { SendMessageW(button, message, 0, MAKELPARAM(x, y)); }

TEST_F(SkinnedButtons, TabShowsThePictureOfItsState) {
    struct Step {
        const char* action;
        std::function<void(CCoolButton&)> act;
        TabPicture shown;
    };
    const Step steps[] = {
        {"at rest", [](CCoolButton&) {}, TabPicture::Leave},
        {"pointer rests on it", [](CCoolButton& b) { Send(b.Hwnd(), WM_MOUSEHOVER); }, TabPicture::Over},
        {"pressed", [](CCoolButton& b) { Send(b.Hwnd(), WM_LBUTTONDOWN); }, TabPicture::Down},
        {"released", [](CCoolButton& b) { Send(b.Hwnd(), WM_LBUTTONUP); }, TabPicture::Over},
        {"pressed and released outside", [](CCoolButton& b) {
             Send(b.Hwnd(), WM_LBUTTONDOWN);
             Send(b.Hwnd(), WM_LBUTTONUP, 300, 300);
         }, TabPicture::Over},
        {"pointer left", [](CCoolButton& b) { Send(b.Hwnd(), WM_MOUSELEAVE); }, TabPicture::Leave},
        {"pressed before the hover notification", [](CCoolButton& b) { Send(b.Hwnd(), WM_LBUTTONDOWN); },
         TabPicture::Leave},
        {"selected while pressed", [](CCoolButton& b) { b.SetSelected(true); }, TabPicture::Selected},
        {"selected, released", [](CCoolButton& b) { Send(b.Hwnd(), WM_LBUTTONUP); }, TabPicture::Selected},
        {"selected, pointer rests", [](CCoolButton& b) { Send(b.Hwnd(), WM_MOUSEHOVER); }, TabPicture::Selected},
        {"selected, pressed", [](CCoolButton& b) { Send(b.Hwnd(), WM_LBUTTONDOWN); }, TabPicture::Selected},
        {"deselected while pressed", [](CCoolButton& b) { b.SetSelected(false); }, TabPicture::Down},
    };
    CCoolButton& forex = dialog.tabs[1];
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action);
        step.act(forex);
        Repaint(forex.Hwnd());
        EXPECT_EQ(forex.ShownPicture(), step.shown);
        const COLORREF expected = TabColour(2, step.shown);
        EXPECT_EQ(WindowPixel(forex.Hwnd(), 5, 5), expected) << Describe(WindowPixel(forex.Hwnd(), 5, 5));
        // Stretched over the whole tab.
        EXPECT_EQ(WindowPixel(forex.Hwnd(), 38, 18), expected) << Describe(WindowPixel(forex.Hwnd(), 38, 18));
    }
}

TEST_F(SkinnedButtons, EachTabDrawsItsOwnPicturesAndAnyOtherButtonIsWhite) {
    for (int i = 0; i < 4; ++i) {
        Repaint(dialog.tabs[i].Hwnd());
        EXPECT_EQ(WindowPixel(dialog.tabs[i].Hwnd(), 5, 5), TabColour(i + 1, TabPicture::Leave)) << "tab " << i + 1;
    }
    Send(dialog.notATab.Hwnd(), WM_MOUSEHOVER);
    Repaint(dialog.notATab.Hwnd());
    EXPECT_EQ(WindowPixel(dialog.notATab.Hwnd(), 5, 5), RGB(255, 255, 255));

    // A look whose picture file is missing is a white rectangle (a look is decoded when it first shows).
    DeleteFileW(SkinPicturePath(TabPictureFile(4, TabPicture::Over), 100).c_str());
    Send(dialog.tabs[3].Hwnd(), WM_MOUSEHOVER);
    Repaint(dialog.tabs[3].Hwnd());
    EXPECT_EQ(WindowPixel(dialog.tabs[3].Hwnd(), 5, 5), RGB(255, 255, 255));
}

TEST_F(SkinnedButtons, ImageButtonTakesTheSizeOfOneFrame) {
    ASSERT_TRUE(WriteSolidPicture(L"skin\\wide56.png", 56, 14, {0, 0, 200}));
    ASSERT_TRUE(WriteSolidPicture(L"skin\\wide58.png", 58, 20, {0, 0, 200}));
    struct Case {
        const wchar_t* path;
        SIZE size;
    };
    for (const Case c : {Case{L"wide56.png", {14, 14}}, Case{L"wide58.png", {14, 20}}, Case{L"missing.png", {0, 0}}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
        RECT before;
        GetWindowRect(dialog.help.Hwnd(), &before);
        dialog.help.LoadPng(c.path, 96);
        RECT after;
        GetWindowRect(dialog.help.Hwnd(), &after);
        EXPECT_EQ(after.right - after.left, c.size.cx);
        EXPECT_EQ(after.bottom - after.top, c.size.cy);
        EXPECT_EQ(after.left, before.left);
        EXPECT_EQ(after.top, before.top);
    }
}

TEST_F(SkinnedButtons, ImageButtonShowsTheFrameOfItsState) {
    const COLORREF frames[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 220), RGB(255, 255, 255)};
    ASSERT_TRUE(WritePicture(L"skin\\strip.png", 40, 8, [&](int x, int) {
        const COLORREF c = frames[x / 10];
        return Rgba{GetRValue(c), GetGValue(c), GetBValue(c)};
    }));
    PngButton& button = dialog.advise;
    button.LoadPng(L"strip.png", 96);

    struct Step {
        const char* action;
        UINT message;
        WPARAM wParam;
        int x;
        int frame;
    };
    const Step steps[] = {
        {"at rest", WM_NULL, 0, 5, 1},
        {"pointer rests on it", WM_MOUSEHOVER, 0, 5, 2},
        {"pushed", BM_SETSTATE, TRUE, 5, 3},
        {"no longer pushed", BM_SETSTATE, FALSE, 5, 2},
        {"pointer left", WM_MOUSELEAVE, 0, 5, 1},
        {"pressed without hover", WM_LBUTTONDOWN, 0, 5, 3},
        {"released outside", WM_LBUTTONUP, 0, 300, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action);
        SendMessageW(button.Hwnd(), step.message, step.wParam, MAKELPARAM(step.x, 5));
        Repaint(button.Hwnd());
        for (const int x : {0, 5, 9})
            EXPECT_EQ(WindowPixel(button.Hwnd(), x, 4), frames[step.frame - 1]) << x;
    }
    EXPECT_TRUE(dialog.clicks.empty());
}

TEST_F(SkinnedButtons, ImageButtonFramesAreSizedAtItsDpiFromTheMatchingScale) {
    // Strips of four frames whose colours differ per scale: 10 x 8 frames at 100 %, 15 x 12 at 150 %.
    std::filesystem::create_directories(L"skin\\150");
    const auto writeStrip = [](const std::wstring& path, int frameWidth, int height, BYTE shade) {
        return WritePicture(path, 4 * frameWidth, height, [=](int x, int) {
            const int frame = x / frameWidth;
            return Rgba{BYTE(frame == 0 ? shade : 0), BYTE(frame == 1 ? shade : 0), BYTE(frame == 2 ? shade : 0)};
        });
    };
    ASSERT_TRUE(writeStrip(SkinPicturePath(L"strip.png", 100), 10, 8, 200));
    ASSERT_TRUE(writeStrip(SkinPicturePath(L"strip.png", 150), 15, 12, 160));
    struct Case {
        UINT dpi;
        SIZE size;
        BYTE shade;
    };
    for (const Case c : {Case{96, {10, 8}, 200}, Case{120, {13, 10}, 160}, Case{144, {15, 12}, 160},
                         Case{192, {20, 16}, 200}}) {  // no 200 % strip: the 100 % one, scaled up
        SCOPED_TRACE(c.dpi);
        PngButton& button = dialog.advise;
        button.LoadPng(L"strip.png", c.dpi);
        RECT client;
        GetClientRect(button.Hwnd(), &client);
        EXPECT_EQ(client.right, c.size.cx);
        EXPECT_EQ(client.bottom, c.size.cy);
        SendMessageW(button.Hwnd(), WM_MOUSEHOVER, 0, 0);
        Repaint(button.Hwnd());
        // Frame 2 edge to edge, with nothing of frames 1 and 3 blended into its outer columns.
        for (const int x : {0, int(c.size.cx / 2), int(c.size.cx - 1)})
            EXPECT_TRUE(Near(WindowPixel(button.Hwnd(), x, c.size.cy / 2), RGB(0, c.shade, 0), 4))
                << x << " " << Describe(WindowPixel(button.Hwnd(), x, c.size.cy / 2));
        SendMessageW(button.Hwnd(), WM_MOUSELEAVE, 0, 0);
    }
}

TEST_F(SkinnedButtons, TabDrawsThePictureOfTheScaleForItsDpi) {
    std::filesystem::create_directories(L"skin\\150");
    ASSERT_TRUE(WriteSolidPicture(SkinPicturePath(TabPictureFile(2, TabPicture::Leave), 150), 36, 15, {0, 0, 250}));
    CCoolButton& forex = dialog.tabs[1];
    for (const auto& [dpi, colour] : {std::pair{144u, RGB(0, 0, 250)}, std::pair{96u, TabColour(2, TabPicture::Leave)},
                                      std::pair{192u, TabColour(2, TabPicture::Leave)}}) {
        forex.SetDpi(dpi);
        Repaint(forex.Hwnd());
        EXPECT_EQ(WindowPixel(forex.Hwnd(), 20, 10), colour) << dpi << " " << Describe(WindowPixel(forex.Hwnd(), 20, 10));
    }
}

TEST_F(SkinnedButtons, ClicksReachTheDialog) {
    struct Case {
        const char* name;
        int id;
        std::vector<std::pair<UINT, int>> pointer;  // message and x; y is 5
        size_t clicks;
    };
    const Case cases[] = {
        {"tab click", IDC_TAB_FOREX, {{WM_LBUTTONDOWN, 5}, {WM_LBUTTONUP, 5}}, 1},
        {"tab released outside", IDC_TAB_FOREX, {{WM_LBUTTONDOWN, 5}, {WM_LBUTTONUP, 300}}, 0},
        {"tab double click: the platform's own handling", IDC_TAB_FOREX,
         {{WM_LBUTTONDOWN, 5}, {WM_LBUTTONUP, 5}, {WM_LBUTTONDBLCLK, 5}, {WM_LBUTTONUP, 5}}, 1},
        {"image button click", IDC_IMAGE_HELP, {{WM_LBUTTONDOWN, 5}, {WM_LBUTTONUP, 5}}, 1},
        {"image button released outside", IDC_IMAGE_HELP, {{WM_LBUTTONDOWN, 5}, {WM_LBUTTONUP, 300}}, 0},
        {"image button double click: two clicks", IDC_IMAGE_HELP,
         {{WM_LBUTTONDOWN, 5}, {WM_LBUTTONUP, 5}, {WM_LBUTTONDBLCLK, 5}, {WM_LBUTTONUP, 5}}, 2},
    };
    ASSERT_TRUE(WriteSolidPicture(L"skin\\help.png", 72, 18, {0, 0, 200}));
    dialog.help.LoadPng(L"help.png", 96);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.clicks.clear();
        const HWND button = GetDlgItem(dialog.Hwnd(), c.id);
        for (const auto& [message, x] : c.pointer) Send(button, message, x, 5);
        EXPECT_EQ(dialog.clicks, std::vector<int>(c.clicks, c.id));
    }
}

TEST_F(SkinnedButtons, TenThousandRepaintsLeaveTheGdiObjectCountFlat) {
    // The window runs for weeks and repaints its tabs, image buttons and pictures all the while. Each repaint
    // is the drawing request the button's own painting sends its dialog, so no time goes to the screen.
    ASSERT_TRUE(WriteSolidPicture(L"skin\\help.png", 72, 18, {0, 0, 200}));
    dialog.help.LoadPng(L"help.png", 96);
    ASSERT_TRUE(WritePicture(L"skin\\bg.png", 16, 16, [](int x, int) { return Rgba{200, 0, 0, BYTE(x * 16)}; }));
    CSkinImage background;
    ASSERT_TRUE(background.Load(L"skin\\bg.png"));
    const auto drawButton = [&](HWND button) {
        DRAWITEMSTRUCT item{ODT_BUTTON, static_cast<UINT>(GetDlgCtrlID(button)), 0, ODA_DRAWENTIRE, 0, button};
        GetClientRect(button, &item.rcItem);
        const fw::ClientDC dc(button);
        item.hDC = dc;
        SendMessageW(dialog.Hwnd(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    };
    const auto repaint = [&] {
        drawButton(dialog.tabs[0].Hwnd());
        drawButton(dialog.help.Hwnd());
        const fw::ClientDC dc(dialog.Hwnd());
        background.Draw(dc, {0, 60, 64, 124});
    };
    for (int i = 0; i < 50; ++i) repaint();  // caches of the system and GDI+ fill up first
    const int before = GdiObjectCount();
    for (int i = 0; i < 10000; ++i) repaint();
    const int after = GdiObjectCount();
    EXPECT_LE(after - before, 8) << before << " GDI objects before, " << after << " after";
}

}  // namespace
