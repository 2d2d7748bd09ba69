#include "framework/Dialog.h"

#include "framework/Application.h"

namespace fw {

namespace {

// Messages whose result a dialog procedure returns itself; every other result goes through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT id) {
    switch (id) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

// The control a reflected message concerns, or nullptr when the message is not reflected.
HWND ReflectedControl(const Message& message) {
    switch (message.id) {
        case WM_DRAWITEM: return reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam)->hwndItem;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: return reinterpret_cast<HWND>(message.lParam);
        default: return nullptr;
    }
}

HINSTANCE ProgramModule() { return GetModuleHandleW(nullptr); }

}  // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (!owner) {
        const Application* application = Application::Instance();
        if (application && application->MainWindow() && application->MainWindow() != this)
            owner = application->MainWindow()->Hwnd();
    }
    return DialogBoxParamW(ProgramModule(), MAKEINTRESOURCEW(templateId_), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HWND parent) {
    return CreateDialogParamW(ProgramModule(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

void Dialog::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool Dialog::Bind(int controlId, Control& control) { return control.Attach(GetDlgItem(hwnd_, controlId)); }

bool Dialog::HandleMessage(Message& message) {
    static constexpr MessageEntry<Dialog> table[] = {
        OnMessage(WM_INITDIALOG, &Dialog::OnInitDialogMessage),
        OnCommand(IDOK, &Dialog::OnOk),
        OnCommand(IDCANCEL, &Dialog::OnCancel),
    };
    return Dispatch(*this, table, message) || ReflectToControl(message);
}

Result Dialog::OnInitDialogMessage(WPARAM, LPARAM) {
    BindControls();
    return OnInitDialog() ? TRUE : FALSE;
}

void Dialog::OnOk() { EndDialog(IDOK); }

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::ReflectToControl(Message& message) {
    Control* control = Control::FromHandle(ReflectedControl(message));
    if (!control) return false;
    Message reflected{Reflected(message.id), message.wParam, message.lParam};
    if (!control->HandleMessage(reflected)) return false;
    message.result = reflected.result;
    return true;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
    if (id == WM_INITDIALOG) {
        auto* opening = reinterpret_cast<Dialog*>(lParam);
        opening->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;  // the messages before WM_INITDIALOG get the dialog manager's defaults

    Message message{id, wParam, lParam};
    const bool handled = self->HandleMessage(message);
    if (id == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        self->OnFinalMessage(hwnd);  // may delete the object: nothing below touches it
        return FALSE;
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(id)) return static_cast<INT_PTR>(message.result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, message.result);
    return TRUE;
}

}  // namespace fw
