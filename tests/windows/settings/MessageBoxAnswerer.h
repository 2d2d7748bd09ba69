#pragma once
// Answers the message boxes the code under test shows on this thread, and records them: a thread timer
// keeps firing inside the message box's own loop, finds the box and presses the chosen button.
#include <windows.h>

#include <string>
#include <vector>

struct ShownMessageBox {
    std::wstring caption;
    std::wstring text;
    HWND owner;
};

class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int button = IDOK) {
        current_ = this;
        button_ = button;
        timer_ = SetTimer(nullptr, 0, 50, &MessageBoxAnswerer::OnTimer);
    }
    ~MessageBoxAnswerer() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    const std::vector<ShownMessageBox>& Shown() const { return shown_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) EnumThreadWindows(GetCurrentThreadId(), &MessageBoxAnswerer::Answer, 0);
    }

    static BOOL CALLBACK Answer(HWND window, LPARAM) {
        wchar_t className[16] = {};
        GetClassNameW(window, className, 16);
        // A message box is a dialog with the static of id 0xFFFF holding its text.
        HWND textControl = GetDlgItem(window, 0xFFFF);
        if (std::wstring(className) != L"#32770" || !IsWindowVisible(window) || !textControl) return TRUE;
        for (HWND answered : current_->answered_)
            if (answered == window) return TRUE;  // answered already, still closing
        current_->answered_.push_back(window);
        current_->shown_.push_back({Text(window), Text(textControl), GetWindow(window, GW_OWNER)});
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(current_->button_, BN_CLICKED), 0);
        return TRUE;
    }

    static std::wstring Text(HWND window) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    static inline MessageBoxAnswerer* current_ = nullptr;
    int button_;
    UINT_PTR timer_;
    std::vector<ShownMessageBox> shown_;
    std::vector<HWND> answered_;
};
