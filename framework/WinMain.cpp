// The program's entry point: the one application object does the rest.
#include "framework/Application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    fw::Application* application = fw::Application::Instance();
    if (!application || !application->InitInstance()) return 0;
    return application->Run();
}
