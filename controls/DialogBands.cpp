#include "controls/DialogBands.h"

#include "controls/PictureFile.h"
#include "framework/DeviceContext.h"

namespace {

constexpr int kBandHeight = 40;

void PaintBand(HDC target, const wchar_t* picture, int top, int width) {
    fw::OffscreenDC band(target, width, kBandHeight);
    const RECT area{0, 0, width, kBandHeight};
    FillRect(band, &area, GetSysColorBrush(COLOR_3DFACE));
    DrawPictureFile(band, picture, area);
    band.CopyTo(target, 0, top);
}

}  // namespace

void PaintDialogBands(HWND dialog, const wchar_t* topPicture, const wchar_t* bottomPicture,
                      std::initializer_list<int> bottomButtonIds) {
    const fw::PaintDC paint(dialog);
    RECT client;
    GetClientRect(dialog, &client);
    const fw::ClientDC dc(dialog);
    PaintBand(dc, topPicture, 0, client.right);
    PaintBand(dc, bottomPicture, client.bottom - kBandHeight, client.right);
    for (int id : bottomButtonIds) InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
}
