#include "settings/NotSavedMessage.h"

#include <string>

#include "settings/SettingsFile.h"

namespace {

// The settings file's full path; its relative name when the platform cannot tell.
std::wstring SettingsFileFullPath() {
    wchar_t path[MAX_PATH]{};
    const DWORD length = GetFullPathNameW(settings::kSettingsFile, MAX_PATH, path, nullptr);
    return length > 0 && length < MAX_PATH ? path : settings::kSettingsFile;
}

}  // namespace

void ShowNotSavedMessage(HWND owner, const wchar_t* what, const wchar_t* caption) {
    const std::wstring text = std::wstring(what) + L"未能保存：无法写入文件\n" + SettingsFileFullPath() +
                              L"\n\n请确认该文件夹可以写入，或将程序复制到可写入的文件夹后再试。";
    MessageBoxW(owner, text.c_str(), caption, MB_OK | MB_ICONERROR);
}
