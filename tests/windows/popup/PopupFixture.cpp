#include "tests/windows/popup/PopupFixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "settings/SettingsFile.h"
#include "tests/windows/support/TestFolders.h"

const PropertyKeys kAllSwitchesOn = {{L"Show", L"1"},      {L"Fx168Show", L"1"},   {L"HexunShow", L"1"},
                                     {L"HexunGPShow", L"1"}, {L"HexunQHShow", L"1"}, {L"Sound", L"0"}};

PopupFolder::PopupFolder(const PropertyKeys& keys) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const std::filesystem::path skin = SourceFolder() / "skin";
    std::filesystem::create_directories("skin");
    for (const char* picture :
         {"quickinfotitlebar.jpg", "quickinfoborder.jpg", "quickinfoborderbottom.jpg", "quickinfobkg.jpg"})
        std::filesystem::copy_file(skin / picture, std::filesystem::path("skin") / picture);
    Write(keys);
}

void PopupFolder::Write(const PropertyKeys& keys) const {
    for (const auto& [key, value] : keys) settings::WriteString(settings::kProperties, key.c_str(), value);
}

NewsItem Item(const Guid& category, const std::wstring& title, const std::wstring& link, std::int64_t publishTime) {
    NewsItem item;
    item.category = category;
    item.title = title;
    item.link = link;
    item.publishTime = publishTime;
    return item;
}

alerts::AlertMatch Alert(const std::wstring& visibleText, std::initializer_list<std::wstring_view> words,
                         bool sound) {
    alerts::AlertMatch alert;
    alert.sound = sound;
    alert.visibleText = visibleText;
    for (std::wstring_view word : words)
        for (std::size_t at = visibleText.find(word); at != std::wstring::npos; at = visibleText.find(word, at + 1))
            alert.words.push_back({at, word.size()});
    std::sort(alert.words.begin(), alert.words.end(),
              [](const alerts::TextSpan& a, const alerts::TextSpan& b) { return a.begin < b.begin; });
    return alert;
}

void Tick(CQuickInform& popup, UINT_PTR timer) { SendMessageW(popup.Hwnd(), WM_TIMER, timer, 0); }

int Settle(CQuickInform& popup) {
    for (int ticks = 0; ticks < 500; ++ticks) {
        const RECT window = WindowRectOf(popup.Hwnd());
        const std::vector<HWND> before = EntryWindows(popup.Hwnd());
        const RECT newest = WindowRectOf(before.back());
        Tick(popup);
        const std::vector<HWND> after = EntryWindows(popup.Hwnd());
        if (Same(window, WindowRectOf(popup.Hwnd())) && before == after && Same(newest, WindowRectOf(after.back())))
            return ticks;
    }
    ADD_FAILURE() << "the motion never settles";
    return -1;
}

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

RECT WindowRectOf(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

ScopedWorkArea::ScopedWorkArea(const RECT& area) : previous_(WorkArea()) {
    RECT wanted = area;
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &wanted, 0);
}

ScopedWorkArea::~ScopedWorkArea() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &previous_, 0); }

std::vector<HWND> EntryWindows(HWND popup) {
    std::vector<HWND> entries;
    for (HWND child = GetWindow(popup, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        entries.push_back(child);
    std::sort(entries.begin(), entries.end(),
              [](HWND a, HWND b) { return WindowRectOf(a).top < WindowRectOf(b).top; });
    return entries;
}

void Click(HWND entry) {
    const LPARAM point = MAKELPARAM(30, 20);
    PostMessageW(entry, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(entry, WM_LBUTTONUP, 0, point);
    PumpPending();
}
