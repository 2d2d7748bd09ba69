#include "tests/windows/support/MessagePump.h"

#include "framework/Application.h"

void PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) fw::Application::ProcessMessage(message);
}

void Pump(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMilliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
