#pragma once
// The program's application object: it makes the program's folder the current directory before any
// other code runs, prepares the process-wide services, handles the "-s" command line with which the
// settings dialog changes the start-with-Windows registration, and otherwise runs the main window
// modally: the main window's modal loop is the program's loop.
#include <string>

#include "framework/Application.h"

class CCorvaneApp : public fw::Application {
public:
    CCorvaneApp();

    bool InitInstance() override;

    // The current directory as read back after it was set to the program's folder.
    const std::wstring& WorkingDirectory() const { return m_workingDirectory; }

private:
    std::wstring m_programPath;
    std::wstring m_programFolder;
    std::wstring m_workingDirectory;
};
