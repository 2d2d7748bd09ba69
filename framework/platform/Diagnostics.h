#pragma once
#include <string>

namespace platform {

// A line for the developer, never for the user: the debugger's output channel on Windows, standard error elsewhere.
void DiagnosticLine(const std::wstring& text);

// Tests capture diagnostic lines through a sink of their own; nullptr restores the usual output.
using DiagnosticSink = void (*)(const std::wstring& text);
void SetDiagnosticSink(DiagnosticSink sink);

}  // namespace platform
