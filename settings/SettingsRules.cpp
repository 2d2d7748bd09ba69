#include "SettingsRules.h"

#include <array>
#include <cstdint>
#include <span>

namespace settings {

int ParseSettingInt(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - L'0');
    return static_cast<int>(negative ? 0u - value : value);
}

std::optional<bool> ParseShowSwitch(const std::wstring& text) {
    if (text == L"0") return false;
    if (text == L"1") return true;
    return std::nullopt;
}

namespace {
constexpr std::array<unsigned, 6> kGeneralDelays = {86'400'000, 10'000, 20'000, 30'000, 40'000, 50'000};
constexpr std::array<unsigned, 9> kForexDelays = {5'000, 10'000, 20'000, 30'000, 40'000, 50'000, 60'000, 180'000, 300'000};
constexpr std::array<unsigned, 6> kCategoryDelays = {30'000, 40'000, 50'000, 60'000, 180'000, 300'000};

std::span<const unsigned> Delays(DelayList list) {
    switch (list) {
        case DelayList::General: return kGeneralDelays;
        case DelayList::Forex: return kForexDelays;
        case DelayList::Category: return kCategoryDelays;
    }
    return {};
}
}  // namespace

std::optional<unsigned> StayTimeMilliseconds(DelayList list, int index) {
    std::span<const unsigned> delays = Delays(list);
    if (index < 0 || static_cast<std::size_t>(index) >= delays.size()) return std::nullopt;
    return delays[static_cast<std::size_t>(index)];
}

int SoundResourceFor(const std::wstring& soundValue) {
    return ParseSettingInt(soundValue) != 0 ? kSoundSecond : kSoundFirst;
}

}  // namespace settings
