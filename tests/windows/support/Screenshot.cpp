#include "tests/windows/support/Screenshot.h"

#include <filesystem>
#include <vector>

#include "framework/DeviceContext.h"
#include "framework/GdiplusHeaders.h"
#include "tests/windows/support/MessagePump.h"
#include "tests/windows/support/TestFolders.h"

bool ImageEncoder(const wchar_t* mimeType, CLSID& encoder) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (bytes == 0 || Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == mimeType) {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

bool SaveAreaAsPng(HDC source, const RECT& area, const std::wstring& path) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    fw::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(source, width, height));
    {
        const fw::MemoryDC copy(source);
        const fw::SelectedObject selection(copy, bitmap.Get());
        BitBlt(copy, 0, 0, width, height, source, area.left, area.top, SRCCOPY);
    }
    Gdiplus::Bitmap picture(bitmap.Get(), nullptr);
    CLSID encoder;
    return ImageEncoder(L"image/png", encoder) && picture.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

bool SaveClientAreaAsPng(HWND hwnd, const std::wstring& path) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return SaveAreaAsPng(fw::ClientDC(hwnd), client, path);
}

bool SaveWindowAsPng(HWND hwnd, const std::wstring& path) {
    RECT area{};
    GetWindowRect(hwnd, &area);
    return SaveAreaAsPng(fw::ClientDC(nullptr), area, path);
}

bool SaveReviewScreenshot(HWND window, const wchar_t* name) {
    SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (int i = 0; i < 20; ++i) {
        PumpPending();
        Sleep(20);
    }
    const std::filesystem::path screenshots = BuildFolder() / "screenshots";
    std::filesystem::create_directories(screenshots);
    return SaveWindowAsPng(window, (screenshots / name).wstring());
}
