#pragma once
// The base of every window object of the framework: the window handle and the message table hook.
#include "framework/MessageTable.h"

namespace fw {

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The window, or nullptr before it exists and after it has been destroyed.
    HWND Hwnd() const { return hwnd_; }

    // Offers a message to the class's own table, then to its base class's (see MessageTable.h);
    // false sends the message on to the default processing.
    virtual bool HandleMessage(Message& message);

protected:
    Window() = default;
    // The application forgets a main window whose object ends.
    virtual ~Window();

    HWND hwnd_ = nullptr;
};

// Puts what the thread has drawn so far on screen now, before it goes on with slower work. Windows'
// compositor shows it at its next frame anyway; Wine copies a window's drawing to the screen only when the
// thread waits, and a wait that ends at once counts.
void ShowDrawingNow();

}  // namespace fw
