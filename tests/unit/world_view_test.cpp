// The world view on real pixels: what drawWorldView puts in a memory bitmap
// against a picture painted cell by cell from the camera rule as written.
#include "view/world_view.h"

#include "view/camera.h"
#include "world/terrain.h"

#include "test_support.h"

#include <allegro5/allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const Rgb tileColours[blockTypeCount] = {{0, 0, 0},       {125, 125, 255}, {160, 100, 25}, {0, 255, 0},
                                         {125, 125, 125}, {255, 255, 0},   {0, 0, 0}};
const Rgb playerColour = {0, 125, 125};

// The picture as the rule describes it: one tile per cell, rows outer and
// columns inner, then the player box.
class ReferencePicture {
public:
    ReferencePicture(const Block *grid, const GameState &s) : width(s.screenWidth), height(s.screenHeight)
    {
        pixels.assign(static_cast<size_t>(width) * height, Rgb{0, 0, 0});
        const int W = s.screenWidth, H = s.screenHeight, halfWidth = W / 2, halfHeight = H / 2;
        const double x = s.playerX, y = s.playerY;
        enum { start, end, centred } horizontal, vertical;
        int columns, playerX, playerY;
        if (x - halfWidth < 0)
            horizontal = start, columns = W / 10, playerX = int(std::trunc(x));
        else if (x > 7200 - halfWidth)
            horizontal = end, columns = W / 10 - 1, playerX = int(std::trunc(x - 7200.0 + W));
        else
            horizontal = centred, columns = W / 10 + 1, playerX = halfWidth;
        if (y - float(halfHeight) < 0)
            vertical = start, playerY = int(std::trunc(y));
        else if (y + halfHeight > 4800.0)
            vertical = end, playerY = int(std::trunc(y - 4800.0 + H));
        else
            vertical = centred, playerY = halfHeight;

        for (int i = 0; i < H / 10 - 5; i++) {
            for (int j = 0; j < columns; j++) {
                int column = horizontal == start ? j
                             : horizontal == end ? j - W / 10 + 720
                                                 : int(std::trunc((x - halfWidth) / 10.0 + j));
                int screenX = horizontal == centred ? 10 * j - int(std::trunc(x)) % 10 : 10 * j;
                int row = vertical == start ? i
                          : vertical == end ? i - H / 10 + 480
                                            : int(std::trunc((y - halfHeight) / 10.0 + i));
                int screenY = vertical == centred ? 10 * i - int(std::trunc(y)) % 10 : 10 * i;
                if (column == 720)
                    continue; // the one slot past the grid, left black
                fill(screenX, screenY, 10, 10, tileColours[grid[column * 480 + row].type]);
            }
        }
        fill(playerX, playerY, 10, 20, playerColour);
    }

    Rgb at(int px, int py) const { return pixels[static_cast<size_t>(py) * width + px]; }

private:
    void fill(int left, int top, int w, int h, Rgb colour)
    {
        for (int py = std::max(top, 0); py < std::min(top + h, height); py++)
            for (int px = std::max(left, 0); px < std::min(left + w, width); px++)
                pixels[static_cast<size_t>(py) * width + px] = colour;
    }

    int width, height;
    std::vector<Rgb> pixels;
};

// A world and its tiles, made with whatever bitmap kind is current: memory
// bitmaps, or video bitmaps of a display.
struct ViewScene {
    ViewScene()
    {
        createBlockTypes(types);
        playerBitmap = al_create_bitmap(10, 20);
        al_set_target_bitmap(playerBitmap);
        al_clear_to_color(al_map_rgb(0, 125, 125));
        consoleOutputOf([&] { generateTerrainFromSeed(grid.get(), types, 11); });
        // Dug-out cells show black like the bottom row.
        for (int row = 300; row < 310; row++)
            copyBlockType(grid[cellIndex(400, row)], types[blockUnderground]);
    }

    Block types[blockTypeCount];
    ALLEGRO_BITMAP *playerBitmap;
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
};

// Draws the view into `target` (size of the state's screen) and compares
// every pixel with the reference picture.
void expectPictureOn(const ViewScene &scene, ALLEGRO_BITMAP *target, int width, int height, float playerX,
                   float playerY)
{
    GameState state = newGameState(scene.playerBitmap);
    state.screenWidth = width;
    state.screenHeight = height;
    state.playerX = playerX;
    state.playerY = playerY;

    al_set_target_bitmap(target);
    al_clear_to_color(al_map_rgb(200, 0, 200)); // anything left undrawn shows
    al_hold_bitmap_drawing(true);
    drawWorldView(scene.grid.get(), state);
    al_hold_bitmap_drawing(false);

    ReferencePicture expected(scene.grid.get(), state);
    ALLEGRO_LOCKED_REGION *locked = al_lock_bitmap(target, ALLEGRO_PIXEL_FORMAT_ABGR_8888, ALLEGRO_LOCK_READONLY);
    ASSERT_NE(locked, nullptr);
    int wrong = 0;
    for (int py = 0; py < height && wrong < 5; py++) {
        const unsigned char *line = static_cast<const unsigned char *>(locked->data) + py * locked->pitch;
        for (int px = 0; px < width && wrong < 5; px++) {
            Rgb actual{line[4 * px], line[4 * px + 1], line[4 * px + 2]};
            if (!(actual == expected.at(px, py))) {
                ADD_FAILURE() << width << "x" << height << " player " << playerX << "," << playerY << ": pixel " << px
                              << "," << py << " is " << actual << ", expected " << expected.at(px, py);
                wrong++;
            }
        }
    }
    al_unlock_bitmap(target);
}

class WorldView : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        startAllegroOnce();
        al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
        scene = new ViewScene;
    }

    static void TearDownTestSuite()
    {
        delete scene;
        scene = nullptr;
    }

    void expectPicture(int width, int height, float playerX, float playerY)
    {
        ALLEGRO_BITMAP *target = al_create_bitmap(width, height);
        expectPictureOn(*scene, target, width, height, playerX, playerY);
        al_destroy_bitmap(target);
    }

    static ViewScene *scene;
};

ViewScene *WorldView::scene = nullptr;

TEST_F(WorldView, StartPositionIsAtTheTopLeftCorner) { expectPicture(1440, 900, 30.0f, 30.0f); }

TEST_F(WorldView, CentredWithFractionalPositions)
{
    expectPicture(1440, 900, 1003.7f, 2000.3f);
    expectPicture(1200, 700, 3333.3f, 1190.0f);
    expectPicture(1680, 1050, 4000.0f, 3005.5f);
}

TEST_F(WorldView, RightAndBottomEdges)
{
    expectPicture(1440, 900, 7000.0f, 4770.0f);
    expectPicture(1440, 900, 7187.5f, 4760.0f);
}

TEST_F(WorldView, ExactEdgePositionsAreStillCentred)
{
    expectPicture(1440, 900, 720.0f, 450.0f);   // first column 0, offset 0
    expectPicture(1440, 900, 6480.0f, 4350.0f); // the centred rule reaches column 720 here
    expectPicture(1440, 900, 6480.5f, 4351.0f); // one step past: the edge cases
}

TEST_F(WorldView, OddDisplaySizes)
{
    expectPicture(1921, 1081, 30.0f, 30.0f);
    expectPicture(1921, 1081, 2001.5f, 2503.7f);
    expectPicture(1921, 1081, 7100.0f, 4770.0f);
    expectPicture(1366, 768, 1000.0f, 1190.0f);
}

// The view shifts one magnified image by the sub-cell offset: every shift
// on both axes, on a screen whose edges cut through cells, after a larger
// screen has been drawn (the image is kept and only part of it is used).
TEST_F(WorldView, EverySubCellShiftAtOddSizes)
{
    for (int shiftX = 0; shiftX < 10; shiftX++)
        for (int shiftY = 0; shiftY < 10; shiftY++)
            expectPicture(253, 187, 2000.5f + shiftX, 3000.25f + shiftY);
    expectPicture(251, 189, 7074.0f, 4705.0f); // centred, the last column (719) at the right edge
    expectPicture(1921, 1081, 960.0f, 540.0f); // centred, the first column and row: 0, 0
}

TEST_F(WorldView, TooLowForAnyRowShowsOnlyThePlayer) { expectPicture(200, 50, 1000.0f, 2000.0f); }

TEST_F(WorldView, DrawingLeavesTheTargetAsItWas)
{
    ALLEGRO_BITMAP *target = al_create_bitmap(300, 200);
    al_set_target_bitmap(target);
    GameState state = newGameState(scene->playerBitmap);
    drawWorldView(scene->grid.get(), state);
    EXPECT_EQ(al_get_target_bitmap(), target);
    al_destroy_bitmap(target);
}

// The same picture on a real display's backbuffer, with the tiles as video
// bitmaps. Needs an X server; the test suite runs it under its own.
TEST(WorldViewOnDisplay, TheDisplayShowsTheSamePicture)
{
    startAllegroOnce();
    al_set_new_bitmap_flags(ALLEGRO_VIDEO_BITMAP);
    const struct {
        int width, height;
        float x, y;
    } cases[] = {{1440, 900, 30.0f, 30.0f},      {1440, 900, 1003.7f, 2000.3f}, {1440, 900, 7000.0f, 4770.0f},
                 {1440, 900, 6480.0f, 4350.0f},  {1921, 1081, 2001.5f, 2503.7f}, {1921, 1081, 7100.0f, 4770.0f},
                 {1203, 707, 3007.5f, 2009.0f}};
    for (const auto &c : cases) {
        ALLEGRO_DISPLAY *display = al_create_display(c.width, c.height);
        if (!display)
            GTEST_SKIP() << "no display could be created";
        {
            ViewScene scene;
            expectPictureOn(scene, al_get_backbuffer(display), c.width, c.height, c.x, c.y);
        }
        al_destroy_display(display);
    }
    al_set_new_bitmap_flags(ALLEGRO_MEMORY_BITMAP);
}

} // namespace
