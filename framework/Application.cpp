#include "framework/Application.h"

namespace fw {

namespace {
Application* theApplication = nullptr;
}  // namespace

Application::Application() { theApplication = this; }

Application::~Application() {
    if (theApplication == this) theApplication = nullptr;
}

Application* Application::Instance() { return theApplication; }

bool Application::InitInstance() {
    RegisterApplicationRestart(nullptr, 0);
    return true;
}

int Application::Run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace fw
