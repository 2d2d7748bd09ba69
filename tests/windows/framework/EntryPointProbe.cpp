// A program built on the framework's entry point. Its first argument says what its start operation does:
// "decline" ends the program at once, a number posts the quit message with that exit code.
#include "framework/Application.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

class ProbeApplication : public fw::Application {
public:
    bool InitInstance() override {
        if (!Application::InitInstance()) return false;
        int count = 0;
        wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
        const std::wstring request = count > 1 ? arguments[1] : L"";
        LocalFree(arguments);
        if (request == L"decline") return false;
        PostQuitMessage(std::wcstol(request.c_str(), nullptr, 10));
        return true;
    }
};

ProbeApplication theProbe;

}  // namespace
