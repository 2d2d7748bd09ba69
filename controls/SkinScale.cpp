#include "controls/SkinScale.h"

int SkinScaleForDpi(int dpi) {
    if (dpi <= kBaseDpi) return 100;
    if (dpi * 2 <= kBaseDpi * 3) return 150;
    return 200;
}

int SkinSideAtDpi(int sideInFile, int scalePercent, int dpi) {
    return ScaleForDpi(UnscaleForDpi(sideInFile, scalePercent * kBaseDpi / 100), dpi);
}

std::wstring SkinPicturePath(std::wstring_view fileName, int scalePercent) {
    std::wstring path = L".\\skin\\";
    if (scalePercent != 100) path += std::to_wstring(scalePercent) + L"\\";
    path += fileName;
    return path;
}

std::wstring AtSkinScale(std::wstring_view picturePath, int scalePercent) {
    std::wstring path(picturePath);
    if (scalePercent == 100) return path;
    const std::size_t name = path.find_last_of(L"\\/");
    path.insert(name == std::wstring::npos ? 0 : name + 1, std::to_wstring(scalePercent) + L"\\");
    return path;
}
