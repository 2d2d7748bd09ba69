#pragma once
// Process services started for the length of a scope or of an owner's life.
#include <windows.h>
#include <ole2.h>

namespace fw {

// GDI+ from construction to destruction. Start-ups are counted by GDI+, so an object that keeps GDI+
// pictures can hold its own session and free them safely whenever it ends.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

// OLE on the calling thread (a single-threaded apartment), as hosting an embedded control needs;
// the user-interface thread holds one while such a control lives.
class OleSession {
public:
    OleSession() : started_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession() {
        if (started_) OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    bool Started() const { return started_; }

private:
    bool started_;
};

}  // namespace fw
