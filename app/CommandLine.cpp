#include "app/CommandLine.h"

CommandLineAction DecideCommandLine(std::span<const std::wstring> tokens) {
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i] != L"-s") continue;
        const std::wstring& value = tokens[i + 1];
        if (value == L"true") return CommandLineAction::RegisterStartWithWindows;
        if (value == L"false") return CommandLineAction::UnregisterStartWithWindows;
        return CommandLineAction::RejectValue;
    }
    return CommandLineAction::StartClient;
}
