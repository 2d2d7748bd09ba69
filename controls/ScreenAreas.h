#pragma once
// The desktop as the placement decisions see it: rectangles in screen pixels (negative left of and above
// the primary monitor) and each monitor's bounds and work area (its bounds less the taskbars on it).
#include <vector>

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool Intersects(const ScreenRect& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct MonitorArea {
    ScreenRect bounds;
    ScreenRect work;
    bool primary = false;
};

using MonitorAreas = std::vector<MonitorArea>;
