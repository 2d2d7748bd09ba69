#include "controls/DialogBands.h"

#include "controls/PictureFile.h"
#include "controls/SkinScale.h"
#include "framework/DeviceContext.h"
#include "framework/Dpi.h"

namespace {

void PaintBand(HDC target, std::wstring_view fileName, UINT dpi, int top, int width) {
    const int height = DialogBandHeight(dpi);
    fw::OffscreenDC band(target, width, height);
    const RECT area{0, 0, width, height};
    FillRect(band, &area, GetSysColorBrush(COLOR_3DFACE));
    DrawSkinPicture(band, fileName, dpi, area);
    band.CopyTo(target, 0, top);
}

}  // namespace

int DialogBandHeight(UINT dpi) { return ScaleForDpi(40, static_cast<int>(dpi)); }

void PaintDialogBands(HWND dialog, std::wstring_view topFileName, std::wstring_view bottomFileName,
                      std::initializer_list<int> bottomButtonIds) {
    const fw::PaintDC paint(dialog);
    RECT client;
    GetClientRect(dialog, &client);
    const UINT dpi = fw::WindowDpi(dialog);
    const fw::ClientDC dc(dialog);
    PaintBand(dc, topFileName, dpi, 0, client.right);
    PaintBand(dc, bottomFileName, dpi, client.bottom - DialogBandHeight(dpi), client.right);
    for (int id : bottomButtonIds) InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
}
