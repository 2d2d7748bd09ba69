#include "newslist/WheelScroll.h"

namespace newslist {

namespace {
constexpr int kNotch = 120;  // WHEEL_DELTA
}

WheelStep ScrollForWheel(int carried, int delta, int pixelsPerNotch) {
    if ((carried > 0 && delta < 0) || (carried < 0 && delta > 0)) carried = 0;
    const long long total = carried + static_cast<long long>(delta) * pixelsPerNotch;
    return {static_cast<int>(-(total / kNotch)), static_cast<int>(total % kNotch)};
}

}  // namespace newslist
