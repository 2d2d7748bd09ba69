#include "alerts/AlertsDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

#include "alerts/AlertStore.h"
#include "alerts/AlertsDlgValues.h"
#include "controls/DialogBands.h"
#include "framework/DeviceContext.h"
#include "framework/Dpi.h"
#include "popup/PopupPlacement.h"
#include "popup/QuietRules.h"
#include "res/resource.h"
#include "settings/NotSavedMessage.h"

namespace {

constexpr const wchar_t* kCaption = L"关键词提醒";
constexpr const wchar_t* kTestPrompt = L"在上面输入或粘贴一条标题，这里显示它匹配哪条规则、命中哪些词";

// 弹出位置's choices, in the order of the drop-down.
constexpr struct {
    popup::PopupMonitorChoice choice;
    const wchar_t* label;
} kPopupMonitors[] = {
    {popup::PopupMonitorChoice::Primary, L"主显示器"},
    {popup::PopupMonitorChoice::Mouse, L"鼠标所在显示器"},
    {popup::PopupMonitorChoice::MainWindow, L"主窗口所在显示器"},
};

// The list's columns, left to right.
enum Column { kNumberColumn, kTextColumn, kOnColumn, kSoundColumn };

// Widths in dialog units of the columns beside the rule's text, which takes the rest.
constexpr int kNumberWidth = 24;
constexpr int kSwitchWidth = 26;
// Rows a little taller than the text, so the switches are easy to hit.
constexpr int kRowHeight = 12;

// Posted to itself on WM_DPICHANGED: the dialog manager has scaled the template by the time it arrives.
constexpr UINT kDpiScaled = WM_APP + 1;

// Ample for any search terms; the file holds far longer values.
constexpr int kRuleLengthLimit = 200;

// The skin's navy for a switch that is on, a quiet grey for one that is off.
constexpr COLORREF kSwitchOnColour = RGB(0x27, 0x43, 0x6A);
constexpr COLORREF kSwitchOffColour = RGB(0xBF, 0xC7, 0xD2);
// A matching test headline reads in a warm brown, as alerts stand out warm; no match in grey.
constexpr COLORREF kMatchColour = RGB(0x9A, 0x5B, 0x00);

// A size in dialog units as pixels, for the dialog's font and DPI.
SIZE DialogUnitsToPixels(HWND dialog, int width, int height) {
    RECT rect{0, 0, width, height};
    MapDialogRect(dialog, &rect);
    return {rect.right, rect.bottom};
}

// Two thirds of the way to the list's background: a switch that counts for nothing.
COLORREF Faded(COLORREF colour) {
    const auto toward = [](int part, int background) { return static_cast<BYTE>((part + 2 * background) / 3); };
    return RGB(toward(GetRValue(colour), 0xE4), toward(GetGValue(colour), 0xE8), toward(GetBValue(colour), 0xEE));
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A pill-shaped switch centred in cell: filled and with its knob on the right when on.
void DrawSwitch(HDC dc, const RECT& cell, bool on, bool faded) {
    const int height = std::max(8, static_cast<int>(cell.bottom - cell.top) * 5 / 8);
    const int width = height * 2;
    const int left = (cell.left + cell.right - width) / 2;
    const int top = (cell.top + cell.bottom - height) / 2;
    const COLORREF plain = on ? kSwitchOnColour : kSwitchOffColour;
    const COLORREF colour = faded ? Faded(plain) : plain;
    const fw::GdiObject<HBRUSH> fill(CreateSolidBrush(colour));
    const fw::GdiObject<HPEN> edge(CreatePen(PS_SOLID, 1, colour));
    {
        const fw::SelectedObject brush(dc, fill.Get());
        const fw::SelectedObject pen(dc, edge.Get());
        RoundRect(dc, left, top, left + width, top + height, height, height);
    }
    const int knob = height - 4;
    const int knobLeft = on ? left + width - 2 - knob : left + 2;
    const fw::SelectedObject brush(dc, GetStockObject(WHITE_BRUSH));
    const fw::SelectedObject pen(dc, GetStockObject(WHITE_PEN));
    Ellipse(dc, knobLeft, top + 2, knobLeft + knob, top + 2 + knob);
}

}  // namespace

CAlertsDlg::CAlertsDlg() : fw::Dialog(IDD_ALERTS) {}

bool CAlertsDlg::HandleMessage(fw::Message& message) {
    static constexpr fw::MessageEntry<CAlertsDlg> table[] = {
        fw::OnCommand(IDOK, &CAlertsDlg::OnEnter),
        fw::OnCommand(IDC_ALERTS_ADD, &CAlertsDlg::OnAdd),
        fw::OnCommand(IDC_ALERTS_REPLACE, &CAlertsDlg::OnReplace),
        fw::OnCommand(IDC_ALERTS_DELETE, &CAlertsDlg::OnDelete),
        fw::OnCommand(IDC_ALERTS_ON, &CAlertsDlg::OnSwitchBox),
        fw::OnCommand(IDC_ALERTS_SOUND, &CAlertsDlg::OnSwitchBox),
        fw::OnCommand(IDC_ALERTS_TEST, EN_CHANGE, &CAlertsDlg::OnTestChange),
        fw::OnCommand(IDC_ALERTS_OK, &CAlertsDlg::OnConfirm),
        fw::OnCommand(IDC_ALERTS_CANCEL, &CAlertsDlg::OnCancelButton),
        fw::OnNotify(IDC_ALERTS_LIST, LVN_ITEMCHANGED, &CAlertsDlg::OnListItemChanged),
        fw::OnNotify(IDC_ALERTS_LIST, NM_CLICK, &CAlertsDlg::OnListClick),
        fw::OnNotify(IDC_ALERTS_LIST, NM_DBLCLK, &CAlertsDlg::OnListDoubleClick),
        fw::OnNotify(IDC_ALERTS_LIST, LVN_KEYDOWN, &CAlertsDlg::OnListKeyDown),
        fw::OnNotify(IDC_ALERTS_LIST, NM_CUSTOMDRAW, &CAlertsDlg::OnListCustomDraw),
        fw::OnMessage(WM_CTLCOLORSTATIC, &CAlertsDlg::OnResultColour),
        fw::OnMessage(WM_PAINT, &CAlertsDlg::OnPaint),
        fw::OnMessage(WM_DPICHANGED, &CAlertsDlg::OnDpiChanged),
        fw::OnMessage(kDpiScaled, &CAlertsDlg::OnDpiScaled),
    };
    return fw::Dispatch(*this, table, message) || fw::Dialog::HandleMessage(message);
}

void CAlertsDlg::BindControls() {
    Bind(IDC_ALERTS_ON, m_on);
    Bind(IDC_ALERTS_SOUND, m_sound);
}

bool CAlertsDlg::OnInitDialog() {
    rules_ = alerts::ReadAlertRules();
    CheckDlgButton(hwnd_, IDC_ALERTS_FULL_SCREEN, popup::ReadAlertsThroughFullScreen() ? BST_CHECKED : BST_UNCHECKED);
    ShowPopupMonitor();
    changingSelected_ = false;
    testMatched_ = false;
    SendDlgItemMessageW(hwnd_, IDC_ALERTS_RULE, EM_LIMITTEXT, kRuleLengthLimit, 0);
    AddColumns();
    ShowRules(rules_.empty() ? std::nullopt : std::optional<std::size_t>(0));
    SetFocus(GetDlgItem(hwnd_, IDC_ALERTS_RULE));
    return false;
}

void CAlertsDlg::ShowPopupMonitor() {
    HWND box = GetDlgItem(hwnd_, IDC_ALERTS_POPUP_MONITOR);
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    const popup::PopupMonitorChoice stored = popup::ReadPopupMonitor();
    for (int i = 0; i < static_cast<int>(std::size(kPopupMonitors)); ++i) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kPopupMonitors[i].label));
        if (kPopupMonitors[i].choice == stored) SendMessageW(box, CB_SETCURSEL, i, 0);
    }
}

popup::PopupMonitorChoice CAlertsDlg::ChosenPopupMonitor() const {
    const auto index = SendDlgItemMessageW(hwnd_, IDC_ALERTS_POPUP_MONITOR, CB_GETCURSEL, 0, 0);
    return index >= 0 && index < static_cast<LRESULT>(std::size(kPopupMonitors)) ? kPopupMonitors[index].choice
                                                                                 : popup::PopupMonitorChoice::Primary;
}

void CAlertsDlg::AddColumns() {
    HWND list = GetDlgItem(hwnd_, IDC_ALERTS_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const struct {
        const wchar_t* title;
        int format;
    } columns[] = {
        {L"序号", LVCFMT_LEFT},
        {L"规则", LVCFMT_LEFT},
        {L"启用", LVCFMT_CENTER},
        {L"声音", LVCFMT_CENTER},
    };
    for (int i = 0; i < 4; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.fmt = columns[i].format;
        column.pszText = const_cast<wchar_t*>(columns[i].title);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    SizeRowsAndColumns();
}

// From the dialog's units, so the list follows its font and DPI.
void CAlertsDlg::SizeRowsAndColumns() {
    HWND list = GetDlgItem(hwnd_, IDC_ALERTS_LIST);
    // The rows are as tall as the small images; the list destroys its image list with itself, and the one
    // it held before is ours to destroy.
    const HIMAGELIST rowSpacer = ImageList_Create(1, DialogUnitsToPixels(hwnd_, 0, kRowHeight).cy, ILC_COLOR, 0, 0);
    if (const auto previous = reinterpret_cast<HIMAGELIST>(
            SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rowSpacer))))
        ImageList_Destroy(previous);
    const int switchWidth = DialogUnitsToPixels(hwnd_, kSwitchWidth, 0).cx;
    SendMessageW(list, LVM_SETCOLUMNWIDTH, kNumberColumn, DialogUnitsToPixels(hwnd_, kNumberWidth, 0).cx);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, kOnColumn, switchWidth);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, kSoundColumn, switchWidth);
    SizeTextColumn();
}

// The rule's text takes the width the other columns leave, less the scroll bar when the rows need one.
void CAlertsDlg::SizeTextColumn() {
    HWND list = GetDlgItem(hwnd_, IDC_ALERTS_LIST);
    RECT client;
    GetClientRect(list, &client);
    int others = 0;
    for (const int column : {kNumberColumn, kOnColumn, kSoundColumn})
        others += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    SendMessageW(list, LVM_SETCOLUMNWIDTH, kTextColumn, std::max(0, static_cast<int>(client.right) - others));
}

void CAlertsDlg::ShowRules(std::optional<std::size_t> selected) {
    HWND list = GetDlgItem(hwnd_, IDC_ALERTS_LIST);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t row = 0; row < rules_.size(); ++row) {
        std::wstring number = std::to_wstring(row + 1);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = number.data();
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = kTextColumn;
        item.pszText = rules_[row].text.data();
        SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    SizeTextColumn();
    if (selected && !rules_.empty()) Select(std::min(*selected, rules_.size() - 1));
    ShowSelection();
    ShowTestResult();
}

std::optional<std::size_t> CAlertsDlg::Selected() const {
    const int row =
        static_cast<int>(SendDlgItemMessageW(hwnd_, IDC_ALERTS_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                             LVNI_SELECTED));
    return row >= 0 && static_cast<std::size_t>(row) < rules_.size() ? std::optional<std::size_t>(row) : std::nullopt;
}

void CAlertsDlg::Select(std::size_t row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageW(hwnd_, IDC_ALERTS_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendDlgItemMessageW(hwnd_, IDC_ALERTS_LIST, LVM_ENSUREVISIBLE, row, FALSE);
}

// The buttons and switch boxes that act on the selected rule, and the count.
void CAlertsDlg::ShowSelection() {
    const std::optional<std::size_t> row = Selected();
    for (int id : {IDC_ALERTS_REPLACE, IDC_ALERTS_DELETE, IDC_ALERTS_ON, IDC_ALERTS_SOUND})
        EnableWindow(GetDlgItem(hwnd_, id), row.has_value());
    m_on.SetCheckState(row && rules_[*row].enabled ? BST_CHECKED : BST_UNCHECKED);
    m_sound.SetCheckState(row && rules_[*row].sound ? BST_CHECKED : BST_UNCHECKED);
    const std::wstring count =
        L"共 " + std::to_wstring(rules_.size()) + L" 条，最多 " + std::to_wstring(alerts::kMaxRules) + L" 条";
    SetDlgItemTextW(hwnd_, IDC_ALERTS_COUNT, count.c_str());
}

void CAlertsDlg::ShowTestResult() {
    const alerts::TestResult result = alerts::TestHeadline(rules_, WindowText(GetDlgItem(hwnd_, IDC_ALERTS_TEST)));
    testMatched_ = result.matched;
    SetDlgItemTextW(hwnd_, IDC_ALERTS_RESULT, result.text.empty() ? kTestPrompt : result.text.c_str());
}

void CAlertsDlg::Toggle(std::size_t row, Switch which) {
    bool& value = which == Switch::On ? rules_[row].enabled : rules_[row].sound;
    value = !value;
    SendDlgItemMessageW(hwnd_, IDC_ALERTS_LIST, LVM_REDRAWITEMS, row, row);
    if (Selected() == row) ShowSelection();
    ShowTestResult();
}

void CAlertsDlg::Refuse(const std::wstring& message) {
    MessageBoxW(hwnd_, message.c_str(), kCaption, MB_OK | MB_ICONWARNING);
    // The text stays in its box, to be put right.
    HWND box = GetDlgItem(hwnd_, IDC_ALERTS_RULE);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
}

// The rule box takes the row's text, to be changed and confirmed with 修改 or Enter.
void CAlertsDlg::StartChanging(std::size_t row) {
    HWND box = GetDlgItem(hwnd_, IDC_ALERTS_RULE);
    SetWindowTextW(box, rules_[row].text.c_str());
    changingSelected_ = true;
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
}

std::wstring CAlertsDlg::RuleBoxText() const { return WindowText(GetDlgItem(hwnd_, IDC_ALERTS_RULE)); }

bool CAlertsDlg::RuleBoxBlank() const {
    return RuleBoxText().find_first_not_of(L" \t\u3000") == std::wstring::npos;
}

// Enter (the dialog has no default button) adds or changes the rule in the rule box, and nothing else:
// a rule half written is never thrown away by it.
void CAlertsDlg::OnEnter() {
    if (GetFocus() != GetDlgItem(hwnd_, IDC_ALERTS_RULE)) return;
    if (changingSelected_ && Selected())
        OnReplace();
    else
        OnAdd();
}

void CAlertsDlg::OnAdd() {
    if (const std::wstring refusal = alerts::AddRule(rules_, RuleBoxText()); !refusal.empty()) {
        Refuse(refusal);
        return;
    }
    SetDlgItemTextW(hwnd_, IDC_ALERTS_RULE, L"");
    ShowRules(rules_.size() - 1);
    changingSelected_ = false;
    SetFocus(GetDlgItem(hwnd_, IDC_ALERTS_RULE));
}

// With an empty rule box 修改 fetches the selected rule into it; otherwise the rule takes the box's text.
void CAlertsDlg::OnReplace() {
    const std::optional<std::size_t> row = Selected();
    if (!row) return;
    if (RuleBoxBlank()) {
        StartChanging(*row);
        return;
    }
    if (const std::wstring refusal = alerts::ReplaceRule(rules_, *row, RuleBoxText()); !refusal.empty()) {
        Refuse(refusal);
        return;
    }
    SetDlgItemTextW(hwnd_, IDC_ALERTS_RULE, L"");
    ShowRules(*row);
    changingSelected_ = false;
    SetFocus(GetDlgItem(hwnd_, IDC_ALERTS_LIST));
}

void CAlertsDlg::OnDelete() {
    const std::optional<std::size_t> row = Selected();
    if (!row) return;
    rules_.erase(rules_.begin() + static_cast<std::ptrdiff_t>(*row));
    changingSelected_ = false;
    ShowRules(*row);  // the next rule, or the new last one
}

void CAlertsDlg::OnSwitchBox(int id) {
    const std::optional<std::size_t> row = Selected();
    if (!row) return;
    const bool ticked = IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
    const Switch which = id == IDC_ALERTS_ON ? Switch::On : Switch::Sound;
    if ((which == Switch::On ? rules_[*row].enabled : rules_[*row].sound) != ticked) Toggle(*row, which);
}

void CAlertsDlg::OnTestChange() { ShowTestResult(); }

void CAlertsDlg::OnConfirm() {
    if (!TakeUnaddedRule()) return;
    if (!alerts::WriteAlertRules(rules_) ||
        !alerts::WriteAlertsThroughFullScreen(IsDlgButtonChecked(hwnd_, IDC_ALERTS_FULL_SCREEN) == BST_CHECKED) ||
        !popup::WritePopupMonitor(ChosenPopupMonitor())) {
        ShowNotSavedMessage(hwnd_, L"提醒规则", L"提醒规则未保存");
        return;
    }
    EndDialog(IDOK);
}

// A rule written in the box but never added would be lost without a word: the user chooses to add it (or
// change the selected rule with it), to save without it, or to go back. False when the dialog stays.
bool CAlertsDlg::TakeUnaddedRule() {
    if (RuleBoxBlank()) return true;
    const bool changing = changingSelected_ && Selected();
    const std::wstring action = changing ? L"修改" : L"添加";
    const std::wstring question = L"规则框中的内容还没有" + (changing ? L"修改到所选规则" : action) + L"：\n" +
                                  RuleBoxText() + L"\n\n要先" + action + L"再保存吗？";
    switch (MessageBoxW(hwnd_, question.c_str(), kCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES:
            if (changing)
                OnReplace();
            else
                OnAdd();
            return RuleBoxBlank();  // a refused rule stays in the box, with the message shown
        case IDNO: return true;
        default: return false;
    }
}

// 取消 ends the dialog as Esc and the close box do, the file untouched.
void CAlertsDlg::OnCancelButton() { SendMessageW(hwnd_, WM_CLOSE, 0, 0); }

LRESULT CAlertsDlg::OnListItemChanged(NMHDR& header) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED)) {
        changingSelected_ = false;
        ShowSelection();
    }
    return 0;
}

namespace {

// The row and column under the point a click on the list was made at.
LVHITTESTINFO HitCell(HWND list, POINT at) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit;
}

}  // namespace

// A click on a switch flips it; so does the second click of a double click.
LRESULT CAlertsDlg::OnListClick(NMHDR& header) {
    const LVHITTESTINFO hit = HitCell(header.hwndFrom, reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction);
    if (hit.iItem < 0 || static_cast<std::size_t>(hit.iItem) >= rules_.size()) return 0;
    if (hit.iSubItem == kOnColumn) Toggle(hit.iItem, Switch::On);
    if (hit.iSubItem == kSoundColumn) Toggle(hit.iItem, Switch::Sound);
    return 0;
}

LRESULT CAlertsDlg::OnListDoubleClick(NMHDR& header) {
    const LVHITTESTINFO hit = HitCell(header.hwndFrom, reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction);
    if (hit.iItem < 0 || static_cast<std::size_t>(hit.iItem) >= rules_.size()) return 0;
    if (hit.iSubItem == kOnColumn || hit.iSubItem == kSoundColumn)
        OnListClick(header);
    else
        StartChanging(hit.iItem);
    return 0;
}

// Space flips the selected rule's 启用, F2 fetches it for changing, Delete deletes it.
LRESULT CAlertsDlg::OnListKeyDown(NMHDR& header) {
    const std::optional<std::size_t> row = Selected();
    if (!row) return 0;
    switch (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey) {
        case VK_SPACE: Toggle(*row, Switch::On); break;
        case VK_F2: StartChanging(*row); break;
        case VK_DELETE: OnDelete(); break;
        default: break;
    }
    return 0;
}

LRESULT CAlertsDlg::OnListCustomDraw(NMHDR& header) {
    auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            // A rule that is off reads grey.
            if (draw.nmcd.dwItemSpec < rules_.size() && !rules_[draw.nmcd.dwItemSpec].enabled)
                draw.clrText = GetSysColor(COLOR_GRAYTEXT);
            return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT: DrawSwitches(draw); return CDRF_DODEFAULT;
        default: return CDRF_DODEFAULT;
    }
}

void CAlertsDlg::DrawSwitches(const NMLVCUSTOMDRAW& draw) {
    const std::size_t row = draw.nmcd.dwItemSpec;
    if (row >= rules_.size()) return;
    for (const int column : {kOnColumn, kSoundColumn}) {
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        SendMessageW(draw.nmcd.hdr.hwndFrom, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        const alerts::AlertRule& rule = rules_[row];
        // The sound switch of a rule that is off counts for nothing: it is drawn faded.
        DrawSwitch(draw.nmcd.hdc, cell, column == kOnColumn ? rule.enabled : rule.sound,
                   column == kSoundColumn && !rule.enabled);
    }
}

fw::Result CAlertsDlg::OnResultColour(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != GetDlgItem(hwnd_, IDC_ALERTS_RESULT)) return fw::Declined;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, testMatched_ ? kMatchColour : GetSysColor(COLOR_GRAYTEXT));
    SetBkColor(dc, GetSysColor(COLOR_3DFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_3DFACE));
}

fw::Result CAlertsDlg::OnPaint(WPARAM, LPARAM) {
    PaintDialogBands(hwnd_, L"alertstop.jpg", L"settingbottom.jpg",
                     {IDC_ALERTS_OK, IDC_ALERTS_CANCEL});
    return 0;
}

// The dialog manager scales the template's controls and font once the message goes on to it; the list's
// rows and columns and the bands are ours.
fw::Result CAlertsDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    fw::TakeSuggestedDpiChange(hwnd_, wParam, lParam);
    PostMessageW(hwnd_, kDpiScaled, 0, 0);
    return fw::Declined;
}

fw::Result CAlertsDlg::OnDpiScaled(WPARAM, LPARAM) {
    SizeRowsAndColumns();
    InvalidateRect(hwnd_, nullptr, TRUE);
    return 0;
}

bool OpenAlertsDialog(HWND owner) {
    // One dialog for the whole run, made on first use.
    static CAlertsDlg dialog;
    if (HWND open = dialog.Hwnd()) {
        SetForegroundWindow(open);
        return false;
    }
    return dialog.DoModal(owner) == IDOK;
}
