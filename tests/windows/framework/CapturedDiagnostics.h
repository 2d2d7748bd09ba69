#pragma once
// The diagnostic lines written while an object of this class lives, instead of the usual output.
#include <string>
#include <vector>

#include "framework/platform/Diagnostics.h"

class CapturedDiagnostics {
public:
    CapturedDiagnostics() {
        Lines().clear();
        platform::SetDiagnosticSink([](const std::wstring& text) { Lines().push_back(text); });
    }
    ~CapturedDiagnostics() { platform::SetDiagnosticSink(nullptr); }
    CapturedDiagnostics(const CapturedDiagnostics&) = delete;
    CapturedDiagnostics& operator=(const CapturedDiagnostics&) = delete;

    static std::vector<std::wstring>& Lines() {
        static std::vector<std::wstring> lines;
        return lines;
    }
    // True when exactly one line was written and it holds every one of the fragments.
    static bool OneLineWith(std::initializer_list<const wchar_t*> fragments) {
        if (Lines().size() != 1) return false;
        for (const wchar_t* fragment : fragments)
            if (Lines()[0].find(fragment) == std::wstring::npos) return false;
        return true;
    }
};
