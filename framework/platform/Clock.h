#pragma once
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount: compare with unsigned differences.
std::uint32_t TickCount();

void SleepMilliseconds(unsigned milliseconds);

}  // namespace platform
