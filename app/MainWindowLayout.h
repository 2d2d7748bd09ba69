#pragma once
// Where the main window puts its parts for a client area of W x H pixels at a DPI, and what the mouse hits
// at a point of its frame. The window is skinned and borderless: everything right of the list follows the
// right edge, the list takes the width in between, and the frame is grabbed by thin edges and the top band.
// Every length is written for 96 DPI; at another DPI each edge is scaled, so the parts stay on the features
// of the skin's background, which is drawn at the same DPI.
#include <array>
#include <optional>

struct Box {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool Contains(int x, int y) const { return x >= left && x < left + width && y >= top && y < top + height; }
    friend bool operator==(const Box&, const Box&) = default;
};

struct WindowSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

// The window's smallest size at a DPI, which is also its size when it opens: the skin's background.
WindowSize MainWindowMinSize(int dpi);

struct MainWindowLayout {
    // Image buttons of the title area, in the order they are moved: advise (1066), set (1067),
    // help (1063), person (1064), exit (1068).
    Box advise, settings, homePage, about, exit;
    std::array<Box, 4> tabs;  // stocks, futures, forex, gold: the tab pictures' places on the background
    Box newsList;
    std::array<Box, 3> banners;  // rectangles the window paints and hit-tests itself
    Box repaint;                 // the area between the title buttons and the bottom, repainted after a move
    // The skin's background, anchored to the right edge at its own size; a wider window shows white at its left.
    Box background;
    Box titleLeft, titleText;  // the pictures at the top-left corner
};

MainWindowLayout LayOutMainWindow(int clientWidth, int clientHeight, int dpi);

// The frame as the mouse sees it, in screen coordinates: the client rectangle's edges.
struct Edges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Hit-test codes, as the platform numbers them.
enum class FrameHit {
    Caption = 2,
    Left = 10,
    Right = 11,
    Top = 12,
    TopLeft = 13,
    TopRight = 14,
    Bottom = 15,
    BottomLeft = 16,
    BottomRight = 17,
};

// Resized by its 2-pixel edges and an 8-pixel bottom-right corner, dragged by its top 20 pixels (lengths at
// 96 DPI); nullopt leaves the point to the platform (the client area and the child controls there).
std::optional<FrameHit> HitTestMainWindow(int x, int y, const Edges& client, int dpi);
