#pragma once
// The GDI+ headers with what they expect around them: IStream from objidl.h (left out by WIN32_LEAN_AND_MEAN)
// and min and max, which they take from macros that NOMINMAX switches off.
#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
