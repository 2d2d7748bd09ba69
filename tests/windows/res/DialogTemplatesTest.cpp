// Every dialog template as compiled (styles, fonts, texts and places in dialog units, control by
// control in template order), and as the dialog manager makes windows of it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cctype>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "CorvaneVersion.h"
#include "res/resource.h"
#include "tests/windows/res/DialogTemplateReader.h"

namespace {

struct ControlRow {
    int id;
    const wchar_t* className;
    DWORD type;  // the style bits under the class's type mask
    DWORD on;    // style bits that must be set
    DWORD off;   // style bits that must be clear
    const wchar_t* text;  // as compiled: link markup for a link control, "#128" for icon 128
    int x, y, width, height;
};

struct DialogCase {
    const char* name;
    int id;
    bool child;  // made inside a host window
    DWORD on, off, exOn;
    const wchar_t* caption;
    int pointSize;
    int width, height;  // client area in dialog units
    std::vector<ControlRow> controls;
};

constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kTab = WS_TABSTOP;
constexpr DWORD kShellFont = DS_SETFONT | DS_FIXEDSYS;

void PrintTo(const DialogCase& dialog, std::ostream* out) { *out << dialog.name; }

const ControlRow kOwnerDrawn = {0, L"Button", BS_OWNERDRAW, kShown | kTab, 0, L"", 0, 0, 0, 0};

ControlRow OwnerDrawnButton(int id, const wchar_t* text, int x, int y, int width, int height) {
    ControlRow row = kOwnerDrawn;
    row.id = id;
    row.text = text;
    row.x = x, row.y = y, row.width = width, row.height = height;
    return row;
}

// The height is that of the opened list.
ControlRow Combo(int id, int x, int y, int width) {
    return {id, L"ComboBox", CBS_DROPDOWN, kShown | kTab | WS_VSCROLL, CBS_SORT, L"", x, y, width, 30};
}

ControlRow CheckBox(int id, const wchar_t* text, int x, int y, int width, int height) {
    return {id, L"Button", BS_AUTOCHECKBOX, kShown | kTab, 0, text, x, y, width, height};
}

ControlRow Label(int id, const wchar_t* text, int x, int y, int width, int height) {
    return {id, L"Static", SS_LEFT, kShown, 0, text, x, y, width, height};
}

const std::vector<DialogCase>& Dialogs() {
    static const std::vector<DialogCase> dialogs = {
        {"about box", IDD_ABOUTBOX, false, kShellFont | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_CHILD, 0,
         L"关于 Corvane", 9, 171, 87,
         {
             {IDOK, L"Button", BS_DEFPUSHBUTTON, kShown | kTab, 0, L"确定", 114, 66, 50, 14},
             {IDC_ABOUT_ICON, L"Static", SS_ICON, kShown, 0, L"#128", 12, 12, 21, 20},
             {IDC_ABOUT_VERSION, L"Static", SS_LEFT, kShown | SS_NOPREFIX, 0, L"Tessaly，" CORVANE_VERSION_WTEXT L" 版", 42, 12, 122, 8},
             {IDC_ABOUT_HOMEPAGE_LINK, L"SysLink", 0, kShown | kTab, 0,
              L"<a href=\"http://corvane.invalid/\">http://corvane.invalid/</a>", 42, 24, 122, 10},
             {IDC_ABOUT_MAKER_LINE1, L"Static", SS_LEFT, kShown, 0, L"Tessaly 财经资讯团队开发与维护。", 42, 40, 122, 8},
             {IDC_ABOUT_MAKER_LINE2, L"Static", SS_LEFT, kShown, 0, L"外汇、黄金、期货、股票即时快讯。", 42, 50, 122, 8},
         }},
        {"main window", IDD_MAIN, false, kShellFont | DS_CENTER | WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
         WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_SYSMENU, 0, L"", 9, 399, 343,
         {
             OwnerDrawnButton(IDC_TOP_ADVISE, L"", 236, 5, 26, 11),
             OwnerDrawnButton(IDC_TOP_SETTINGS, L"", 271, 5, 31, 11),
             OwnerDrawnButton(IDC_TOP_HOMEPAGE, L"", 315, 5, 15, 11),
             OwnerDrawnButton(IDC_TOP_ABOUT, L"", 335, 5, 15, 11),
             OwnerDrawnButton(IDC_TOP_EXIT, L"", 370, 6, 15, 11),
             OwnerDrawnButton(IDC_TAB_STOCKS, L" ", 11, 32, 32, 11),
             OwnerDrawnButton(IDC_TAB_FUTURES, L"", 43, 32, 32, 11),
             OwnerDrawnButton(IDC_TAB_FOREX, L"", 75, 32, 32, 11),
             OwnerDrawnButton(IDC_TAB_GOLD, L" ", 107, 32, 32, 11),
             Label(IDC_NEWSLIST_PLACEHOLDER, L"", 11, 48, 287, 243),
             {IDC_BANNER1_PLACEHOLDER, L"Static", SS_WHITEFRAME, kShown, 0, L"", 303, 46, 87, 76},
             {IDC_BANNER2_PLACEHOLDER, L"Static", SS_WHITEFRAME, kShown, 0, L"", 303, 129, 87, 75},
             {IDC_BANNER3_PLACEHOLDER, L"Static", SS_WHITEFRAME, kShown, 0, L"", 303, 211, 87, 76},
         }},
        {"pop-up window", IDD_POPUP, false, kShellFont | WS_POPUP | WS_CAPTION, WS_VISIBLE | WS_SYSMENU | WS_THICKFRAME,
         WS_EX_TOPMOST, L"讯息提示", 9, 127, 0, {}},
        {"pop-up entry", IDD_POPUP_ENTRY, true, kShellFont | WS_CHILD | WS_CLIPCHILDREN | WS_SYSMENU,
         WS_VISIBLE | WS_CAPTION, 0, L"", 8, 188, 40,
         {
             Label(IDC_ENTRY_LOGO, L"", 0, 4, 55, 18),
             {IDC_ENTRY_TITLE_LINK, L"SysLink", 0, kTab, kShown, L"<a>SysLink1</a>", 65, 5, 75, 9},
             {IDC_ENTRY_TITLE_TEXT, L"Static", SS_LEFT, SS_ENDELLIPSIS, kShown, L"短消息", 64, 16, 86, 8},
             {IDC_ENTRY_TIME, L"Static", SS_RIGHT, kShown, 0, L"", 80, 27, 94, 8},
         }},
        {"settings dialog", IDD_SETTINGS, false, kShellFont | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
         WS_CLIPCHILDREN, 0, L"系统配置", 8, 244, 225,
         {
             // No default push button: Enter with no button focused must not confirm.
             {IDC_SETTINGS_OK, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"确定", 118, 206, 50, 14},
             {IDC_SETTINGS_CLOSE, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"关闭", 182, 206, 50, 14},
             {IDC_STATIC, L"Button", BS_GROUPBOX, kShown, 0, L"启动相关", 7, 25, 232, 23},
             CheckBox(IDC_SETTINGS_START_WITH_WINDOWS, L"系统启动后自动运行", 22, 34, 88, 10),
             {IDC_STATIC, L"Button", BS_GROUPBOX, kShown, 0, L"资讯速递", 7, 50, 232, 137},
             CheckBox(IDC_SETTINGS_SHOW, L"在屏幕右下角弹出即时资讯速递讯息窗口", 22, 61, 160, 10),
             Label(IDC_STATIC, L"资讯速递讯息窗口显示", 30, 78, 81, 8),
             Combo(IDC_SETTINGS_DELAY, 129, 75, 68),
             Label(IDC_STATIC, L"讯息窗口弹出事播放声音", 30, 93, 89, 8),
             Combo(IDC_SETTINGS_SOUND, 129, 92, 68),
             Label(IDC_SETTINGS_FOREX_LOGO, L"", 27, 113, 48, 15),
             Label(IDC_STATIC, L"外汇讯息", 85, 116, 33, 8),
             Combo(IDC_SETTINGS_FOREX_DELAY, 129, 113, 48),
             CheckBox(IDC_SETTINGS_FOREX_SHOW, L"", 185, 116, 16, 10),
             Label(IDC_SETTINGS_GOLD_LOGO, L"", 27, 131, 48, 14),
             Label(IDC_STATIC, L"金市讯息", 85, 134, 33, 8),
             Combo(IDC_SETTINGS_GOLD_DELAY, 129, 132, 48),
             CheckBox(IDC_SETTINGS_GOLD_SHOW, L"", 185, 132, 16, 10),
             Label(IDC_SETTINGS_FUTURES_LOGO, L"", 28, 149, 48, 15),
             Label(IDC_STATIC, L"期货讯息", 86, 152, 33, 8),
             Combo(IDC_SETTINGS_FUTURES_DELAY, 130, 149, 48),
             CheckBox(IDC_SETTINGS_FUTURES_SHOW, L"", 186, 152, 16, 10),
             Label(IDC_SETTINGS_STOCKS_LOGO, L"", 28, 167, 48, 14),
             Label(IDC_STATIC, L"股票讯息", 86, 170, 33, 8),
             Combo(IDC_SETTINGS_STOCKS_DELAY, 130, 168, 48),
             CheckBox(IDC_SETTINGS_STOCKS_SHOW, L"", 186, 168, 16, 10),
             {IDC_SETTINGS_ALERTS, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"关键词提醒…", 12, 206, 62, 14},
         }},
        {"keyword alerts dialog", IDD_ALERTS, false, kShellFont | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
         WS_CLIPCHILDREN, 0, L"关键词提醒", 8, 300, 290,
         {
             {IDC_STATIC, L"Button", BS_GROUPBOX, kShown, 0, L"提醒规则", 7, 27, 286, 170},
             {IDC_ALERTS_RULE, L"Edit", 0, kShown | kTab | ES_AUTOHSCROLL | WS_BORDER, ES_MULTILINE, L"", 14, 40, 172, 14},
             {IDC_ALERTS_ADD, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"添加", 190, 40, 31, 14},
             {IDC_ALERTS_REPLACE, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"修改", 224, 40, 31, 14},
             {IDC_ALERTS_DELETE, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"删除", 258, 40, 31, 14},
             {IDC_ALERTS_HINT, L"Static", SS_LEFT, kShown | SS_NOPREFIX, 0,
              L"空格分隔的词都须出现；\"短语\" 按原样出现；-词 不得出现", 14, 58, 275, 8},
             {IDC_ALERTS_LIST, L"SysListView32", 0,
              kShown | kTab | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER,
              LVS_EDITLABELS, L"", 14, 70, 275, 106},
             Label(IDC_STATIC, L"所选规则：", 14, 182, 40, 8),
             CheckBox(IDC_ALERTS_ON, L"启用", 56, 181, 36, 10),
             CheckBox(IDC_ALERTS_SOUND, L"声音", 96, 181, 36, 10),
             {IDC_ALERTS_COUNT, L"Static", SS_RIGHT, kShown | SS_NOPREFIX, 0, L"", 150, 182, 139, 8},
             {IDC_STATIC, L"Button", BS_GROUPBOX, kShown, 0, L"试一试", 7, 201, 286, 46},
             {IDC_ALERTS_TEST, L"Edit", 0, kShown | kTab | ES_AUTOHSCROLL | WS_BORDER, ES_MULTILINE, L"", 14, 213, 275, 14},
             {IDC_ALERTS_RESULT, L"Static", SS_LEFT, kShown | SS_NOPREFIX | SS_ENDELLIPSIS, 0, L"", 14, 232, 275, 9},
             // No default push button: Enter confirms nothing.
             CheckBox(IDC_ALERTS_FULL_SCREEN, L"全屏时也提醒", 14, 252, 100, 10),
             Label(IDC_STATIC, L"弹出位置", 150, 253, 36, 8),
             {IDC_ALERTS_POPUP_MONITOR, L"ComboBox", CBS_DROPDOWNLIST, kShown | kTab | WS_VSCROLL, CBS_SORT, L"", 190, 250,
              99, 60},
             {IDC_ALERTS_OK, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"确定", 174, 271, 50, 14},
             {IDC_ALERTS_CANCEL, L"Button", BS_PUSHBUTTON, kShown | kTab, 0, L"取消", 238, 271, 50, 14},
         }},
        {"news list", IDD_NEWSLIST, true, kShellFont | WS_CHILD, WS_VISIBLE | WS_CAPTION, 0, L"", 8, 316, 180, {}},
    };
    return dialogs;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND CreateTemplate(int id, HWND parent) {
    // The link controls of the templates need their class registered before a dialog can hold them.
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES | ICC_LINK_CLASS | ICC_LISTVIEW_CLASSES};
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    return registered ? CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), parent, PlainDialogProc, 0)
                      : nullptr;
}

bool SameClass(const std::wstring& actual, const wchar_t* expected) {
    return CompareStringOrdinal(actual.c_str(), -1, expected, -1, TRUE) == CSTR_EQUAL;
}

DWORD TypeMask(const wchar_t* className) {
    if (SameClass(className, L"Button")) return BS_TYPEMASK;
    if (SameClass(className, L"Static")) return SS_TYPEMASK;
    if (SameClass(className, L"ComboBox")) return CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST;
    return 0;
}

std::wstring WindowText(HWND window) {
    std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Dialog units to pixels, each of the four values on its own, as the dialog manager converts them.
RECT Pixels(HWND dialog, int x, int y, int width, int height) {
    RECT rect = {x, y, width, height};
    MapDialogRect(dialog, &rect);
    return rect;
}

std::string CaseName(const ::testing::TestParamInfo<DialogCase>& info) {
    std::string name;
    for (char c : std::string(info.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class DialogTemplatesTest : public ::testing::TestWithParam<DialogCase> {};

}  // namespace

TEST_P(DialogTemplatesTest, CompilesToItsStylesFontTextsAndPlaces) {
    const DialogCase& expected = GetParam();
    std::optional<DialogTemplate> dialog = ReadDialogTemplate(expected.id);
    ASSERT_TRUE(dialog) << "no extended dialog template " << expected.id;
    EXPECT_EQ(dialog->style & expected.on, expected.on) << std::hex << dialog->style;
    EXPECT_EQ(dialog->style & expected.off, 0u) << std::hex << dialog->style;
    EXPECT_EQ(dialog->exStyle, expected.exOn) << std::hex << dialog->exStyle;
    EXPECT_EQ(dialog->caption, expected.caption);
    EXPECT_EQ(dialog->typeface, L"MS Shell Dlg");
    EXPECT_EQ(dialog->pointSize, expected.pointSize);
    EXPECT_EQ(dialog->width, expected.width);
    EXPECT_EQ(dialog->height, expected.height);

    ASSERT_EQ(dialog->items.size(), expected.controls.size());
    for (size_t i = 0; i < expected.controls.size(); ++i) {
        const TemplateItem& item = dialog->items[i];
        const ControlRow& row = expected.controls[i];
        SCOPED_TRACE(testing::Message() << "control " << i << ", id " << row.id);
        EXPECT_EQ(item.id, row.id);
        EXPECT_TRUE(SameClass(item.className, row.className)) << std::string(item.className.begin(), item.className.end());
        EXPECT_EQ(item.style & TypeMask(row.className), row.type) << std::hex << item.style;
        EXPECT_EQ(item.style & (row.on | WS_CHILD), row.on | WS_CHILD) << std::hex << item.style;
        EXPECT_EQ(item.style & row.off, 0u) << std::hex << item.style;
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.text, row.text);
        EXPECT_EQ(item.x, row.x);
        EXPECT_EQ(item.y, row.y);
        EXPECT_EQ(item.width, row.width);
        EXPECT_EQ(item.height, row.height);
    }
}

TEST_P(DialogTemplatesTest, CreatesItsWindowAndControls) {
    const DialogCase& expected = GetParam();
    HWND host = nullptr;
    if (expected.child) {
        host = CreateWindowExW(0, L"Static", L"host", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host, nullptr);
    }
    HWND dialog = CreateTemplate(expected.id, host);
    ASSERT_NE(dialog, nullptr) << "error " << GetLastError();

    DWORD style = GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_CHILD | WS_VISIBLE), expected.on & (WS_CAPTION | WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(WindowText(dialog), expected.caption);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(expected.pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);
    RECT client;
    GetClientRect(dialog, &client);
    RECT size = Pixels(dialog, 0, 0, expected.width, expected.height);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    size_t index = 0;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT), ++index) {
        if (index >= expected.controls.size()) {
            ADD_FAILURE() << "an extra control, id " << GetDlgCtrlID(control);
            break;
        }
        const ControlRow& row = expected.controls[index];
        SCOPED_TRACE(testing::Message() << "control " << index << ", id " << row.id);
        EXPECT_EQ(GetDlgCtrlID(control), row.id);
        EXPECT_TRUE(SameClass(ClassOf(control), row.className));
        DWORD controlStyle = GetWindowLongW(control, GWL_STYLE);
        EXPECT_EQ(controlStyle & TypeMask(row.className), row.type) << std::hex << controlStyle;
        EXPECT_EQ(controlStyle & WS_VISIBLE, row.on & WS_VISIBLE);
        bool plainText = !SameClass(ClassOf(control), L"SysLink") && row.text[0] != L'#';
        if (plainText) {
            EXPECT_EQ(WindowText(control), row.text);
        }
    }
    EXPECT_EQ(index, expected.controls.size()) << "controls missing";
    DestroyWindow(dialog);
    if (host) DestroyWindow(host);
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogTemplatesTest, ::testing::ValuesIn(Dialogs()), CaseName);

TEST(DialogTemplateDetails, MainWindowHasNoFrameAtAll) {
    HWND dialog = CreateTemplate(IDD_MAIN, nullptr);
    ASSERT_NE(dialog, nullptr);
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    EXPECT_EQ(window.right - window.left, client.right);
    EXPECT_EQ(window.bottom - window.top, client.bottom);
    DestroyWindow(dialog);
}

TEST(DialogTemplateDetails, AboutBoxShowsTheIconAndLinksTheHomePage) {
    HWND dialog = CreateTemplate(IDD_ABOUTBOX, nullptr);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(SendDlgItemMessageW(dialog, IDC_ABOUT_ICON, STM_GETICON, 0, 0), 0);
    LITEM item = {};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 0;
    ASSERT_TRUE(SendDlgItemMessageW(dialog, IDC_ABOUT_HOMEPAGE_LINK, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(item.szUrl, L"http://corvane.invalid/");
    DestroyWindow(dialog);
}
