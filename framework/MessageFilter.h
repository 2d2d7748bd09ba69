#pragma once
// A hook into the program's message loops: the application's loop and every modal run's (Dialog::DoModal)
// offer each message taken from the queue first to the registered filters, the most recently added first,
// then to the dialog manager's keyboard handling (IsDialogMessage of the top-level dialog the message is for,
// modal or modeless), and dispatch it when neither took it.
//
//     class CBrowserHost : public fw::MessageFilter {
//         // true: the message is handled and the loop does nothing more with it
//         bool PreTranslateMessage(MSG& message) override {
//             if (!IsKeystroke(message) || !IsInside(browserWindow_, message.hwnd)) return false;
//             return activeObject_->TranslateAccelerator(&message) == S_OK;
//         }
//     };
//     AddMessageFilter();      // once the control is there (needs the application object)
//     RemoveMessageFilter();   // when it goes; the filter's end removes it as well
//
// A filter may add or remove filters, itself included, while it runs; removed filters are not called again.
#include <windows.h>

namespace fw {

class MessageFilter {
public:
    MessageFilter(const MessageFilter&) = delete;
    MessageFilter& operator=(const MessageFilter&) = delete;

    virtual bool PreTranslateMessage(MSG& message) = 0;

    // Joins the application's chain at the front (false without an application object); leaves it.
    bool AddMessageFilter();
    void RemoveMessageFilter();

protected:
    MessageFilter() = default;
    virtual ~MessageFilter();
};

// Enter and Escape typed inside a window (or any window within it) go straight to the window they were typed
// in and never reach the dialog manager, so they never become the dialog's confirm or cancel command and
// cannot end a modal run. For a hosted control with accelerators of its own, add this filter before the
// control's own filter, which then sees the keys first.
//
//     fw::DirectEnterAndEscape keys_;      // a member of the window that hosts the control
//     keys_.SetArea(hostedWindow);  keys_.AddMessageFilter();
class DirectEnterAndEscape : public MessageFilter {
public:
    explicit DirectEnterAndEscape(HWND area = nullptr) : area_(area) {}
    void SetArea(HWND area) { area_ = area; }

    bool PreTranslateMessage(MSG& message) override;

private:
    HWND area_;
};

}  // namespace fw
