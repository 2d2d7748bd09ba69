// Screenshots for review: the About box, the settings and keyword dialogs and a pop-up entry as their templates
// make them, saved as PNG files in the folder given on the command line (default "screenshots").
// Hidden controls are shown and the logos put in, so every Chinese text and picture is on view.
// Under Wine it also checks that the dialog font holds a glyph for every character shown.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/GdiplusHeaders.h"
#include "framework/StaticBitmap.h"
#include "res/resource.h"
#include "tests/windows/support/MessagePump.h"
#include "tests/windows/support/Screenshot.h"

namespace {

std::filesystem::path g_folder = L"screenshots";

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The same switch the dialogs make when they open: a plain static becomes a centred bitmap.
void PutBitmap(HWND dialog, int control, int bitmap) {
    HWND item = GetDlgItem(dialog, control);
    LONG style = GetWindowLongW(item, GWL_STYLE);
    SetWindowLongW(item, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_BITMAP | SS_CENTERIMAGE);
    fw::SetStaticBitmap(item, static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap),
                                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Characters of the visible controls' texts that the dialog font has no glyph for.
std::wstring MissingGlyphs(HWND dialog) {
    std::wstring missing;
    HDC dc = GetDC(dialog);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
        text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
        if (!text.empty() && text[0] == 0xFFFF) continue;  // an icon static holds its icon's ordinal
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        for (size_t i = 0; i < text.size(); ++i)
            if (glyphs[i] == 0xFFFF && missing.find(text[i]) == std::wstring::npos) missing += text[i];
    }
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    return missing;
}

class DialogScreenshots : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES | ICC_LINK_CLASS | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&classes);
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);
        std::filesystem::create_directories(g_folder);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(gdiplusToken); }

    void TearDown() override {
        if (host) DestroyWindow(host);
        else if (dialog) DestroyWindow(dialog);
    }

    HWND Create(int id, HWND parent = nullptr) {
        dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent, PlainDialogProc, 0);
        return dialog;
    }

    // Shows `window` at the top left of the screen, lets it paint, saves it and checks the glyphs.
    void ShowAndSave(HWND window, const wchar_t* name) {
        SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        UpdateWindow(window);
        Pump(500);
        std::filesystem::path file = g_folder / name;
        EXPECT_TRUE(SaveWindowAsPng(window, file)) << file.string();
        EXPECT_GT(std::filesystem::exists(file) ? std::filesystem::file_size(file) : 0, 0u);
        if (RunningUnderWine()) {
            std::wstring missing = MissingGlyphs(dialog);
            std::string codes;
            for (wchar_t c : missing) codes += " U+" + std::to_string(static_cast<unsigned>(c));
            EXPECT_TRUE(missing.empty()) << "no glyph for" << codes << " in " << file.string()
                                         << ": Chinese needs the prefix's font substitutes";
        }
    }

    static inline ULONG_PTR gdiplusToken = 0;
    HWND dialog = nullptr;
    HWND host = nullptr;
};

}  // namespace

TEST_F(DialogScreenshots, AboutBox) {
    ASSERT_NE(Create(IDD_ABOUTBOX), nullptr);
    ShowAndSave(dialog, L"about-100.png");
}

TEST_F(DialogScreenshots, SettingsDialog) {
    ASSERT_NE(Create(IDD_SETTINGS), nullptr);
    PutBitmap(dialog, IDC_SETTINGS_FOREX_LOGO, IDB_LOGO_FOREX);
    PutBitmap(dialog, IDC_SETTINGS_GOLD_LOGO, IDB_LOGO_GOLD);
    PutBitmap(dialog, IDC_SETTINGS_FUTURES_LOGO, IDB_LOGO_FUTURES);
    PutBitmap(dialog, IDC_SETTINGS_STOCKS_LOGO, IDB_LOGO_STOCKS);
    ShowAndSave(dialog, L"settings-153.png");
}

TEST_F(DialogScreenshots, AlertsDialog) {
    ASSERT_NE(Create(IDD_ALERTS), nullptr);
    ShowAndSave(dialog, L"alerts-180.png");
}

TEST_F(DialogScreenshots, PopupEntry) {
    // The entry is a child panel: a bare window the pop-up's width holds it.
    host = CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP | WS_BORDER, 0, 0, 282, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    ASSERT_NE(Create(IDD_POPUP_ENTRY, host), nullptr);
    RECT entry;
    GetWindowRect(dialog, &entry);
    SetWindowPos(host, nullptr, 0, 0, entry.right - entry.left + 2, entry.bottom - entry.top + 2,
                 SWP_NOMOVE | SWP_NOZORDER);
    PutBitmap(dialog, IDC_ENTRY_LOGO, IDB_LOGO_STOCKS);
    SetDlgItemTextW(dialog, IDC_ENTRY_TIME, L"2011年09月06日  09:05");
    ShowWindow(GetDlgItem(dialog, IDC_ENTRY_TITLE_LINK), SW_SHOW);
    ShowWindow(GetDlgItem(dialog, IDC_ENTRY_TITLE_TEXT), SW_SHOW);
    ShowWindow(dialog, SW_SHOW);
    ShowAndSave(host, L"popup-entry-137.png");
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc > 1) g_folder = argv[1];
    return RUN_ALL_TESTS();
}
