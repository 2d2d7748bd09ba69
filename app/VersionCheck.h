#pragma once
// The version check: once per start a background thread reads the version page from the vendor's web
// host, stores the news server's address and port it names (used from the next start on) and, when it
// names another version than the installed one, offers the download page and ends the program.

// Starts the version-check thread; nothing waits for it.
void StartVersionCheck();

// The thread's work, run on the calling thread: returns unless the version is outdated, in which case
// the process ends (exit code 0) once the user has answered the prompt.
void RunVersionCheck();
