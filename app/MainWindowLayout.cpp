#include "app/MainWindowLayout.h"

#include "controls/SkinScale.h"

namespace {

constexpr int kWidthAt96 = 600;
constexpr int kHeightAt96 = 430;

// Scales edges rather than sizes, so neighbours meet where the scaled background has its features.
class Scaler {
public:
    Scaler(int width, int dpi) : m_width(width), m_dpi(dpi) {}
    int operator()(int pixels) const { return ScaleForDpi(pixels, m_dpi); }
    // A box whose left and top are at 96 DPI from the client's top-left corner.
    Box FromLeft(int left, int top, int width, int height) const {
        return Edged((*this)(left), (*this)(top), (*this)(left + width), (*this)(top + height));
    }
    // A box whose left edge lies `fromRight` pixels (at 96 DPI) left of the client's right edge.
    Box FromRight(int fromRight, int top, int width, int height) const {
        return Edged(m_width - (*this)(fromRight), (*this)(top), m_width - (*this)(fromRight - width),
                     (*this)(top + height));
    }
    static Box Edged(int left, int top, int right, int bottom) { return {left, top, right - left, bottom - top}; }

private:
    int m_width;
    int m_dpi;
};

}  // namespace

WindowSize MainWindowMinSize(int dpi) { return {ScaleForDpi(kWidthAt96, dpi), ScaleForDpi(kHeightAt96, dpi)}; }

MainWindowLayout LayOutMainWindow(int w, int h, int dpi) {
    const Scaler s(w, dpi);
    MainWindowLayout layout;
    layout.advise = s.FromRight(290, 2, 56, 14);
    layout.settings = s.FromRight(225, 2, 56, 14);
    layout.homePage = s.FromRight(120, 2, 18, 18);
    layout.about = s.FromRight(90, 2, 18, 18);
    layout.exit = s.FromRight(49, 2, 47, 19);
    for (int i = 0; i < 4; ++i) layout.tabs[i] = s.FromLeft(19 + 56 * i, 52, 56, 20);
    layout.newsList = Scaler::Edged(s(5), s(75), w - s(213), h - s(10));
    layout.banners = {s.FromRight(204, 75, 194, 106), s.FromRight(204, 189, 194, 106), s.FromRight(204, 309, 194, 106)};
    layout.repaint = Scaler::Edged(0, s(75), w, h - s(20));
    const WindowSize picture = MainWindowMinSize(dpi);
    layout.background = {w - picture.width, 0, picture.width, picture.height};
    layout.titleLeft = s.FromLeft(0, 0, 31, 18);
    layout.titleText = s.FromLeft(31, 2, 56, 15);
    return layout;
}

std::optional<FrameHit> HitTestMainWindow(int x, int y, const Edges& c, int dpi) {
    const int edge = ScaleForDpi(2, dpi);
    const int corner = ScaleForDpi(8, dpi);
    if (x >= c.right - corner && y >= c.bottom - corner) return FrameHit::BottomRight;
    if (x <= c.left + edge && y >= c.bottom - edge) return FrameHit::BottomLeft;
    if (x <= c.left + edge && y <= c.top + edge) return FrameHit::TopLeft;
    if (x >= c.right - edge && y <= c.top + edge) return FrameHit::TopRight;
    if (x <= c.left + edge) return FrameHit::Left;
    if (x >= c.right - edge) return FrameHit::Right;
    if (y <= c.top + edge) return FrameHit::Top;
    if (y >= c.bottom - edge) return FrameHit::Bottom;
    if (y <= c.top + ScaleForDpi(20, dpi)) return FrameHit::Caption;
    return std::nullopt;
}
