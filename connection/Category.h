#pragma once
// The four news categories and the places that use them: tab, tab picture, settings keys, entry picture.
#include <array>
#include <string_view>

#include "Guid.h"

struct CategoryInfo {
    const char* name;              // "stocks", "futures", "forex", "gold"
    Guid guid;
    int tabControlId;              // main window tab button
    int tabPicture;                // N in skin\buttonN*.png
    const wchar_t* settingsPrefix; // prefix of the ...Show / ...Delay keys in [Properties]
    int entryBitmap;               // bitmap resource of a pop-up entry
};

// In the order the tabs stand, left to right.
inline constexpr std::array<CategoryInfo, 4> kCategories = {{
    {"stocks", MakeGuid(0xDC5FD1BC, 0x1931, 0x4D16, {0x8C, 0x5C, 0x5B, 0x82, 0x04, 0x8E, 0x21, 0x22}), 1042, 4, L"HexunGP", 172},
    {"futures", MakeGuid(0x03CE3ED5, 0xD2F8, 0x4AB9, {0xA4, 0xA8, 0x34, 0xBE, 0x85, 0x99, 0x9E, 0xA6}), 1041, 3, L"HexunQH", 171},
    {"forex", MakeGuid(0xD6FCF10A, 0x8669, 0x4DEA, {0x9F, 0x5F, 0x06, 0x2D, 0x85, 0x56, 0x54, 0x83}), 1040, 2, L"Fx168", 157},
    {"gold", MakeGuid(0xB29E67E0, 0x74C5, 0x4A08, {0xAB, 0x24, 0xEB, 0x85, 0x15, 0x01, 0x8C, 0x0E}), 1039, 1, L"Hexun", 159},
}};

inline constexpr const CategoryInfo& kStocks = kCategories[0];
inline constexpr const CategoryInfo& kFutures = kCategories[1];
inline constexpr const CategoryInfo& kForex = kCategories[2];
inline constexpr const CategoryInfo& kGold = kCategories[3];

// Bitmap of a pop-up entry whose category is none of the four.
inline constexpr int kOtherCategoryBitmap = 158;

// The category with this GUID, or nullptr for the null GUID and any unknown one.
inline const CategoryInfo* FindCategory(const Guid& guid) {
    for (const CategoryInfo& category : kCategories)
        if (category.guid == guid) return &category;
    return nullptr;
}

// The category with this name ("stocks", "futures", "forex", "gold"), or nullptr.
inline const CategoryInfo* FindCategoryNamed(std::string_view name) {
    for (const CategoryInfo& category : kCategories)
        if (name == category.name) return &category;
    return nullptr;
}

// The category a news frame is queued with. While a history loads, its items carry the null category; a
// frame of one of the other three categories that arrives meanwhile is a live flash of its own category,
// never part of that history. The requested category's GUID, the null GUID and unknown GUIDs stay history.
inline Guid QueuedCategory(const Guid& frameCategory, const Guid& requested, bool historyLoading) {
    if (!historyLoading) return frameCategory;
    const bool otherKnownCategory = FindCategory(frameCategory) != nullptr && frameCategory != requested;
    return otherKnownCategory ? frameCategory : Guid{};
}
