#pragma once
// How far the native list scrolls for a turn of the mouse wheel. Precision touchpads send many small
// deltas instead of whole notches (120): they add up, so a slow swipe scrolls as far as a fast one.
namespace newslist {

struct WheelStep {
    int scrollChange;  // pixels added to the scroll offset: negative towards the top
    int carried;       // what was left below one pixel, in units of delta × pixels per notch; pass it on
};

// One wheel message's delta (positive: away from the user, towards the top), with what the previous
// messages carried; one notch scrolls pixelsPerNotch. A turn in the other direction starts afresh.
WheelStep ScrollForWheel(int carried, int delta, int pixelsPerNotch);

}  // namespace newslist
