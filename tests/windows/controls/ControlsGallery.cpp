// A gallery of the skinned buttons drawn from the real skin folder: the four tabs in each of their states
// and the five image buttons in each frame a state shows, on the title band's colour, at 96, 144 and 192
// DPI. It checks that every button shows its picture of the scale for that DPI, pixel for pixel, and saves
// the window as screenshots/controls-gallery.png (and -144, -192) in the build tree.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "controls/CoolButton.h"
#include "controls/PngButton.h"
#include "controls/SkinImage.h"
#include "controls/SkinScale.h"
#include "framework/Dialog.h"
#include "framework/Dpi.h"
#include "tests/windows/controls/SkinFixture.h"
#include "tests/windows/support/Screenshot.h"
#include "tests/windows/support/TestFolders.h"

namespace {

constexpr int kGalleryTemplate = 300;
constexpr COLORREF kTitleBand = RGB(0x14, 0x24, 0x40);
constexpr int kTabIds[] = {1042, 1041, 1040, 1039};  // left to right, as the main window places them
constexpr TabPicture kTabStates[] = {TabPicture::Leave, TabPicture::Over, TabPicture::Down, TabPicture::Selected};
constexpr const wchar_t* kStateNames[] = {L"leave", L"over", L"down", L"selected"};

struct ImageButtonInfo {
    int id;
    const wchar_t* path;
};
constexpr ImageButtonInfo kImageButtons[] = {{1063, L"help.png"},
                                             {1066, L"advise.png"},
                                             {1067, L"set.png"},
                                             {1064, L"person.png"},
                                             {1068, L"exit.png"}};
constexpr const wchar_t* kFrameNames[] = {L"rest", L"hover", L"pushed"};

constexpr int kTop = 30, kRowStep = 28, kTabLeft = 70, kTabStep = 62, kTabWidth = 56, kTabHeight = 20;
constexpr int kImageLabelLeft = 330, kImageLeft = 390, kImageGap = 8;

class GalleryDlg : public fw::Dialog {
public:
    explicit GalleryDlg(UINT dpi) : Dialog(kGalleryTemplate), dpi_(dpi) {}

    std::array<std::array<CCoolButton, 4>, 4> tabs;         // [state][tab]
    std::array<std::array<PngButton, 5>, 3> imageButtons;  // [frame - 1][button]

    bool HandleMessage(fw::Message& message) override {
        static constexpr fw::MessageEntry<GalleryDlg> table[] = {
            fw::OnMessage(WM_PAINT, &GalleryDlg::OnPaint),
            fw::OnMessage(WM_ERASEBKGND, &GalleryDlg::OnEraseBackground),
        };
        return fw::Dispatch(*this, table, message) || Dialog::HandleMessage(message);
    }

protected:
    bool OnInitDialog() override {
        SetWindowPos(Hwnd(), nullptr, 20, 20, S(640), S(kTop + 4 * kRowStep + 10), SWP_NOZORDER | SWP_NOACTIVATE);
        titleLeft_.LoadForDpi(L"titlebarleft.png", dpi_);
        titleText_.LoadForDpi(L"titletext.png", dpi_);
        for (int state = 0; state < 4; ++state) {
            for (int tab = 0; tab < 4; ++tab) {
                tabs[state][tab].Attach(MakeButton(kTabIds[tab], S(kTabLeft + kTabStep * tab), S(kTop + kRowStep * state),
                                                   S(kTabWidth), S(kTabHeight)));
                tabs[state][tab].SetDpi(dpi_);
            }
        }
        for (int frame = 0; frame < 3; ++frame) {
            int left = S(kImageLeft);
            for (int i = 0; i < 5; ++i) {
                PngButton& button = imageButtons[frame][i];
                button.Attach(MakeButton(kImageButtons[i].id, left, S(kTop + kRowStep * frame), 1, 1));
                button.LoadPng(kImageButtons[i].path, dpi_);
                RECT size;
                GetClientRect(button.Hwnd(), &size);
                left += size.right + S(kImageGap);
            }
        }
        return true;
    }

private:
    int S(int pixels) const { return ScaleForDpi(pixels, static_cast<int>(dpi_)); }

    HWND MakeButton(int id, int x, int y, int width, int height) {
        return CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, y, width, height, Hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    // The dialog does not clip its children, so the band lies under the image buttons' transparent pixels.
    fw::Result OnPaint(WPARAM, LPARAM) {
        const fw::PaintDC paint(Hwnd());
        RECT client;
        GetClientRect(Hwnd(), &client);
        const fw::OffscreenDC buffer(paint, client.right, client.bottom);
        fw::GdiObject<HBRUSH> band(CreateSolidBrush(kTitleBand));
        FillRect(buffer, &client, band.Get());
        titleLeft_.Draw(buffer, {0, 0, titleLeft_.Width(), titleLeft_.Height()});
        titleText_.Draw(buffer, {S(31), S(2), S(31) + titleText_.Width(), S(2) + titleText_.Height()});
        SetBkMode(buffer, TRANSPARENT);
        SetTextColor(buffer, RGB(230, 236, 245));
        LOGFONTW face{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0)), sizeof face, &face);
        const fw::GdiObject<HFONT> labelFont(fw::CreateFontForDpi(face, dpi_));
        const fw::SelectedObject font(buffer, labelFont.Get());
        for (int row = 0; row < 4; ++row) Label(buffer, kStateNames[row], S(10), S(kTop + kRowStep * row), S(58), S(kTabHeight));
        for (int row = 0; row < 3; ++row)
            Label(buffer, kFrameNames[row], S(kImageLabelLeft), S(kTop + kRowStep * row), S(58), S(kTabHeight));
        buffer.CopyTo(paint, 0, 0);
        return 0;
    }

    static void Label(HDC dc, const wchar_t* text, int x, int y, int width, int height) {
        RECT place{x, y, x + width, y + height};
        DrawTextW(dc, text, -1, &place, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }

    fw::Result OnEraseBackground(WPARAM, LPARAM) { return TRUE; }

    UINT dpi_;
    CSkinImage titleLeft_;
    CSkinImage titleText_;
};

// The state of each row, brought about the way the pointer and the main window would.
void SetStates(GalleryDlg& gallery) {
    for (int tab = 0; tab < 4; ++tab) {
        SendMessageW(gallery.tabs[1][tab].Hwnd(), WM_MOUSEHOVER, 0, 0);
        SendMessageW(gallery.tabs[2][tab].Hwnd(), WM_MOUSEHOVER, 0, 0);
        SendMessageW(gallery.tabs[2][tab].Hwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
        gallery.tabs[3][tab].SetSelected(true);
    }
    ReleaseCapture();
    for (int i = 0; i < 5; ++i) {
        SendMessageW(gallery.imageButtons[1][i].Hwnd(), WM_MOUSEHOVER, 0, 0);
        SendMessageW(gallery.imageButtons[2][i].Hwnd(), BM_SETSTATE, TRUE, 0);
    }
}

// Where an image button's frame has an opaque pixel, the window shows exactly that pixel.
void ExpectFrameShown(const PngButton& button, const std::wstring& path, int frame) {
    RECT size;
    GetClientRect(button.Hwnd(), &size);
    ASSERT_GT(size.right, 0) << "no picture " << testing::PrintToString(std::wstring(path));
    for (int y = 0; y < size.bottom; ++y) {
        for (int x = 0; x < size.right; ++x) {
            const Rgba stored = PicturePixel(path, (frame - 1) * size.right + x, y);
            if (stored.a != 255) continue;
            EXPECT_EQ(WindowPixel(button.Hwnd(), x, y), RGB(stored.r, stored.g, stored.b))
                << testing::PrintToString(std::wstring(path)) << " frame " << frame << " at " << x << "," << y;
            return;
        }
    }
    ADD_FAILURE() << "no opaque pixel in frame " << frame << " of " << testing::PrintToString(std::wstring(path));
}

TEST(ControlsGallery, EveryButtonShowsItsSkinPictureForItsState) {
    const std::wstring source = SourceFolder().wstring();
    const std::wstring build = BuildFolder().wstring();
    ASSERT_FALSE(source.empty());
    ASSERT_FALSE(build.empty());
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(source);  // the skin is found by relative paths, as beside the program

    for (const UINT dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        const int scale = SkinScaleForDpi(static_cast<int>(dpi));
        const fw::GdiplusSession gdiplus;
        GalleryDlg gallery(dpi);
        ASSERT_TRUE(gallery.Create(nullptr));
        SetStates(gallery);
        ShowWindow(gallery.Hwnd(), SW_SHOWNOACTIVATE);
        RedrawWindow(gallery.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);

        const int tabWidth = ScaleForDpi(kTabWidth, static_cast<int>(dpi));
        const int tabHeight = ScaleForDpi(kTabHeight, static_cast<int>(dpi));
        for (int state = 0; state < 4; ++state) {
            for (int tab = 0; tab < 4; ++tab) {
                const std::wstring path =
                    SkinPicturePath(TabPictureFile(TabPictureNumber(kTabIds[tab]), kTabStates[state]), scale);
                const Rgba stored = PicturePixel(path, tabWidth / 2, tabHeight / 2);
                EXPECT_EQ(WindowPixel(gallery.tabs[state][tab].Hwnd(), tabWidth / 2, tabHeight / 2),
                          RGB(stored.r, stored.g, stored.b))
                    << testing::PrintToString(path);
            }
        }
        for (int frame = 1; frame <= 3; ++frame)
            for (int i = 0; i < 5; ++i)
                ExpectFrameShown(gallery.imageButtons[frame - 1][i], SkinPicturePath(kImageButtons[i].path, scale), frame);

        const std::filesystem::path screenshots = std::filesystem::path(build) / "screenshots";
        std::filesystem::create_directories(screenshots);
        const std::wstring name = dpi == 96 ? L"controls-gallery.png" : L"controls-gallery-" + std::to_wstring(dpi) + L".png";
        EXPECT_TRUE(SaveClientAreaAsPng(gallery.Hwnd(), (screenshots / name).wstring()));
        gallery.Destroy();
    }
    std::filesystem::current_path(previous);
}

}  // namespace
