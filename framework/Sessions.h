#pragma once
// Process services started for the length of a scope or of an owner's life.
#include <windows.h>
#include <ole2.h>

namespace fw {

// GDI+ from construction to destruction. The application object holds the program's session; start-ups are
// counted by GDI+, so a window's or a test's own session nests inside it.
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

// OLE on the calling thread (a single-threaded apartment), as hosting an embedded control needs; the
// application object holds the user-interface thread's session.
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
