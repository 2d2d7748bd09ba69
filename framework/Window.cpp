#include "framework/Window.h"

#include "framework/Application.h"

namespace fw {

Window::~Window() {
    // A later modal run without an owner must not reach for a window object that is gone.
    if (Application* application = Application::Instance(); application && application->MainWindow() == this)
        application->SetMainWindow(nullptr);
}

bool Window::HandleMessage(Message&) { return false; }

void ShowDrawingNow() { MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0); }

}  // namespace fw
