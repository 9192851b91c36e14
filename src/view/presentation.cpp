// The picture's scale and place in the window, and clicks mapped back.
#include "view/presentation.h"

#include <algorithm>
#include <cmath>

namespace {

double largestFit(int32_t gameWidth, int32_t gameHeight, int32_t roomWidth, int32_t roomHeight)
{
    return std::min(static_cast<double>(roomWidth) / gameWidth, static_cast<double>(roomHeight) / gameHeight);
}

// Window pixels of one axis back to game pixels, or -1 off the picture: the
// game pixel under the window pixel's centre, the one drawn there.
int32_t toGameAxis(int32_t windowAt, int32_t start, int32_t shownLength, int32_t gameLength)
{
    const int64_t into = static_cast<int64_t>(windowAt) - start;
    if (into < 0 || into >= shownLength)
        return -1;
    return static_cast<int32_t>((2 * into + 1) * gameLength / (2 * static_cast<int64_t>(shownLength)));
}

int32_t toWindowAxis(int32_t gameAt, int32_t start, int32_t shownLength, int32_t gameLength)
{
    return start + static_cast<int32_t>((2 * static_cast<int64_t>(gameAt) + 1) * shownLength / (2 * gameLength));
}

} // namespace

double fittingScale(double wanted, bool wholeOnly, int32_t gameWidth, int32_t gameHeight, int32_t roomWidth,
                    int32_t roomHeight)
{
    const double most = largestFit(gameWidth, gameHeight, roomWidth, roomHeight);
    if (!wholeOnly)
        return std::min(wanted, most);
    if (most < 1)
        return most;
    return std::max(1.0, std::floor(std::min(wanted, most)));
}

WindowPlace placeGameWindow(int32_t gameWidth, int32_t gameHeight, ScreenArea usable, ScreenFrame frame,
                            double wanted, bool byHand)
{
    const int32_t frameWidth = frame.left + frame.right, frameHeight = frame.top + frame.bottom;
    const double scale =
        fittingScale(wanted, !byHand, gameWidth, gameHeight, usable.width - frameWidth, usable.height - frameHeight);
    const int32_t width = static_cast<int32_t>(std::lround(gameWidth * scale));
    const int32_t height = static_cast<int32_t>(std::lround(gameHeight * scale));
    return {usable.left + (usable.width - width - frameWidth) / 2, usable.top + (usable.height - height - frameHeight) / 2,
            width, height, scale};
}

Presentation presentGame(int32_t gameWidth, int32_t gameHeight, int32_t windowWidth, int32_t windowHeight,
                         double scale)
{
    const double shownScale = std::min(scale, largestFit(gameWidth, gameHeight, windowWidth, windowHeight));
    // A whole scale gives whole pixels as it is; only a fraction is rounded.
    const int32_t shownWidth = std::min(windowWidth, static_cast<int32_t>(std::lround(gameWidth * shownScale)));
    const int32_t shownHeight = std::min(windowHeight, static_cast<int32_t>(std::lround(gameHeight * shownScale)));
    return {gameWidth,  gameHeight, windowWidth, windowHeight, scale, shownScale, (windowWidth - shownWidth) / 2,
            (windowHeight - shownHeight) / 2, shownWidth, shownHeight};
}

bool windowToGame(const Presentation &shown, int32_t windowX, int32_t windowY, int32_t &gameX, int32_t &gameY)
{
    const int32_t x = toGameAxis(windowX, shown.left, shown.shownWidth, shown.gameWidth);
    const int32_t y = toGameAxis(windowY, shown.top, shown.shownHeight, shown.gameHeight);
    if (x < 0 || y < 0)
        return false;
    gameX = x;
    gameY = y;
    return true;
}

void gameToWindow(const Presentation &shown, int32_t gameX, int32_t gameY, int32_t &windowX, int32_t &windowY)
{
    windowX = toWindowAxis(gameX, shown.left, shown.shownWidth, shown.gameWidth);
    windowY = toWindowAxis(gameY, shown.top, shown.shownHeight, shown.gameHeight);
}
