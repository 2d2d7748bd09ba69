#include "settings/SettingDlg.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "alerts/AlertsDlg.h"
#include "controls/DialogBands.h"
#include "framework/Dpi.h"
#include "framework/StaticBitmap.h"
#include "res/resource.h"
#include "settings/NotSavedMessage.h"
#include "settings/SettingDlgValues.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsFile.h"
#include "settings/StartWithWindows.h"

namespace {

// Which lists a switch enables (0: no list).
struct SwitchLists {
    int checkBoxId;
    std::array<int, 2> listIds;
};

const SwitchLists kSwitchLists[] = {
    {IDC_SETTINGS_SHOW, {IDC_SETTINGS_DELAY, IDC_SETTINGS_SOUND}},
    {IDC_SETTINGS_FOREX_SHOW, {IDC_SETTINGS_FOREX_DELAY, 0}},
    {IDC_SETTINGS_GOLD_SHOW, {IDC_SETTINGS_GOLD_DELAY, 0}},
    {IDC_SETTINGS_FUTURES_SHOW, {IDC_SETTINGS_FUTURES_DELAY, 0}},
    {IDC_SETTINGS_STOCKS_SHOW, {IDC_SETTINGS_STOCKS_DELAY, 0}},
};

const std::initializer_list<const wchar_t*> kGeneralDelays = {L"一直停留", L"10秒", L"20秒", L"30秒", L"40秒", L"50秒"};
const std::initializer_list<const wchar_t*> kSounds = {L"1.wav", L"2.wav"};
const std::initializer_list<const wchar_t*> kForexDelays = {L"5秒",  L"10秒",  L"20秒",  L"30秒", L"40秒",
                                                             L"50秒", L"1分钟", L"3分钟", L"5分钟"};
const std::initializer_list<const wchar_t*> kCategoryDelays = {L"30秒", L"40秒", L"50秒", L"1分钟", L"3分钟", L"5分钟"};

struct Logo {
    int staticId;
    int bitmapId;
};
constexpr Logo kLogos[] = {
    {IDC_SETTINGS_FOREX_LOGO, IDB_LOGO_FOREX},
    {IDC_SETTINGS_GOLD_LOGO, IDB_LOGO_GOLD},
    {IDC_SETTINGS_STOCKS_LOGO, IDB_LOGO_STOCKS},
    {IDC_SETTINGS_FUTURES_LOGO, IDB_LOGO_FUTURES},
};

}  // namespace

CSettingDlg::CSettingDlg() : fw::Dialog(IDD_SETTINGS) {}

std::array<CSettingDlg::KeyControl, 11> CSettingDlg::KeyControls() {
    return {{
        {L"Show", &m_show, nullptr},
        {L"Delay", nullptr, &m_delay},
        {L"Sound", nullptr, &m_sound},
        {L"Fx168Delay", nullptr, &m_forexDelay},
        {L"Fx168Show", &m_forexShow, nullptr},
        {L"HexunDelay", nullptr, &m_goldDelay},
        {L"HexunShow", &m_goldShow, nullptr},
        {L"HexunQHDelay", nullptr, &m_futuresDelay},
        {L"HexunQHShow", &m_futuresShow, nullptr},
        {L"HexunGPDelay", nullptr, &m_stocksDelay},
        {L"HexunGPShow", &m_stocksShow, nullptr},
    }};
}

bool CSettingDlg::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CSettingDlg> table[] = {
        fw::OnCommand(IDC_SETTINGS_OK, &CSettingDlg::OnConfirm),
        fw::OnMessage(WM_DPICHANGED, &CSettingDlg::OnDpiChanged),
        fw::OnCommand(IDC_SETTINGS_CLOSE, &CSettingDlg::OnClose),
        fw::OnCommand(IDC_SETTINGS_ALERTS, &CSettingDlg::OnAlerts),
        fw::OnCommand(IDC_SETTINGS_START_WITH_WINDOWS, &CSettingDlg::OnStartWithWindowsClick),
        fw::OnCommand(IDC_SETTINGS_SHOW, &CSettingDlg::OnSwitchClick),
        fw::OnCommand(IDC_SETTINGS_FOREX_SHOW, &CSettingDlg::OnSwitchClick),
        fw::OnCommand(IDC_SETTINGS_GOLD_SHOW, &CSettingDlg::OnSwitchClick),
        fw::OnCommand(IDC_SETTINGS_FUTURES_SHOW, &CSettingDlg::OnSwitchClick),
        fw::OnCommand(IDC_SETTINGS_STOCKS_SHOW, &CSettingDlg::OnSwitchClick),
        fw::OnMessage(WM_PAINT, &CSettingDlg::OnPaint),
    };
    return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
}

void CSettingDlg::BindControls() {
    Bind(IDC_SETTINGS_START_WITH_WINDOWS, m_startWithWindows);
    Bind(IDC_SETTINGS_SHOW, m_show);
    Bind(IDC_SETTINGS_DELAY, m_delay);
    Bind(IDC_SETTINGS_SOUND, m_sound);
    Bind(IDC_SETTINGS_FOREX_DELAY, m_forexDelay);
    Bind(IDC_SETTINGS_GOLD_DELAY, m_goldDelay);
    Bind(IDC_SETTINGS_FOREX_SHOW, m_forexShow);
    Bind(IDC_SETTINGS_GOLD_SHOW, m_goldShow);
    Bind(IDC_SETTINGS_FUTURES_SHOW, m_futuresShow);
    Bind(IDC_SETTINGS_STOCKS_SHOW, m_stocksShow);
    Bind(IDC_SETTINGS_FUTURES_DELAY, m_futuresDelay);
    Bind(IDC_SETTINGS_STOCKS_DELAY, m_stocksDelay);
}

bool CSettingDlg::OnInitDialog() {
    PutLogos(fw::WindowDpi(hwnd_));
    FillLists();
    m_startWithWindows.SetCheckState(settings::IsRunValueSet(settings::ApplicationName()) ? BST_CHECKED
                                                                                          : BST_UNCHECKED);
    ReadSettings();
    for (const SwitchLists& entry : kSwitchLists) EnableListsOf(entry.checkBoxId);
    return true;
}

void CSettingDlg::PutLogos(UINT dpi) {
    for (const Logo& logo : kLogos) {
        HWND picture = GetDlgItem(hwnd_, logo.staticId);
        const LONG style = GetWindowLongW(picture, GWL_STYLE);
        SetWindowLongW(picture, GWL_STYLE, (style & ~SS_TYPEMASK) | SS_BITMAP | SS_CENTERIMAGE);
        fw::SetStaticBitmap(picture, fw::LoadBitmapResourceForDpi(logo.bitmapId, dpi));
    }
}

void CSettingDlg::FillLists() {
    const std::pair<fw::ComboBox*, std::initializer_list<const wchar_t*>> lists[] = {
        {&m_delay, kGeneralDelays},      {&m_sound, kSounds},
        {&m_forexDelay, kForexDelays},   {&m_goldDelay, kCategoryDelays},
        {&m_futuresDelay, kCategoryDelays}, {&m_stocksDelay, kCategoryDelays},
    };
    for (const auto& [list, items] : lists)
        for (const wchar_t* item : items) list->AddItem(item);
}

void CSettingDlg::ReadSettings() {
    for (const KeyControl& entry : KeyControls()) {
        const std::wstring text = settings::ReadProperty(entry.key, settings::kNone);
        if (entry.checkBox)
            entry.checkBox->SetCheckState(settings::CheckBoxStateFromSetting(text) ? BST_CHECKED : BST_UNCHECKED);
        else
            entry.list->Select(settings::ListSelectionFromSetting(text, entry.list->ItemCount()));
    }
}

void CSettingDlg::EnableListsOf(int checkBoxId) {
    const bool ticked = IsDlgButtonChecked(hwnd_, checkBoxId) == BST_CHECKED;
    for (const SwitchLists& entry : kSwitchLists)
        if (entry.checkBoxId == checkBoxId)
            for (int listId : entry.listIds)
                if (listId != 0) EnableWindow(GetDlgItem(hwnd_, listId), ticked);
}

void CSettingDlg::OnSwitchClick(int checkBoxId) { EnableListsOf(checkBoxId); }

void CSettingDlg::OnStartWithWindowsClick() {
    const std::wstring name = settings::ApplicationName();
    settings::ApplyStartWithWindows(m_startWithWindows.IsChecked(), name, hwnd_);
    // Whatever happened, the box shows the real registration.
    m_startWithWindows.SetCheckState(settings::IsRunValueSet(name) ? BST_CHECKED : BST_UNCHECKED);
}

void CSettingDlg::OnConfirm() {
    bool saved = true;
    for (const KeyControl& entry : KeyControls()) {
        const int value = entry.checkBox ? entry.checkBox->CheckState() : entry.list->Selection();
        // A list with typed text and nothing chosen leaves its key as it was: -1 would mean "never closes".
        if (!entry.checkBox && value < 0) continue;
        saved = settings::WriteProperty(entry.key, value) && saved;
    }
    if (!saved) {
        ShowNotSavedMessage(hwnd_, L"设置", L"设置未保存");
        return;
    }
    MessageBoxW(hwnd_, L"设置已生效!", L"设置成功", MB_OK | MB_ICONINFORMATION);
    OnClose();
}

// The close request ends the dialog as cancelled, as the caption's close box does.
void CSettingDlg::OnClose() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

fw::Result CSettingDlg::OnPaint(WPARAM, LPARAM) {
    PaintDialogBands(hwnd_, L"settingtop.jpg", L"settingbottom.jpg",
                     {IDC_SETTINGS_OK, IDC_SETTINGS_CLOSE, IDC_SETTINGS_ALERTS});
    return 0;
}

// The dialog manager scales the template's controls and font itself once the message goes on to it; the
// logos and the bands are ours.
fw::Result CSettingDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    PutLogos(fw::TakeSuggestedDpiChange(hwnd_, wParam, lParam));
    InvalidateRect(hwnd_, nullptr, TRUE);
    return fw::Declined;
}

// The keyword dialog opens over this one, which waits for it.
void CSettingDlg::OnAlerts() { OpenAlertsDialog(hwnd_); }

void OpenSettingsDialog(HWND owner) {
    // One dialog for the whole run, made on first use.
    static CSettingDlg dialog;
    if (HWND open = dialog.Hwnd()) {
        SetForegroundWindow(open);
        return;
    }
    dialog.DoModal(owner);
}
