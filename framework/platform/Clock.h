#pragma once
#include <cstdint>
#include <ctime>

namespace platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount: compare with unsigned differences.
std::uint32_t TickCount();

void SleepMilliseconds(unsigned milliseconds);

// Seconds since 1970-01-01 UTC as the local calendar time; false for a time the system cannot convert.
bool ToLocalTime(std::int64_t seconds, std::tm& local);

}  // namespace platform
