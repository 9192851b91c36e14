// The start menu's choices: strict click areas, the last resolution click
// deciding, and the full-screen size.
#include "view/start_menu.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace {

struct Click {
    MenuOutcome outcome;
    std::string printed;
};

Click click(MenuSelection &selection, int x, int y)
{
    Click result;
    result.printed = consoleOutputOf([&] { result.outcome = clickStartMenu(selection, x, y); });
    return result;
}

TEST(StartMenu, ClickAreasExcludeTheirBounds)
{
    MenuSelection selection = {1440, 900, false};
    EXPECT_EQ(click(selection, 50, 50).printed, "");
    EXPECT_EQ(click(selection, 130, 70).printed, "");
    EXPECT_EQ(click(selection, 90, 90).printed, "");
    EXPECT_EQ(selection.width, 1440);
    EXPECT_EQ(click(selection, 51, 51).printed, "Selected Resolution: 1200x700!\n");
    EXPECT_EQ(click(selection, 129, 89).printed, "Selected Resolution: 1200x700!\n");
    EXPECT_EQ(selection.width, 1200);
    EXPECT_EQ(selection.height, 700);
    EXPECT_EQ(click(selection, 140, 70).printed, ""); // between two faces
}

TEST(StartMenu, EachButtonDoesItsOwnThing)
{
    MenuSelection selection = {1440, 900, false};
    EXPECT_EQ(click(selection, 390, 70).printed, "Selected Resolution: 1680x1050!\n");
    EXPECT_EQ(selection.width, 1680);
    EXPECT_EQ(click(selection, 240, 70).printed, "Selected Resolution: 1440x900!\n");
    EXPECT_EQ(selection.height, 900);
    Click fullScreen = click(selection, 540, 70);
    EXPECT_EQ(fullScreen.printed, "Selected Resolution: Fullscreen!\n");
    EXPECT_EQ(fullScreen.outcome, MenuOutcome::stay);
    EXPECT_TRUE(selection.fullScreen);
    EXPECT_EQ(selection.width, 1440); // kept until the display is made

    EXPECT_EQ(click(selection, 255, 180).outcome, MenuOutcome::newWorld);
    EXPECT_EQ(click(selection, 341, 161).outcome, MenuOutcome::loadWorld);
    EXPECT_EQ(click(selection, 409, 199).outcome, MenuOutcome::loadWorld);
}

TEST(StartMenu, LoadWorldsAreaStopsTenPixelsShortOfItsFace)
{
    MenuSelection selection = {1440, 900, false};
    for (int x : {410, 415, 419})
        EXPECT_EQ(click(selection, x, 180).outcome, MenuOutcome::stay) << x;
    EXPECT_EQ(click(selection, 295, 180).outcome, MenuOutcome::stay);
    EXPECT_EQ(click(selection, 255, 200).outcome, MenuOutcome::stay);
}

TEST(StartMenu, TheLastResolutionClickDecides)
{
    ALLEGRO_MONITOR_INFO monitor = {0, 0, 1920, 1080};
    int32_t width = 0, height = 0;

    MenuSelection selection = {1440, 900, false};
    click(selection, 540, 70);
    click(selection, 240, 70);
    gameDisplaySize(selection, monitor, width, height);
    EXPECT_EQ(width, 1440);
    EXPECT_EQ(height, 900);

    click(selection, 90, 70);
    click(selection, 540, 70);
    gameDisplaySize(selection, monitor, width, height);
    EXPECT_EQ(width, 1921); // one past the monitor each way
    EXPECT_EQ(height, 1081);

    MenuSelection untouched = {1440, 900, false};
    gameDisplaySize(untouched, monitor, width, height);
    EXPECT_EQ(width, 1440);
    EXPECT_EQ(height, 900);
}

} // namespace
