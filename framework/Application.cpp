#include "framework/Application.h"

#include <algorithm>

namespace fw {

namespace {
Application* theApplication = nullptr;
}  // namespace

Application::Application() { theApplication = this; }

Application::~Application() {
    if (theApplication == this) theApplication = nullptr;
}

Application* Application::Instance() { return theApplication; }

bool Application::InitInstance() {
    RegisterApplicationRestart(nullptr, 0);
    return true;
}

int Application::Run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) ProcessMessage(message);
    return static_cast<int>(message.wParam);
}

namespace {

// The top-level window a message is for, when it is a dialog (of ours or the platform's).
HWND OwningDialog(HWND target) {
    if (!target) return nullptr;
    const HWND root = GetAncestor(target, GA_ROOT);
    return root && GetClassLongPtrW(root, GCW_ATOM) == reinterpret_cast<ULONG_PTR>(WC_DIALOG) ? root : nullptr;
}

}  // namespace

void Application::ProcessMessage(MSG& message) {
    if (Application* application = Instance(); application && application->Filter(message)) return;
    if (const HWND dialog = OwningDialog(message.hwnd); dialog && IsDialogMessageW(dialog, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

bool Application::WaitProcessingMessages(HANDLE object) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            ProcessMessage(message);
        }
        // Input already in the queue wakes the wait too, not only input that arrives after it began.
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &object, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return false;
    }
}

bool Application::Filter(MSG& message) {
    ++filterWalks_;
    bool handled = false;
    // By index, from the back: filters added meanwhile are left for the next message, removed ones are null.
    for (size_t i = filters_.size(); i-- > 0 && !handled;)
        if (MessageFilter* filter = filters_[i]) handled = filter->PreTranslateMessage(message);
    if (--filterWalks_ == 0) std::erase(filters_, nullptr);
    return handled;
}

void Application::AddMessageFilter(MessageFilter& filter) {
    if (std::find(filters_.begin(), filters_.end(), &filter) == filters_.end()) filters_.push_back(&filter);
}

void Application::RemoveMessageFilter(MessageFilter& filter) {
    const auto found = std::find(filters_.begin(), filters_.end(), &filter);
    if (found == filters_.end()) return;
    if (filterWalks_ > 0)
        *found = nullptr;
    else
        filters_.erase(found);
}

bool MessageFilter::AddMessageFilter() {
    Application* application = Application::Instance();
    if (!application) return false;
    application->AddMessageFilter(*this);
    return true;
}

void MessageFilter::RemoveMessageFilter() {
    if (Application* application = Application::Instance()) application->RemoveMessageFilter(*this);
}

MessageFilter::~MessageFilter() { RemoveMessageFilter(); }

bool DirectEnterAndEscape::PreTranslateMessage(MSG& message) {
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
            break;
        default:
            return false;
    }
    if (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE) return false;
    if (!area_ || (message.hwnd != area_ && !IsChild(area_, message.hwnd))) return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
}

}  // namespace fw
