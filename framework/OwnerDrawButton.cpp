#include "framework/OwnerDrawButton.h"

namespace fw {

bool OwnerDrawButton::HandleMessage(Message& message) {
    static constexpr MessageEntry<OwnerDrawButton> table[] = {
        OnMessage(Reflected(WM_DRAWITEM), &OwnerDrawButton::OnDrawItem),
    };
    return Dispatch(*this, table, message) || Control::HandleMessage(message);
}

Result OwnerDrawButton::OnDrawItem(WPARAM, LPARAM lParam) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

}  // namespace fw
