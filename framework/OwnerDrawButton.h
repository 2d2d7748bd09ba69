#pragma once
// A push button with the owner-draw style that draws itself: its dialog reflects WM_DRAWITEM to it.
#include "framework/Control.h"

namespace fw {

class OwnerDrawButton : public Control {
public:
    bool HandleMessage(Message& message) override;

protected:
    // Paints the button; item carries the request's device context, rectangle and state (ODS_SELECTED while pushed).
    virtual void DrawItem(const DRAWITEMSTRUCT& item) = 0;

private:
    Result OnDrawItem(WPARAM, LPARAM lParam);
};

}  // namespace fw
