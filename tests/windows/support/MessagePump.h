#pragma once
// Dispatches the thread's messages as the program's loop does (its message filters and dialog keys
// included): those waiting now, those of a while, or those until a condition holds.
#include <windows.h>

#include <functional>

void PumpPending();
void Pump(DWORD milliseconds);
// True as soon as the condition holds, checked after each batch of messages; false when the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMilliseconds);
