#pragma once
// The program's one application object. The entry point (WinMain.cpp) calls its InitInstance and, when that
// returns true, runs the message loop until WM_QUIT, whose value becomes the exit code.
//
// It holds the run's one GDI+ session and one OLE session (a single-threaded apartment on the thread that
// made it), from its construction to its end: every window, picture and hosted control of the program lives
// inside them. A window may still start and stop GDI+ of its own; start-ups are counted, so that nests.
#include <vector>

#include "framework/MessageFilter.h"
#include "framework/Sessions.h"
#include "framework/Window.h"

namespace fw {

class Application {
public:
    // The object registers itself as the program's application; there is one per process.
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Instance();

    // The start operation: false ends the program at once (exit code 0); true runs the message loop.
    // Derived classes call this base step, which asks the platform to restart the program after an
    // update or a failure and for no other recovery feature.
    virtual bool InitInstance();

    // The message loop; returns the value of WM_QUIT.
    int Run();

    // What every loop of the program does with a message it took from the queue: the message filters
    // (MessageFilter.h), then IsDialogMessage of the top-level dialog it is for, then the window itself.
    // Works without an application object too, without filters then.
    static void ProcessMessage(MSG& message);
    // Waits until a kernel object (a process, an event) is signalled while the thread's messages go on being
    // processed as above, so the windows keep painting and answering. False when the wait ended without it:
    // a WM_QUIT arrived first (it is posted again for the loop outside) or the wait failed.
    static bool WaitProcessingMessages(HANDLE object);

    // The filter chain; MessageFilter::AddMessageFilter and RemoveMessageFilter call these.
    void AddMessageFilter(MessageFilter& filter);
    void RemoveMessageFilter(MessageFilter& filter);

    // The window that owns dialogs run without an owner of their own; cleared when that window's object ends.
    Window* MainWindow() const { return mainWindow_; }
    void SetMainWindow(Window* window) { mainWindow_ = window; }

private:
    bool Filter(MSG& message);

    Window* mainWindow_ = nullptr;
    std::vector<MessageFilter*> filters_;  // run from the back; removed entries are nullptr while a walk runs
    int filterWalks_ = 0;
    GdiplusSession gdiplus_;
    OleSession ole_;
};

}  // namespace fw
