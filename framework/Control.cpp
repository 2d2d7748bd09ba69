#include "framework/Control.h"

namespace fw {

namespace {
// Tells our subclass apart from any other a control may carry.
constexpr UINT_PTR kSubclassId = 0x436F7276;
// The bound object, for the dialog that reflects messages to it. (The subclass holds it as well, but
// GetWindowSubclass is missing from MinGW's import library.)
constexpr const wchar_t* kObjectProperty = L"Corvane.Control";
}  // namespace

Control::~Control() { Detach(); }

bool Control::Attach(HWND control) {
    if (control && control == hwnd_) return true;
    if (const Control* bound = FromHandle(control); bound && bound != this) return false;
    Detach();
    if (!control || !SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    SetPropW(control, kObjectProperty, this);
    hwnd_ = control;
    return true;
}

void Control::Detach() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    RemovePropW(hwnd_, kObjectProperty);
    hwnd_ = nullptr;
}

Control* Control::FromHandle(HWND control) {
    return control ? static_cast<Control*>(GetPropW(control, kObjectProperty)) : nullptr;
}

LRESULT Control::DefWindowProc(UINT id, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hwnd_, id, wParam, lParam);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR object) {
    auto* self = reinterpret_cast<Control*>(object);
    if (id == WM_NCDESTROY) {
        // The last message of the window: the object lets go of it before the class cleans up.
        self->Detach();
        return DefSubclassProc(hwnd, id, wParam, lParam);
    }
    Message message{id, wParam, lParam};
    if (self->HandleMessage(message)) return message.result;
    return self->DefWindowProc(id, wParam, lParam);
}

}  // namespace fw
