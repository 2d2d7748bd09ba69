#pragma once
// The keyword alerts dialog "关键词提醒": the rules with their two switches (启用, 声音), adding, changing
// and deleting them, a test box that shows which rule a headline would match, and the options 全屏时也提醒
// and 弹出位置 (the monitor the pop-up goes to). The rules are read
// when it opens and written only by 确定; a rule with a problem is refused with a message.
#include <cstddef>
#include <optional>
#include <vector>

#include "alerts/AlertRules.h"
#include "framework/Dialog.h"
#include "framework/StandardControls.h"
#include "popup/PopupPlacement.h"

class CAlertsDlg : public fw::Dialog {
public:
    CAlertsDlg();

    bool HandleMessage(fw::Message& message) override;

protected:
    void BindControls() override;
    bool OnInitDialog() override;

private:
    enum class Switch { On, Sound };

    void ShowPopupMonitor();
    popup::PopupMonitorChoice ChosenPopupMonitor() const;
    void AddColumns();
    void SizeRowsAndColumns();
    void SizeTextColumn();
    void ShowRules(std::optional<std::size_t> selected);
    void ShowSelection();
    void ShowTestResult();
    std::optional<std::size_t> Selected() const;
    void Select(std::size_t row);
    void Toggle(std::size_t row, Switch which);
    void Refuse(const std::wstring& message);
    void StartChanging(std::size_t row);
    std::wstring RuleBoxText() const;
    bool RuleBoxBlank() const;
    bool TakeUnaddedRule();

    void OnEnter();
    void OnAdd();
    void OnReplace();
    void OnDelete();
    void OnSwitchBox(int id);
    void OnTestChange();
    void OnConfirm();
    void OnCancelButton();
    LRESULT OnListItemChanged(NMHDR& header);
    LRESULT OnListClick(NMHDR& header);
    LRESULT OnListDoubleClick(NMHDR& header);
    LRESULT OnListKeyDown(NMHDR& header);
    LRESULT OnListCustomDraw(NMHDR& header);
    void DrawSwitches(const NMLVCUSTOMDRAW& draw);
    fw::Result OnResultColour(WPARAM wParam, LPARAM lParam);
    fw::Result OnPaint(WPARAM, LPARAM);
    fw::Result OnDpiChanged(WPARAM, LPARAM);
    fw::Result OnDpiScaled(WPARAM, LPARAM);

    std::vector<alerts::AlertRule> rules_;  // as edited, written by 确定
    bool changingSelected_ = false;         // the rule box holds the selected rule for 修改 (Enter changes it)
    bool testMatched_ = false;              // the test box's headline matches a rule
    fw::CheckBox m_on;
    fw::CheckBox m_sound;
};

// Opens the keyword alerts dialog modally over owner; true when the user saved the rules. While it is open,
// another request brings it to the front instead (and returns false).
bool OpenAlertsDialog(HWND owner);
