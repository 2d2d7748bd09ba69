#pragma once
// A dialog built from a dialog template of the program's resources, run modally (DoModal) or
// modelessly (Create), top-level or as a child window.
//
// One dialog procedure serves every dialog: it finds the object (stored at WM_INITDIALOG, cleared at
// WM_NCDESTROY) and offers each message to the object's table. Teardown order: the class's own
// WM_DESTROY handler, then the child controls are destroyed (their bound objects let go of them),
// then WM_NCDESTROY clears the binding and OnFinalMessage runs; nothing touches the object after that,
// so OnFinalMessage may delete it.
#include "framework/Control.h"

namespace fw {

class Dialog : public Window {
public:
    explicit Dialog(int templateId);
    // Destroying the object while its window exists destroys the window first (without OnFinalMessage).
    ~Dialog() override;

    // Runs the dialog modally and returns the value given to EndDialog, or -1 when it could not be created.
    // Without an owner the application's main window owns it.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modelessly; a template with WS_CHILD makes a child of parent. False when it failed.
    bool Create(HWND parent);
    // Ends a modal run with this result (a modeless dialog is hidden).
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

    bool Bind(int controlId, Control& control);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam);
    Result OnInitDialogMessage(WPARAM, LPARAM);
    void OnOk();
    void OnCancel();
    bool ReflectToControl(Message& message);

    int templateId_;
};

}  // namespace fw
