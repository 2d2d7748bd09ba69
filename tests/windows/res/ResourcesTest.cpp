// The resources linked into an executable: strings, bitmaps, icon, sounds, the news list page and
// the manifest. Nothing here needs a display.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>

#include "res/resource.h"

namespace {

std::string_view ResourceBytes(const wchar_t* type, int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string_view(data, SizeofResource(nullptr, found)) : std::string_view();
}

std::wstring_view ResourceString(int id) {
    const wchar_t* text = nullptr;
    // With a zero length the call hands out a pointer into the resource itself, unterminated.
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring_view(text, length) : std::wstring_view();
}

// The text of the first element named `element` that holds `attribute`, up to its closing bracket.
std::string_view ElementWith(std::string_view xml, std::string_view element, std::string_view attribute) {
    for (size_t at = xml.find(attribute); at != std::string_view::npos; at = xml.find(attribute, at + 1)) {
        size_t open = xml.rfind('<', at);
        size_t close = xml.find('>', at);
        if (open == std::string_view::npos || close == std::string_view::npos) break;
        std::string_view tag = xml.substr(open, close - open + 1);
        if (tag.substr(1, element.size()) == element) return tag;
    }
    return {};
}

}  // namespace

TEST(ResourceStrings, LoadWithTheirExactTexts) {
    struct Case {
        int id;
        std::wstring_view text;
    };
    const Case cases[] = {
        {IDS_ABOUTBOX, L"关于 Corvane(&A)..."},
        {IDS_SOCKETS_INIT_FAILED, L"Windows 套接字初始化失败。"},
    };
    for (const Case& c : cases) EXPECT_EQ(ResourceString(c.id), c.text) << "string " << c.id;
}

TEST(ResourceBitmaps, LoadWithTheirSizesAt24BitsPerPixel) {
    struct Case {
        int id;
        LONG width, height;
    };
    const Case cases[] = {
        {IDB_LOGO_FOREX, 83, 29},   {IDB_LOGO_OTHER, 83, 29},    {IDB_LOGO_GOLD, 83, 29},
        {IDB_LOGO_FUTURES, 83, 29}, {IDB_LOGO_STOCKS, 83, 29},   {IDB_TRAY_EXIT, 69, 19},
        {IDB_TRAY_SETTINGS, 86, 19}, {IDB_TRAY_ALERTS, 98, 19},   {IDB_TRAY_QUIET, 70, 19},
        {IDB_TRAY_QUIET_END, 86, 19}, {IDB_TRAY_QUIET_ONE_HOUR, 56, 19}, {IDB_TRAY_QUIET_TWO_HOURS, 56, 19},
        {IDB_TRAY_QUIET_MORNING, 100, 19}, {IDB_TRAY_QUIET_MANUAL, 96, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        // As a section the bitmap keeps the file's own depth instead of taking the screen's.
        auto bitmap = static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(c.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info{};
        ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, c.width);
        EXPECT_EQ(info.bmHeight, c.height);
        EXPECT_EQ(info.bmBitsPixel, 24);
        DeleteObject(bitmap);
    }
}

TEST(ResourceData, IconSoundsAndPageArePresent) {
    for (int id : {IDI_CORVANE, IDI_CORVANE_QUIET}) {
        EXPECT_FALSE(ResourceBytes(RT_GROUP_ICON, id).empty()) << id;
        for (int size : {16, 32}) {
            HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
            EXPECT_NE(icon, nullptr) << id << ", " << size << " pixels";
            if (icon) DestroyIcon(static_cast<HICON>(icon));
        }
    }
    for (int id : {IDR_SOUND_FIRST_CHOICE, IDR_SOUND_SECOND_CHOICE, IDR_SOUND_ALERT}) {
        std::string_view wave = ResourceBytes(L"WAVE", id);
        ASSERT_GT(wave.size(), 44u) << "sound " << id << " holds more than a header";
        EXPECT_EQ(wave.substr(0, 4), "RIFF");
        EXPECT_EQ(wave.substr(8, 4), "WAVE");
    }
    std::string_view page = ResourceBytes(RT_HTML, IDR_HTML_NEWSLIST);
    EXPECT_NE(page.find("oTBody0"), std::string_view::npos) << "the page holds the list body";
}

TEST(ResourceManifest, AsksForCommonControls6TheCallersRightsAndPerMonitorDpi) {
    std::string_view manifest = ResourceBytes(RT_MANIFEST, 1);
    ASSERT_FALSE(manifest.empty());
    std::string_view controls = ElementWith(manifest, "assemblyIdentity", "name=\"Microsoft.Windows.Common-Controls\"");
    EXPECT_NE(controls.find("version=\"6.0.0.0\""), std::string_view::npos) << controls;
    std::string_view level = ElementWith(manifest, "requestedExecutionLevel", "level=");
    EXPECT_NE(level.find("level=\"asInvoker\""), std::string_view::npos) << level;
    // Per-monitor v2, per-monitor where v2 is unknown, and the older element for the oldest systems.
    std::string_view dpiAware = ElementWith(manifest, "dpiAware", "xmlns=");
    EXPECT_NE(dpiAware.find("\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\""), std::string_view::npos)
        << dpiAware;
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string_view::npos);
    std::string_view dpiAwareness = ElementWith(manifest, "dpiAwareness", "xmlns=");
    EXPECT_NE(dpiAwareness.find("\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\""), std::string_view::npos)
        << dpiAwareness;
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string_view::npos);
}

TEST(ResourceManifest, TakesEffectInTheProcess) {
    // The loader reads the manifest at start: the common controls come from the side-by-side
    // assembly of version 6, not from the system folder.
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(comctl, path, MAX_PATH);
    std::wstring folder = path;
    CharLowerW(folder.data());
    EXPECT_NE(folder.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::wstring::npos) << path;
    FreeLibrary(comctl);

    // And the process runs per-monitor aware (2; v2 reports the same awareness), not unaware (0), which
    // the system would stretch as a bitmap.
    using GetContextFn = HANDLE(WINAPI*)();
    using GetAwarenessFn = int(WINAPI*)(HANDLE);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto getContext =
        reinterpret_cast<GetContextFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto getAwareness = reinterpret_cast<GetAwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    ASSERT_TRUE(getContext && getAwareness);
    EXPECT_EQ(getAwareness(getContext()), 2);
}
