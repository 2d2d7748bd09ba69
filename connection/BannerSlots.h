#pragma once
// The three advertisement banners the server pushes: image files 1.jpg to 3.jpg in the working directory
// and links kept in Setting.ini (url1 to url3), so the next start shows the last banners received.
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>

struct BannerSlot {
    std::wstring imagePath;  // working directory + "\N.jpg"; the file may not exist
    std::wstring url;        // empty when none is known
};

class BannerSlots {
public:
    static constexpr int kCount = 3;

    // Builds the slots from the working directory and the url1..url3 keys.
    BannerSlots();

    // Receive thread: stores slot 1..3 (others are ignored), writes the key and the image, then notifies.
    void Store(std::uint32_t slot, const std::wstring& link, std::span<const std::uint8_t> image);

    // A copy of slot 1..3, safe to take while the receive thread stores.
    BannerSlot Slot(int slot) const;

    // Called on the receive thread after a slot changed; the main window posts WM_BANNER_CHANGED from it.
    void SetChangedCallback(std::function<void()> callback);

private:
    mutable std::mutex mutex_;  // guards the texts and the callback; never held with another lock
    std::array<BannerSlot, kCount> slots_;
    std::function<void()> changed_;
};
