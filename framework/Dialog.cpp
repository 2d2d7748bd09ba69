#include "framework/Dialog.h"

#include <string>

#include "framework/Application.h"
#include "framework/platform/Diagnostics.h"

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
        case WM_DRAWITEM: {
            // For a menu item the field holds the menu's handle, not a window.
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.lParam);
            return item.CtlType == ODT_MENU ? nullptr : item.hwndItem;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: return reinterpret_cast<HWND>(message.lParam);
        default: return nullptr;
    }
}

HINSTANCE ProgramModule() { return GetModuleHandleW(nullptr); }

void Complain(int templateId, const std::wstring& what) {
    platform::DiagnosticLine(L"Dialog " + std::to_wstring(templateId) + L": " + what);
}

}  // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    if (!hwnd_) return;
    // Too late for a clean end: the derived class's members are gone, and child windows of theirs may
    // already have sent messages here. The window still goes, without the object.
    Complain(templateId_, L"object destroyed before its window; call Destroy first");
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (!owner) {
        const Application* application = Application::Instance();
        if (application && application->MainWindow() && application->MainWindow() != this)
            owner = application->MainWindow()->Hwnd();
    }
    if (owner) owner = GetAncestor(owner, GA_ROOT);
    if (hwnd_) {
        Complain(templateId_, L"DoModal refused: the window exists already");
        return -1;
    }

    ModalRun run;
    modalRun_ = &run;
    if (!Create(owner)) {
        modalRun_ = nullptr;
        return -1;
    }
    const HWND window = hwnd_;
    // EnableWindow answers whether the window was disabled before: an owner disabled by an outer run stays so.
    const bool ownerDisabled = owner && !EnableWindow(owner, FALSE);
    if (!run.ended && !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);

    // The run ends with EndDialog, or when the window is destroyed some other way (and with it, perhaps,
    // the object: after that only locals are touched).
    while (!run.ended && IsWindow(window)) {
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        Application::ProcessMessage(message);
    }

    if (ownerDisabled) EnableWindow(owner, TRUE);
    if (IsWindow(window)) {
        modalRun_ = nullptr;
        DestroyWindow(window);
    }
    return run.ended ? run.result : IDCANCEL;
}

bool Dialog::Create(HWND parent) {
    if (hwnd_) {
        Complain(templateId_, L"Create refused: the window exists already");
        return false;
    }
    return CreateDialogParamW(ProgramModule(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
    if (modalRun_) {
        modalRun_->ended = true;
        modalRun_->result = result;
        // Wakes the loop, which may be waiting in GetMessage when a message sent from another thread ended it.
        PostMessageW(hwnd_, WM_NULL, 0, 0);
    } else if (hwnd_) {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

void Dialog::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool Dialog::Bind(int controlId, Control& control) {
    const HWND item = GetDlgItem(hwnd_, controlId);
    const std::wstring refused = L"binding control " + std::to_wstring(controlId) + L" refused: ";
    if (!item) {
        Complain(templateId_, refused + L"no such control");
        return false;
    }
    if (const Control* bound = Control::FromHandle(item); bound && bound != &control) {
        Complain(templateId_, refused + L"another object is bound to it");
        return false;
    }
    if (!control.Attach(item)) {
        Complain(templateId_, refused + L"the control could not be subclassed");
        return false;
    }
    return true;
}

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

void Dialog::OnOk() { Close(IDOK); }

void Dialog::OnCancel() { Close(IDCANCEL); }

void Dialog::Close(INT_PTR result) {
    if (modalRun_)
        EndDialog(result);
    else if (HidesWhenClosed())
        ShowWindow(hwnd_, SW_HIDE);
    else
        Destroy();  // may delete the object (OnFinalMessage): nothing touches it afterwards
}

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
        self->modalRun_ = nullptr;  // a run whose window goes ends (with IDCANCEL)
        self->OnFinalMessage(hwnd);  // may delete the object: nothing below touches it
        return FALSE;
    }
    if (!handled) return FALSE;
    if (ReturnsResultDirectly(id)) return static_cast<INT_PTR>(message.result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, message.result);
    return TRUE;
}

}  // namespace fw
