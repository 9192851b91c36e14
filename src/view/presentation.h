// How the game's picture is shown in its window. The game keeps its own size
// in pixels, the one chosen in the menu; the window shows that picture at a
// scale, centred, with black bars where the window's shape differs. Clicks
// come back to the game pixel under the pointer.
#pragma once

#include "core/system_screen.h"

#include <cstdint>

struct Presentation {
    int32_t gameWidth, gameHeight;     // the game's own pixels
    int32_t windowWidth, windowHeight; // the window's pixels
    double wanted; // the scale asked for
    double scale;  // the scale shown: the one asked for, or less where it does not fit
    // The picture's place in the window.
    int32_t left, top, shownWidth, shownHeight;
};

// The largest scale at which the game fits the room: `wanted` lowered to a
// whole number when at least 1 fits, else the largest scale below 1 that
// fits. A scale set by hand (`wholeOnly` false) is kept as it is when it fits.
double fittingScale(double wanted, bool wholeOnly, int32_t gameWidth, int32_t gameHeight, int32_t roomWidth,
                    int32_t roomHeight);

// Where a window for the game opens: its frame inside the usable area,
// centred, and the inside `width` by `height` showing the game at `scale`.
struct WindowPlace {
    int32_t left, top; // the frame's top left corner
    int32_t width, height;
    double scale;
};

// The window for a game of `gameWidth` by `gameHeight` at the desktop's
// scale `wanted`, or at a scale set by hand.
WindowPlace placeGameWindow(int32_t gameWidth, int32_t gameHeight, ScreenArea usable, ScreenFrame frame,
                            double wanted, bool byHand);

// The picture at `scale`, centred in the window; a scale larger than the
// window allows is lowered to what fits.
Presentation presentGame(int32_t gameWidth, int32_t gameHeight, int32_t windowWidth, int32_t windowHeight,
                         double scale);

// The game pixel under a window pixel; false on the bars around the picture.
bool windowToGame(const Presentation &shown, int32_t windowX, int32_t windowY, int32_t &gameX, int32_t &gameY);

// The window pixel at the centre of a game pixel's place in the picture.
void gameToWindow(const Presentation &shown, int32_t gameX, int32_t gameY, int32_t &windowX, int32_t &windowY);

// Whether the window is the game's pixels as they are: nothing scaled, no bars.
inline bool isActualSize(const Presentation &shown)
{
    return shown.windowWidth == shown.gameWidth && shown.windowHeight == shown.gameHeight &&
           shown.shownWidth == shown.gameWidth && shown.shownHeight == shown.gameHeight;
}
