#include "tests/windows/popup/PopupFixture.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "framework/DeviceContext.h"
#include "framework/GdiplusHeaders.h"
#include "settings/SettingsFile.h"

const PropertyKeys kAllSwitchesOn = {{L"Show", L"1"},      {L"Fx168Show", L"1"},   {L"HexunShow", L"1"},
                                     {L"HexunGPShow", L"1"}, {L"HexunQHShow", L"1"}, {L"Sound", L"0"}};

namespace {

std::wstring FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::filesystem::path(value).wstring() : std::wstring();
}

bool PngEncoder(CLSID& encoder) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (bytes == 0 || Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

std::wstring SourceDirectory() { return FromEnvironment("CORVANE_SOURCE_DIR"); }
std::wstring BuildDirectory() { return FromEnvironment("CORVANE_BUILD_DIR"); }

PopupFolder::PopupFolder(const PropertyKeys& keys) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const std::filesystem::path skin = std::filesystem::path(SourceDirectory()) / "skin";
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

void Pump(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds) {
    const DWORD start = GetTickCount();
    MSG message;
    for (;;) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMilliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

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

bool SaveWindowAsPng(HWND hwnd, const std::wstring& path) {
    const RECT rect = WindowRectOf(hwnd);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const fw::ClientDC screen(nullptr);
    fw::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, width, height));
    {
        const fw::MemoryDC copy(screen);
        const fw::SelectedObject selection(copy, bitmap.Get());
        BitBlt(copy, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    }
    Gdiplus::Bitmap picture(bitmap.Get(), nullptr);
    CLSID encoder;
    return PngEncoder(encoder) && picture.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}
