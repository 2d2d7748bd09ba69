#pragma once
// A dialog built from a dialog template of the program's resources, run modally (DoModal) or
// modelessly (Create), top-level or as a child window.
//
// A modal run is our own loop (Application::ProcessMessage), so the message filters and the keyboard
// handling of modeless dialogs go on while it runs: the dialog is created modelessly and shown, its owner
// disabled, and at the end the owner is enabled again before the dialog is destroyed, so the owner gets the
// activation back. Runs nest: a modal dialog may run another.
//
// One dialog procedure serves every dialog: it finds the object (stored at WM_INITDIALOG, cleared at
// WM_NCDESTROY) and offers each message to the object's table. Teardown order: the class's own
// WM_DESTROY handler, then the child controls are destroyed (their bound objects let go of them),
// then WM_NCDESTROY clears the binding and OnFinalMessage runs; nothing touches the object after that,
// so OnFinalMessage may delete it.
//
// A window object outlives its window: whoever owns a Dialog object calls Destroy before the object goes
// (child dialogs and owned windows go with their parent's or owner's window; a modal run destroys its own
// window). An object that still has its window at its end writes a diagnostic line; so do a refused
// Create, DoModal and Bind.
//
// Closing a modeless dialog (Enter or Escape through the dialog manager, Alt+F4, the close box: the
// confirm and cancel commands) destroys its window, so a closed dialog keeps no timers; a class whose
// modeless window should only be hidden says so with HidesWhenClosed.
#include "framework/Control.h"

namespace fw {

class Dialog : public Window {
public:
    explicit Dialog(int templateId);
    // The owner destroys the window first (Destroy); an object that still has one destroys it without
    // the object (no OnFinalMessage) and writes a diagnostic line.
    ~Dialog() override;

    // Runs the dialog modally and returns the value given to EndDialog, or -1 when it could not be created.
    // Without an owner the application's main window owns it. A WM_QUIT arriving meanwhile ends the run
    // with IDCANCEL and is posted again for the loop outside.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modelessly; a template with WS_CHILD makes a child of parent. False when it failed
    // or the object has a window already (refused: one window per object).
    bool Create(HWND parent);
    // Ends a modal run with this result once the current message is handled (a modeless dialog is hidden).
    void EndDialog(INT_PTR result);
    // Destroys the window (and its child windows) while the whole object still lives. An owner calls it
    // before the object goes, so that no message of the teardown reaches a half-destroyed object.
    void Destroy();

    int TemplateId() const { return templateId_; }

    // WM_INITDIALOG (binding, then OnInitDialog), confirm and cancel end the dialog, and owner drawing and
    // control colours go to the bound control's object.
    bool HandleMessage(Message& message) override;

protected:
    // Binds the template's controls to their member objects, one Bind line per control.
    virtual void BindControls() {}
    // The dialog's own initialisation after binding; true gives the focus to the first control.
    virtual bool OnInitDialog() { return true; }
    // Called once the window is gone: a dialog that owns itself deletes itself here.
    virtual void OnFinalMessage(HWND) {}
    // True keeps a closed modeless dialog's window, hidden, instead of destroying it.
    virtual bool HidesWhenClosed() const { return false; }

    // Binds the template's control controlId to control. Refused, with a diagnostic line naming the id, when
    // the template has no such control or another object is bound to it already.
    bool Bind(int controlId, Control& control);

private:
    struct ModalRun {
        bool ended = false;
        INT_PTR result = IDCANCEL;
    };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam);
    Result OnInitDialogMessage(WPARAM, LPARAM);
    void OnOk();
    void OnCancel();
    void Close(INT_PTR result);
    bool ReflectToControl(Message& message);

    int templateId_;
    ModalRun* modalRun_ = nullptr;  // while DoModal runs
};

}  // namespace fw
