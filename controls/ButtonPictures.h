#pragma once
// Which picture the skinned buttons show, decided from their state alone.
#include <string>

// The four looks of a category tab.
enum class TabPicture { Leave, Over, Down, Selected };

// The selected tab keeps its own look whatever the pointer does; otherwise a tab under the pointer shows
// whether it is held down, and any other tab shows its resting look.
TabPicture ChooseTabPicture(bool selected, bool hover, bool pressed);

// The number N of a tab's pictures buttonN*.png, taken from the tab's control id; 0 for any other control.
int TabPictureNumber(int controlId);

// The skin file name of a tab's picture, e.g. "button4over.png".
std::wstring TabPictureFile(int pictureNumber, TabPicture picture);

// An image button's strip holds four frames side by side: 1 at rest, 2 under the pointer, 3 pushed
// (the fourth is never shown). Pushed wins over hover.
int ChooseFrame(bool pushed, bool hover);

// The width of one frame of a strip; the columns left over by the division are never shown.
constexpr int FrameWidth(int pictureWidth) { return pictureWidth / 4; }

// The left edge of frame 1, 2 or 3 in the strip.
constexpr int FrameLeft(int frame, int frameWidth) { return (frame - 1) * frameWidth; }
