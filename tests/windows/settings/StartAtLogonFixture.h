#pragma once
// What the start-at-logon tests share: the Run values read and written around the code under test, and the
// second copy.
//
// The program's elevated second copy ("-s true" / "-s false") is, in these tests, the test program itself:
// its main hands such a command line to RunAsSecondCopy. The copy writes the machine's value as the program
// does, and a test steers and watches it through the environment it inherits:
// - CORVANE_TEST_SECOND_COPY_LOG: a file that gets one line per start, the wish ("true" or "false");
// - CORVANE_TEST_SECOND_COPY_FAILS: the copy ends with -3 and writes nothing;
// - CORVANE_TEST_SECOND_COPY_AWAITS: an event the copy waits for before it writes; it ends with -4 when the
//   event is not set within 10 seconds.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "settings/StartWithWindows.h"

// The exit code of a second copy, or nothing when the command line is not "-s VALUE".
inline std::optional<int> RunAsSecondCopy(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "-s") return std::nullopt;
    const std::string wish = argv[2];
    if (wish != "true" && wish != "false") return -2;
    wchar_t log[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_LOG", log, MAX_PATH) != 0)
        std::ofstream(std::filesystem::path(log), std::ios::app) << wish << '\n';
    if (GetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_FAILS", nullptr, 0) != 0) return -3;
    wchar_t awaited[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_AWAITS", awaited, MAX_PATH) != 0) {
        const HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, awaited);
        const bool set = event && WaitForSingleObject(event, 10000) == WAIT_OBJECT_0;
        if (event) CloseHandle(event);
        if (!set) return -4;
    }
    return settings::WriteRunValue(wish == "true", settings::ApplicationName()) ? 0 : -3;
}

// The starts of second copies while it lives, each with its wish.
class SecondCopyLog {
public:
    SecondCopyLog()
        : path_(std::filesystem::temp_directory_path() /
                ("corvane-second-copies-" + std::to_string(GetCurrentProcessId()) + ".log")) {
        std::filesystem::remove(path_);
        SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_LOG", path_.c_str());
    }
    ~SecondCopyLog() {
        SetEnvironmentVariableW(L"CORVANE_TEST_SECOND_COPY_LOG", nullptr);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    SecondCopyLog(const SecondCopyLog&) = delete;
    SecondCopyLog& operator=(const SecondCopyLog&) = delete;

    std::vector<std::string> Starts() const {
        std::vector<std::string> starts;
        std::ifstream in(path_);
        for (std::string line; std::getline(in, line);) starts.push_back(line);
        return starts;
    }

private:
    std::filesystem::path path_;
};

inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value's text (terminating zero included when it was stored), or nothing when it is missing.
inline std::optional<std::wstring> StoredRunData(HKEY root, const std::wstring& name, DWORD* type = nullptr) {
    HKEY run;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_QUERY_VALUE, &run) != ERROR_SUCCESS) return std::nullopt;
    DWORD storedType = 0, bytes = 0;
    std::optional<std::wstring> text;
    if (RegQueryValueExW(run, name.c_str(), nullptr, &storedType, nullptr, &bytes) == ERROR_SUCCESS) {
        text.emplace(bytes / sizeof(wchar_t), L'\0');
        RegQueryValueExW(run, name.c_str(), nullptr, &storedType, reinterpret_cast<BYTE*>(text->data()), &bytes);
        if (type) *type = storedType;
    }
    RegCloseKey(run);
    return text;
}

inline void StoreRunData(HKEY root, const std::wstring& name, const std::wstring& text) {
    HKEY run;
    if (RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &run, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(run, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(run);
}

// Removes the value, and a subkey of its name that an older registration may have left.
inline void RemoveRunData(HKEY root, const std::wstring& name) {
    HKEY run;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, &run) != ERROR_SUCCESS) return;
    RegDeleteValueW(run, name.c_str());
    RegDeleteKeyW(run, name.c_str());
    RegCloseKey(run);
}

inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// This program's values under both Run keys, named as the program names its own; removed when the object is
// made and when it ends.
class ProgramRunValues {
public:
    ProgramRunValues() { Remove(); }
    ~ProgramRunValues() { Remove(); }
    ProgramRunValues(const ProgramRunValues&) = delete;
    ProgramRunValues& operator=(const ProgramRunValues&) = delete;

    void Remove() const {
        RemoveRunData(HKEY_CURRENT_USER, name);
        RemoveRunData(HKEY_LOCAL_MACHINE, name);
    }
    std::optional<std::wstring> User() const { return StoredRunData(HKEY_CURRENT_USER, name); }
    std::optional<std::wstring> Machine() const { return StoredRunData(HKEY_LOCAL_MACHINE, name); }

    const std::wstring name = settings::ApplicationName();
    const std::wstring self = Quoted(settings::ProgramPath());  // the data that names this copy
};
