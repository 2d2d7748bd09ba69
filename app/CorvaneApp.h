#pragma once
// The program's application object: it makes the program's folder the current directory before any
// other code runs, prepares the process-wide services, handles the "-s" command line with which the
// settings dialog changes the start-with-Windows registration, and otherwise, as the one copy of the
// user's session, runs the main window modally: the main window's modal loop is the program's loop.
#include <string>

#include "framework/Application.h"

class CCorvaneApp : public fw::Application {
public:
    // Held by the running copy for its whole life, in the user's session: two quick starts (a double
    // double-click, the Run key and the restart registration together at sign-in) leave one copy.
    static constexpr const wchar_t* kSingleInstanceName = L"Local\\Corvane.SingleInstance";

    CCorvaneApp();
    ~CCorvaneApp() override;

    bool InitInstance() override;

    // The current directory as read back after it was set to the program's folder.
    const std::wstring& WorkingDirectory() const { return m_workingDirectory; }

private:
    // True when this process is the one copy; otherwise it brought the running copy's window back.
    bool BecomeTheOnlyCopy();

    HANDLE m_singleInstance = nullptr;
    std::wstring m_programPath;
    std::wstring m_programFolder;
    std::wstring m_workingDirectory;
};
