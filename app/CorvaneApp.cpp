#include "app/CorvaneApp.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "app/CommandLine.h"
#include "app/CorvaneDlg.h"
#include "res/resource.h"
#include "settings/StartWithWindows.h"

namespace {

// Room for any current directory the platform hands out.
constexpr DWORD kPathCapacity = 32768;

std::wstring CurrentDirectoryText() {
    std::wstring directory(kPathCapacity, L'\0');
    const DWORD length = GetCurrentDirectoryW(kPathCapacity, directory.data());
    directory.resize(length < kPathCapacity ? length : 0);
    return directory;
}

std::vector<std::wstring> CommandLineTokens() {
    std::vector<std::wstring> tokens;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return tokens;
    for (int i = 1; i < count; ++i) tokens.emplace_back(arguments[i]);  // without the program name
    LocalFree(arguments);
    return tokens;
}

// WinSock 1.1 exactly; a library that offers another version counts as missing.
bool StartSocketsVersion11() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    if (data.wVersion == MAKEWORD(1, 1)) return true;
    WSACleanup();
    return false;
}

}  // namespace

CCorvaneApp::CCorvaneApp() {
    m_programPath = settings::ProgramPath();
    const std::size_t lastSeparator = m_programPath.rfind(L'\\');
    if (lastSeparator != std::wstring::npos) m_programFolder = m_programPath.substr(0, lastSeparator);
    // Every file of the program is opened relative to its own folder, however it was started.
    if (!m_programFolder.empty()) SetCurrentDirectoryW(m_programFolder.c_str());
    m_workingDirectory = CurrentDirectoryText();
}

bool CCorvaneApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    fw::Application::InitInstance();

    if (!StartSocketsVersion11()) {
        wchar_t text[256]{};
        LoadStringW(GetModuleHandleW(nullptr), IDS_SOCKETS_INIT_FAILED, text, 256);
        MessageBoxW(nullptr, text, settings::ApplicationName().c_str(), MB_OK);
        return false;
    }

    const CommandLineAction action = DecideCommandLine(CommandLineTokens());
    if (action == CommandLineAction::RejectValue) {
        PostQuitMessage(kExitStartWithWindowsBadValue);
        return true;
    }
    if (action != CommandLineAction::StartClient) {
        const bool changed =
            settings::WriteRunValue(action == CommandLineAction::RegisterStartWithWindows, settings::ApplicationName());
        PostQuitMessage(changed ? kExitStartWithWindowsChanged : kExitStartWithWindowsFailed);
        return true;
    }

    CCorvaneDlg mainWindow(m_workingDirectory);
    SetMainWindow(&mainWindow);
    mainWindow.DoModal();
    SetMainWindow(nullptr);
    return false;
}

