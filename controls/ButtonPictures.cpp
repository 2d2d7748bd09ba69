#include "controls/ButtonPictures.h"

#include "connection/Category.h"

TabPicture ChooseTabPicture(bool selected, bool hover, bool pressed) {
    if (selected) return TabPicture::Selected;
    if (!hover) return TabPicture::Leave;
    return pressed ? TabPicture::Down : TabPicture::Over;
}

int TabPictureNumber(int controlId) {
    for (const CategoryInfo& category : kCategories)
        if (category.tabControlId == controlId) return category.tabPicture;
    return 0;
}

std::wstring TabPictureFile(int pictureNumber, TabPicture picture) {
    static constexpr const wchar_t* kSuffixes[] = {L"leave", L"over", L"down", L"selected"};
    return L"button" + std::to_wstring(pictureNumber) + kSuffixes[static_cast<int>(picture)] + L".png";
}

int ChooseFrame(bool pushed, bool hover) {
    if (pushed) return 3;
    return hover ? 2 : 1;
}
