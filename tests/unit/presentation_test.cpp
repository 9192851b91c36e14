// The picture's scale in its window and clicks mapped back to game pixels.
#include "view/presentation.h"

#include <gtest/gtest.h>

namespace {

// Every game pixel's centre comes back to that pixel at a scale of 1 or more;
// the bars around the picture are refused on every side.
void expectRoundTripsAndBars(const Presentation &shown)
{
    for (int32_t y = 0; y < shown.gameHeight; y += 7)
        for (int32_t x = 0; x < shown.gameWidth; x += 7) {
            int32_t windowX, windowY, backX = -1, backY = -1;
            gameToWindow(shown, x, y, windowX, windowY);
            ASSERT_TRUE(windowToGame(shown, windowX, windowY, backX, backY)) << x << "," << y;
            ASSERT_EQ(backX, x);
            ASSERT_EQ(backY, y);
        }
    int32_t x, y;
    const int32_t right = shown.left + shown.shownWidth, bottom = shown.top + shown.shownHeight;
    EXPECT_TRUE(windowToGame(shown, right - 1, bottom - 1, x, y));
    EXPECT_EQ(x, shown.gameWidth - 1);
    EXPECT_EQ(y, shown.gameHeight - 1);
    EXPECT_FALSE(windowToGame(shown, shown.left - 1, shown.top, x, y));
    EXPECT_FALSE(windowToGame(shown, right, shown.top, x, y));
    EXPECT_FALSE(windowToGame(shown, shown.left, shown.top - 1, x, y));
    EXPECT_FALSE(windowToGame(shown, shown.left, bottom, x, y));
}

TEST(Presentation, WholeScalesShowEveryGamePixelAsASquareOfWindowPixels)
{
    EXPECT_TRUE(isActualSize(presentGame(1440, 900, 1440, 900, 1)));

    const Presentation twice = presentGame(1200, 700, 2560, 1440, 2);
    EXPECT_EQ(twice.left, 80);
    int32_t x, y;
    // A block of the game is 20 window pixels: both ends of it are that block.
    ASSERT_TRUE(windowToGame(twice, 80 + 20 * 3, 20 + 20 * 5 + 19, x, y));
    EXPECT_EQ(x / 10, 3);
    EXPECT_EQ(y / 10, 5);
    expectRoundTripsAndBars(twice);
    expectRoundTripsAndBars(presentGame(1200, 700, 3840, 2160, 3));
}

TEST(Presentation, FractionalScalesMapEveryWindowPixelInsideThePicture)
{
    expectRoundTripsAndBars(presentGame(1200, 700, 1800, 1050, 1.5));

    // Below 1 several game pixels share a window pixel: each window pixel
    // still lands on one of them, and none lands outside the game.
    const Presentation smaller = presentGame(1200, 700, 1000, 600, 0.75);
    EXPECT_EQ(smaller.top, 37);
    int32_t x, y;
    ASSERT_TRUE(windowToGame(smaller, 50 + 899, 37 + 524, x, y));
    EXPECT_EQ(x, 1199);
    EXPECT_EQ(y, 699);
    EXPECT_FALSE(windowToGame(smaller, 49, 400, x, y));
    EXPECT_FALSE(windowToGame(smaller, 50 + 900, 400, x, y));

    // A window smaller than the scale asks for (an imposed size) lowers it.
    const Presentation imposed = presentGame(1680, 1050, 1912, 1016, 1);
    EXPECT_EQ(imposed.shownHeight, 1016);
    EXPECT_LT(imposed.scale, 1);
}

TEST(Presentation, TheWindowFitsTheUsableAreaFrameIncluded)
{
    // A 1920x1080 screen with a 40-pixel panel at the bottom, a framed window.
    const ScreenArea usable = {0, 0, 1920, 1040};
    const ScreenFrame frame = {1, 21, 1, 5};
    WindowPlace place = placeGameWindow(1200, 700, usable, frame, 1, false);
    EXPECT_EQ(place.left, 359);
    EXPECT_EQ(place.top, 157);
    place = placeGameWindow(1680, 1050, usable, frame, 1, false);
    EXPECT_EQ(place.height, 1014);
    EXPECT_EQ(place.top, 0);
    // The desktop's 150 % comes down to a whole 1; 200 % on a 4K screen stays 2.
    EXPECT_EQ(placeGameWindow(1200, 700, {0, 0, 2560, 1400}, frame, 1.5, false).scale, 1);
    place = placeGameWindow(1200, 700, {0, 0, 3840, 2120}, frame, 2, false);
    EXPECT_EQ(place.width, 2400);
    EXPECT_EQ(placeGameWindow(1680, 1050, {0, 0, 3840, 2120}, frame, 2, false).scale, 1);
    // A scale set by hand is kept when it fits, and lowered when it does not.
    EXPECT_EQ(placeGameWindow(1200, 700, {0, 0, 2560, 1400}, {}, 1.5, true).scale, 1.5);
    EXPECT_EQ(placeGameWindow(1200, 700, {0, 0, 2560, 1400}, {}, 3, true).scale, 2);
}

} // namespace
