#include "framework/Sessions.h"

#include "framework/GdiplusHeaders.h"

namespace fw {

GdiplusSession::GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;  // version 1, no callback
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace fw
