// One pop-up entry: what it shows for an item, where its link goes, and how it colours its texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "popup/PopupRules.h"
#include "popup/QIUnit.h"
#include "res/resource.h"
#include "tests/windows/framework/CapturedDiagnostics.h"
#include "tests/windows/popup/PopupFixture.h"

namespace {

// A plain window to hold entries, as the pop-up does.
class Holder {
public:
    Holder()
        : hwnd_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr, nullptr, nullptr)) {}
    ~Holder() { DestroyWindow(hwnd_); }
    HWND Hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
};

std::wstring Text(HWND control) {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return text;
}

RECT PlaceIn(HWND control, HWND parent) {
    RECT rect = WindowRectOf(control);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

// The bitmap's pixels as 32-bit values, for telling two bitmaps apart.
std::vector<DWORD> Pixels(HBITMAP bitmap) {
    const SIZE size = BitmapSize(bitmap);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = size.cx;
    format.bmiHeader.biHeight = -size.cy;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<std::size_t>(size.cx * size.cy));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<DWORD> ResourcePixels(int id) {
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    std::vector<DWORD> pixels = Pixels(bitmap);
    DeleteObject(bitmap);
    return pixels;
}

const Guid kUnknown = MakeGuid(0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16});

TEST(QIUnit, ShowsTheLogoOfTheItemsCategory) {
    const PopupFolder folder;
    const Holder holder;
    struct Case {
        Guid category;
        int bitmap;
    };
    for (const Case& c : {Case{kForex.guid, 157}, Case{kGold.guid, 159}, Case{kFutures.guid, 171},
                          Case{kStocks.guid, 172}, Case{kUnknown, 158}, Case{Guid{}, 158}}) {
        auto* entry = new CQIUnit;
        ASSERT_EQ(entry->CreateForItem(Item(c.category, L"标题"), holder.Hwnd()), 1);
        EXPECT_FALSE(IsWindowVisible(entry->Hwnd())) << "an entry is created hidden";
        HWND logo = GetDlgItem(entry->Hwnd(), IDC_ENTRY_LOGO);
        EXPECT_EQ(GetWindowLongW(logo, GWL_STYLE) & (SS_TYPEMASK | SS_CENTERIMAGE), SS_BITMAP | SS_CENTERIMAGE);
        auto shown = reinterpret_cast<HBITMAP>(SendMessageW(logo, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_TRUE(shown) << c.bitmap;
        EXPECT_EQ(Pixels(shown), ResourcePixels(c.bitmap)) << c.bitmap;
        entry->Destroy();
    }
}

TEST(QIUnit, TitleGoesToTheLinkOrToThePlainLabel) {
    const PopupFolder folder;
    const Holder holder;
    struct Case {
        const char* what;
        std::wstring title, link;
        int shown, hidden;
        std::wstring text;
    };
    const std::wstring longTitle = L"美元指数走强，欧元兑美元跌破关键支撑位，市场关注今晚非农数据";
    const Case cases[] = {
        {"short title with a link", L"金价小幅回升", L"http://news.example/9", IDC_ENTRY_TITLE_LINK,
         IDC_ENTRY_TITLE_TEXT, L"<a>金价小幅回升</a>"},
        {"long title with a link", longTitle, L"www.news.example/9", IDC_ENTRY_TITLE_LINK, IDC_ENTRY_TITLE_TEXT,
         popup::EntryLinkText(longTitle)},
        {"long title without a link", longTitle, L"", IDC_ENTRY_TITLE_TEXT, IDC_ENTRY_TITLE_LINK,
         popup::EntryLabelText(longTitle)},
        {"ampersand without a link", L"P&G 财报", L"", IDC_ENTRY_TITLE_TEXT, IDC_ENTRY_TITLE_LINK, L"P&G 财报"},
    };
    for (const Case& c : cases) {
        auto* entry = new CQIUnit;
        ASSERT_EQ(entry->CreateForItem(Item(kGold.guid, c.title, c.link), holder.Hwnd()), 1) << c.what;
        HWND shown = GetDlgItem(entry->Hwnd(), c.shown);
        EXPECT_TRUE(GetWindowLongW(shown, GWL_STYLE) & WS_VISIBLE) << c.what;
        EXPECT_FALSE(GetWindowLongW(GetDlgItem(entry->Hwnd(), c.hidden), GWL_STYLE) & WS_VISIBLE) << c.what;
        EXPECT_EQ(Text(shown), c.text) << c.what;
        const RECT place = PlaceIn(shown, entry->Hwnd());
        EXPECT_TRUE(place.left == 112 && place.top == 10 && place.right == 268 && place.bottom == 40) << c.what;
        if (c.shown == IDC_ENTRY_TITLE_TEXT) {
            EXPECT_TRUE(GetWindowLongW(shown, GWL_STYLE) & SS_NOPREFIX) << c.what << ": '&' is shown as written";
        }
        entry->Destroy();
    }
}

TEST(QIUnit, TimeInLocalTimeOrEmptyWhenItCannotBeShown) {
    const PopupFolder folder;
    const Holder holder;
    for (const std::int64_t time : {std::int64_t{1'315'271'100}, std::int64_t{-5}, std::int64_t{40'000'000'000}}) {
        auto* entry = new CQIUnit;
        ASSERT_EQ(entry->CreateForItem(Item(kStocks.guid, L"沪指收涨", L"", time), holder.Hwnd()), 1) << time;
        EXPECT_EQ(Text(GetDlgItem(entry->Hwnd(), IDC_ENTRY_TIME)), popup::EntryTimeText(time)) << time;
        entry->Destroy();
    }
}

TEST(QIUnit, EachClickOnTheLinkGoesToTheServerLinkHelper) {
    const PopupFolder folder;
    const Holder holder;
    const CapturedDiagnostics diagnostics;
    auto* entry = new CQIUnit;
    // A link that is not a web link: the helper refuses it and says so, so the test opens no browser.
    ASSERT_EQ(entry->CreateForItem(Item(kForex.guid, L"非农", L"calc.exe"), holder.Hwnd()), 1);
    HWND link = GetDlgItem(entry->Hwnd(), IDC_ENTRY_TITLE_LINK);
    NMLINK click{};
    click.hdr = {link, static_cast<UINT_PTR>(IDC_ENTRY_TITLE_LINK), NM_CLICK};
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(SendMessageW(entry->Hwnd(), WM_NOTIFY, IDC_ENTRY_TITLE_LINK, reinterpret_cast<LPARAM>(&click)), 0);
    const std::vector<std::wstring>& lines = CapturedDiagnostics::Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(L"calc.exe"), std::wstring::npos);
    EXPECT_TRUE(IsWindow(entry->Hwnd())) << "the entry stays after a click";
    entry->Destroy();
}

TEST(QIUnit, TextsStandOnWhite) {
    const PopupFolder folder;
    const Holder holder;
    auto* entry = new CQIUnit;
    ASSERT_EQ(entry->CreateForItem(Item(kForex.guid, L"非农"), holder.Hwnd()), 1);
    HDC dc = GetDC(entry->Hwnd());
    for (const int id : {IDC_ENTRY_TIME, IDC_ENTRY_TITLE_LINK, IDC_ENTRY_TITLE_TEXT}) {
        SetBkMode(dc, OPAQUE);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(entry->Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(GetDlgItem(entry->Hwnd(), id))));
        LOGBRUSH colour{};
        ASSERT_TRUE(GetObjectW(brush, sizeof colour, &colour)) << id;
        EXPECT_EQ(colour.lbColor, RGB(255, 255, 255)) << id;
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << id;
    }
    ReleaseDC(entry->Hwnd(), dc);
    entry->Destroy();
}

}  // namespace
