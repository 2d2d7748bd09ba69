#pragma once
// The "-s" command line with which the settings dialog starts an elevated copy of the program to
// change the start-with-Windows registration; any other command line starts the client.
#include <span>
#include <string>

enum class CommandLineAction {
    StartClient,
    RegisterStartWithWindows,    // "-s true"
    UnregisterStartWithWindows,  // "-s false"
    RejectValue,                 // "-s" followed by anything else
};

// The tokens come without the program name. Looked at from the first to the one before the last, the
// first "-s" decides; tokens are compared in full and with case.
CommandLineAction DecideCommandLine(std::span<const std::wstring> tokens);

// How a "-s" run ends: 0 when the change was made, -3 when it failed, -2 for a value other than
// "true" or "false".
inline constexpr int kExitStartWithWindowsChanged = 0;
inline constexpr int kExitStartWithWindowsFailed = -3;
inline constexpr int kExitStartWithWindowsBadValue = -2;
