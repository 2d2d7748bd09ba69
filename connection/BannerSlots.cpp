#include "BannerSlots.h"

#include "framework/platform/Files.h"
#include "settings/SettingKeys.h"

namespace {

// "<working directory>\N.jpg". When the directory cannot be read the name alone still addresses the
// same file, since every file lives in the working directory.
std::wstring ImagePath(int slot) {
    const std::wstring name = std::to_wstring(slot) + L".jpg";
    const std::wstring directory = platform::CurrentDirectory();
    return directory.empty() ? name : directory + platform::PathSeparator() + name;
}

}  // namespace

BannerSlots::BannerSlots() {
    for (int slot = 1; slot <= kCount; ++slot) {
        slots_[static_cast<std::size_t>(slot - 1)] = {ImagePath(slot), settings::ReadBannerUrl(slot)};
    }
}

void BannerSlots::Store(std::uint32_t number, const std::wstring& link, std::span<const std::uint8_t> image) {
    if (number < 1 || number > kCount) return;
    const int slot = static_cast<int>(number);
    const std::wstring path = ImagePath(slot);
    {
        std::lock_guard lock(mutex_);
        slots_[number - 1] = {path, link};
    }
    settings::WriteBannerUrl(slot, link);
    // A failed write leaves the old image in place; the link and the notification stand on their own.
    platform::ReplaceFileAtomically(path, image);
    std::function<void()> changed;
    {
        std::lock_guard lock(mutex_);
        changed = changed_;
    }
    if (changed) changed();
}

BannerSlot BannerSlots::Slot(int slot) const {
    if (slot < 1 || slot > kCount) return {};
    std::lock_guard lock(mutex_);
    return slots_[static_cast<std::size_t>(slot - 1)];
}

void BannerSlots::SetChangedCallback(std::function<void()> callback) {
    std::lock_guard lock(mutex_);
    changed_ = std::move(callback);
}
