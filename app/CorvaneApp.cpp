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

// The running copy shows its window only late in its opening, after the news list's browser control.
constexpr DWORD kRunningCopyWaitMs = 5000;
constexpr DWORD kRunningCopyPollMs = 50;

HWND RunningCopyWindow() {
    // Hidden windows count: a copy that lives in the tray is found too.
    return FindWindowW(L"#32770", CCorvaneDlg::kTitle);
}

// Waits a moment for the lock; true when it passed to this process because the copy holding it ended.
bool TakeOverLock(HANDLE lock, DWORD milliseconds) {
    if (!lock) {
        Sleep(milliseconds);
        return false;
    }
    const DWORD result = WaitForSingleObject(lock, milliseconds);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
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

CCorvaneApp::~CCorvaneApp() {
    if (m_singleInstance) CloseHandle(m_singleInstance);
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

    if (!BecomeTheOnlyCopy()) return false;

    CCorvaneDlg mainWindow(m_workingDirectory);
    SetMainWindow(&mainWindow);
    mainWindow.DoModal();
    SetMainWindow(nullptr);
    return false;
}

bool CCorvaneApp::BecomeTheOnlyCopy() {
    m_singleInstance = CreateMutexW(nullptr, TRUE, kSingleInstanceName);
    const DWORD error = GetLastError();
    // A lock made by a copy with administrator rights cannot be opened here, but it is held all the same.
    const bool heldElsewhere = m_singleInstance ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (!heldElsewhere) return true;

    const DWORD start = GetTickCount();
    while (!RunningCopyWindow() && GetTickCount() - start < kRunningCopyWaitMs)
        if (TakeOverLock(m_singleInstance, kRunningCopyPollMs)) return true;

    // On top: the running copy's window may come up after this message and would otherwise hide it.
    MessageBoxW(nullptr, L"Tessaly已经开启!", L"提醒", MB_OK | MB_ICONINFORMATION | MB_TOPMOST | MB_SETFOREGROUND);
    // Looked up again: a copy that was still opening has its window by now.
    if (HWND running = RunningCopyWindow()) {
        ShowWindow(running, SW_SHOW);
        SetForegroundWindow(running);
    }
    return false;
}
