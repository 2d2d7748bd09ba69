#pragma once
// A control of a dialog bound to a member object: the object receives the control's messages first
// (through its own message table) and passes the rest to the control's window class.
#include "framework/Window.h"

namespace fw {

class Control : public Window {
public:
    Control() = default;
    ~Control() override;

    // Starts receiving the control's messages; the binding ends when the control's window is destroyed,
    // at Detach, or with the object. Refused (false) when another object is bound to the control.
    bool Attach(HWND control);
    void Detach();

    // The object bound to this control window, or nullptr.
    static Control* FromHandle(HWND control);

    // The window class's own processing of a message: what every message no table answers gets.
    virtual LRESULT DefWindowProc(UINT id, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                         DWORD_PTR object);
};

}  // namespace fw
