#pragma once
// The version check: once per start a background thread reads the version page from the vendor's web
// host, stores the news server's address and port it names (used from the next start on) and, when it
// names a newer version than the installed one, tells the main window, which prompts the user and ends
// the program through its usual closing steps.
#include <windows.h>

// Starts the version-check thread; nothing waits for it. When the page offers an update, the thread posts
// outdatedMessage to mainWindow and touches nothing else of the window; a window that is gone by then
// simply never receives it.
void StartVersionCheck(HWND mainWindow, UINT outdatedMessage);

// The thread's work, run on the calling thread: stores the page's server and port and answers whether the
// page offers an update. False also when the page cannot be had.
bool RunVersionCheck();

// The outdated-version prompt, owned by owner so it comes up in front of the program and modal to it;
// opens the home page when the user chooses OK. The caller ends the program afterwards, whichever button.
void PromptOutdatedVersion(HWND owner);
