#pragma once
#include <string>

namespace platform {

// A line for the developer, never for the user: the debugger's output channel on Windows, standard error elsewhere.
void DiagnosticLine(const std::wstring& text);

}  // namespace platform
