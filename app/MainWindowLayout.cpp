#include "app/MainWindowLayout.h"

MainWindowLayout LayOutMainWindow(int w, int h) {
    MainWindowLayout layout;
    layout.advise = {w - 290, 2, 56, 14};
    layout.settings = {w - 225, 2, 56, 14};
    layout.homePage = {w - 120, 2, 18, 18};
    layout.about = {w - 90, 2, 18, 18};
    layout.exit = {w - 49, 2, 47, 19};
    layout.newsList = {5, 75, w - 218, h - 85};
    layout.banners = {Box{w - 204, 75, 194, 106}, Box{w - 204, 189, 194, 106}, Box{w - 204, 309, 194, 106}};
    layout.repaint = {0, 75, w, h - 20 - 75};
    layout.background = {w - kMainWindowMinWidth, 0, kMainWindowMinWidth, kMainWindowMinHeight};
    return layout;
}

std::optional<FrameHit> HitTestMainWindow(int x, int y, const Edges& c) {
    if (x >= c.right - 8 && y >= c.bottom - 8) return FrameHit::BottomRight;
    if (x <= c.left + 2 && y >= c.bottom - 2) return FrameHit::BottomLeft;
    if (x <= c.left + 2 && y <= c.top + 2) return FrameHit::TopLeft;
    if (x >= c.right - 2 && y <= c.top + 2) return FrameHit::TopRight;
    if (x <= c.left + 2) return FrameHit::Left;
    if (x >= c.right - 2) return FrameHit::Right;
    if (y <= c.top + 2) return FrameHit::Top;
    if (y >= c.bottom - 2) return FrameHit::Bottom;
    if (y <= c.top + 20) return FrameHit::Caption;
    return std::nullopt;
}
