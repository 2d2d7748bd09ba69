#pragma once
// The settings dialog "系统配置": start with Windows, the pop-up switches and stay times, the sound, and
// the way to the keyword alerts.
// The Properties keys are read when it opens and written only by 确定; the start-with-Windows box
// changes the registration at once.
#include <array>

#include "framework/Dialog.h"
#include "framework/StandardControls.h"

class CSettingDlg : public fw::Dialog {
public:
    CSettingDlg();

    bool HandleMessage(fw::Message& message) override;

protected:
    void BindControls() override;
    bool OnInitDialog() override;

private:
    // A Properties key and the control that shows it: a check box or a list.
    struct KeyControl {
        const wchar_t* key;
        fw::CheckBox* checkBox;
        fw::ComboBox* list;
    };
    // Every key, in the order they are read and written.
    std::array<KeyControl, 11> KeyControls();

    void PutLogos(UINT dpi);
    void FillLists();
    void ReadSettings();
    void EnableListsOf(int checkBoxId);
    void OnConfirm();
    void OnClose();
    void OnStartWithWindowsClick();
    void OnSwitchClick(int checkBoxId);
    void OnAlerts();
    fw::Result OnPaint(WPARAM, LPARAM);
    fw::Result OnDpiChanged(WPARAM, LPARAM);

    fw::CheckBox m_startWithWindows;  // 1055
    fw::CheckBox m_show;              // 1054
    fw::ComboBox m_delay;             // 1057
    fw::ComboBox m_sound;             // 1056
    fw::ComboBox m_forexDelay;        // 1052
    fw::ComboBox m_goldDelay;         // 1051
    fw::CheckBox m_forexShow;         // 1029
    fw::CheckBox m_goldShow;          // 1053
    fw::CheckBox m_futuresShow;       // 1030
    fw::CheckBox m_stocksShow;        // 1061
    fw::ComboBox m_futuresDelay;      // 1060
    fw::ComboBox m_stocksDelay;       // 1059
};

// Opens the settings dialog of the process, modally: created on first use, it lives until the program
// ends. While it is open, another request brings it to the front instead of opening it again.
void OpenSettingsDialog(HWND owner);
