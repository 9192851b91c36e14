// Digging, placing and the HUD buttons: the cell under the pointer in every
// camera case, reach, the open side, the inventory, and Save and Load.
#include "player/mouse_button.h"

#include "world/save_file.h"

#include "test_support.h"

#include <allegro5/allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>

namespace {

ALLEGRO_EVENT pressAt(int x, int y, unsigned button = 1)
{
    ALLEGRO_EVENT event;
    std::memset(&event, 0, sizeof event);
    event.type = ALLEGRO_EVENT_MOUSE_BUTTON_DOWN;
    event.mouse.x = x;
    event.mouse.y = y;
    event.mouse.button = button;
    return event;
}

std::string clickedLine(int column, int row)
{
    char line[64];
    std::snprintf(line, sizeof line, "Clicked block coords: %fx%f\n", column * 10.0, row * 10.0);
    return line;
}

class MouseButton : public testing::Test {
protected:
    MouseButton()
    {
        makeFakeBlockTypes(types);
        fillWithAir(grid.get(), types);
        for (int column = 0; column < worldColumns; column++) {
            setCell(grid.get(), types, column, 121, blockGrass);
            setCell(grid.get(), types, column, 479, blockNull);
        }
        // Standing on the grass at column 100, as in the worked example.
        state = newGameState(nullptr);
        state.playerX = 1000.0f;
        state.playerY = 1190.0f;
    }

    // Presses and returns the console output; the state is updated.
    std::string press(int x, int y, unsigned button = 1)
    {
        return consoleOutputOf([&] { state = handleMouseButton(pressAt(x, y, button), grid.get(), types, state); });
    }

    int32_t typeAt(int column, int row) const { return grid.at(column, row).type; }

    std::vector<unsigned char> storedGrid() const
    {
        std::vector<unsigned char> bytes(worldCellCount * storedBlockSize);
        for (size_t i = 0; i < worldCellCount; i++)
            encodeBlock(grid.get()[i], &bytes[i * storedBlockSize]);
        return bytes;
    }

    std::vector<unsigned char> storedState() const
    {
        std::vector<unsigned char> bytes(storedStateSize);
        encodeGameState(state, bytes.data());
        return bytes;
    }

    GuardedGrid grid;
    Block types[blockTypeCount];
    GameState state;
};

TEST_F(MouseButton, AtTheStartThePointerMapsStraightToCells)
{
    state = newGameState(nullptr);
    EXPECT_EQ(press(35, 35), clickedLine(3, 3));
    EXPECT_EQ(typeAt(3, 3), blockAir);
}

TEST_F(MouseButton, TheWorkedPressDigsTheGrassUnderTheFeet)
{
    EXPECT_EQ(press(725, 475), clickedLine(100, 121));
    EXPECT_EQ(state.inventory[1], 1);
    EXPECT_EQ(typeAt(100, 121), blockUnderground);
    EXPECT_EQ(grid.at(100, 121).x, 1000.0f);
    EXPECT_EQ(grid.at(100, 121).y, 1210.0f);
    EXPECT_EQ(std::memcmp(grid.at(100, 121).name, "Undergro", 8), 0);

    // One row higher is Air: nothing to dig.
    EXPECT_EQ(press(725, 465), clickedLine(100, 120));
    EXPECT_EQ(state.inventory[1], 1);
}

TEST_F(MouseButton, TheCameraIsInvertedInEveryCase)
{
    // Centred with fractions: columns 28 + slot, rows 155 + slot; the view's
    // sub-cell shift is not applied, so the pixel picks the slot's cell.
    state.playerX = 1003.7f;
    state.playerY = 2000.3f;
    EXPECT_EQ(press(0, 0), clickedLine(28, 155));
    EXPECT_EQ(press(9, 9), clickedLine(28, 155));
    EXPECT_EQ(press(10, 10), clickedLine(29, 156));

    // Right and bottom edges: the last slots are the world's last cells.
    state.playerX = 7000.0f;
    state.playerY = 4770.0f;
    EXPECT_EQ(press(1439, 875), clickedLine(719, 477));
    EXPECT_EQ(press(0, 0), clickedLine(576, 390));

    // Left edge and bottom edge at another size.
    state.screenWidth = 1200;
    state.screenHeight = 700;
    state.playerX = 100.0f;
    EXPECT_EQ(press(5, 695), clickedLine(0, 479));
}

TEST_F(MouseButton, ReachIsMeasuredBetweenTopLeftCornersStrictly)
{
    // Columns 96 to 104 and rows 115 to 123 are in reach of (1000, 1190).
    for (int column = 94; column <= 106; column++)
        for (int row = 113; row <= 125; row++)
            EXPECT_EQ(canEditCell(grid.get(), state, column, row), column >= 96 && column <= 104 && row >= 115 && row <= 123)
                << column << "," << row;
}

TEST_F(MouseButton, ACellNeedsAnOpenSide)
{
    // Stone at (102, 123) with solid cells all round.
    setCell(grid.get(), types, 102, 123, blockStone);
    for (auto [c, r] : {std::pair{102, 124}, {102, 122}, {101, 123}, {103, 123}})
        setCell(grid.get(), types, c, r, blockDirt);
    EXPECT_FALSE(canEditCell(grid.get(), state, 102, 123));
    setCell(grid.get(), types, 101, 123, blockUnderground); // dug open on the left
    EXPECT_TRUE(canEditCell(grid.get(), state, 102, 123));

    // At the world's edge a missing neighbour counts as closed.
    state.playerX = 0.0f;
    state.playerY = 4760.0f;
    for (int column = 0; column <= 1; column++)
        for (int row = 477; row <= 479; row++)
            setCell(grid.get(), types, column, row, blockStone);
    EXPECT_FALSE(canEditCell(grid.get(), state, 0, 479));
    EXPECT_FALSE(canEditCell(grid.get(), state, 0, 478));
}

TEST_F(MouseButton, DiggingLeavesAirInTheSkyRowsAndNeverTakesTheBottomRow)
{
    setCell(grid.get(), types, 101, 120, blockDirt);
    EXPECT_EQ(press(735, 465), clickedLine(101, 120));
    EXPECT_EQ(typeAt(101, 120), blockAir);
    EXPECT_EQ(state.inventory[0], 1);

    state.playerY = 4760.0f; // standing on the bottom rows
    setCell(grid.get(), types, 100, 478, blockAir);
    press(725, 895); // bottom edge: row 479 under the last slot
    EXPECT_EQ(typeAt(100, 479), blockNull);
    EXPECT_EQ(state.inventory[0], 1);
}

TEST_F(MouseButton, PlacingNeedsAnOpenCellAndACountAboveZero)
{
    const int x = 745, y = 455; // cell (102, 119): open, in reach
    state.selectedBlock = 3;
    press(x, y, 2);
    EXPECT_EQ(typeAt(102, 119), blockAir);

    state.inventory[2] = -4; // a damaged save
    press(x, y, 2);
    EXPECT_EQ(typeAt(102, 119), blockAir);
    EXPECT_EQ(state.inventory[2], -4);

    state.inventory[2] = 2;
    for (int32_t selection : {0, 5, -1}) {
        state.selectedBlock = selection;
        press(x, y, 3);
        EXPECT_EQ(typeAt(102, 119), blockAir);
    }
    state.selectedBlock = 3;
    EXPECT_EQ(press(x, y, 3), clickedLine(102, 119));
    EXPECT_EQ(typeAt(102, 119), blockStone);
    EXPECT_EQ(state.inventory[2], 1);

    press(x, y, 2); // the cell is solid now
    EXPECT_EQ(state.inventory[2], 1);
    press(725, 475, 2); // nor onto grass
    EXPECT_EQ(typeAt(100, 121), blockGrass);
}

TEST_F(MouseButton, PlacingGoesIntoDugOutCellsButNotTheNullType)
{
    setCell(grid.get(), types, 100, 121, blockUnderground);
    state.inventory[3] = 1;
    state.selectedBlock = 4;
    press(725, 475, 2);
    EXPECT_EQ(typeAt(100, 121), blockGold);

    setCell(grid.get(), types, 101, 121, blockNull);
    grid.at(101, 121).passable = 1; // only a damaged save holds a passable NULL
    state.inventory[3] = 1;
    press(735, 475, 2);
    EXPECT_EQ(typeAt(101, 121), blockNull);
}

TEST_F(MouseButton, HudButtonAreasAreExact)
{
    ScratchDirectory scratch;
    inDirectory(scratch.path(), [&] {
        const int W = 1440, H = 900;
        const std::string nothing = "No save found\nError Loading\n";
        auto hud = [&](int x, int y, unsigned button = 1) {
            std::string lines = press(x, y, button);
            return lines.substr(lines.find('\n') + 1); // after the click's own line
        };
        EXPECT_EQ(hud(W - 1, H - 1), nothing);
        EXPECT_EQ(hud(W - 39, H - 24), nothing);
        EXPECT_EQ(hud(W - 40, H - 1), "Saved the world!\n");
        EXPECT_EQ(hud(W - 99, H - 1), "Saved the world!\n");
        EXPECT_EQ(hud(W - 100, H - 1), "");
        EXPECT_EQ(hud(W - 1, H - 25), "");
        EXPECT_EQ(hud(W - 1, H - 1, 2), "");
        EXPECT_EQ(hud(W - 80, H - 1, 3), "");
        EXPECT_EQ(readFileBytes(saveFileName).size(), saveFileSize);
    });
}

TEST_F(MouseButton, LoadReplacesTheStateOrChangesNothing)
{
    ScratchDirectory scratch;
    inDirectory(scratch.path(), [&] {
        // No file, then a damaged one: nothing changes but the lines.
        state.inventory[0] = 7;
        state.keys[keyLeft] = 1;
        std::vector<unsigned char> gridBefore = storedGrid(), stateBefore = storedState();
        EXPECT_EQ(press(1439, 899), clickedLine(171, 163) + "No save found\nError Loading\n");
        EXPECT_EQ(storedGrid(), gridBefore);
        EXPECT_EQ(storedState(), stateBefore);
        writeFileBytes(saveFileName, std::vector<unsigned char>(100, 0));
        EXPECT_EQ(press(1439, 899), clickedLine(171, 163) + "Save file is damaged\nError Loading\n");
        EXPECT_EQ(storedGrid(), gridBefore);
        EXPECT_EQ(storedState(), stateBefore);

        // A good file: the saved counts, selection and position come back.
        press(1360, 899); // save
        GameState saved = state;
        state.inventory[0] = 0;
        state.selectedBlock = 2;
        state.playerX = 30.0f;
        setCell(grid.get(), types, 5, 5, blockGold);
        press(1439, 899);
        EXPECT_EQ(state.inventory[0], 7);
        EXPECT_EQ(state.keys[keyLeft], 1);
        EXPECT_EQ(state.selectedBlock, saved.selectedBlock);
        EXPECT_EQ(state.playerX, 1000.0f);
        EXPECT_EQ(typeAt(5, 5), blockAir);
    });
}

TEST_F(MouseButton, PressesOutsideTheGridChangeNothing)
{
    // A width that is not a multiple of ten reaches one column past the grid
    // at the right edge; a pointer off the display reaches further.
    state.screenWidth = 1921;
    state.screenHeight = 1081;
    state.playerX = 7100.0f;
    state.playerY = 4770.0f;
    state.inventory[0] = 3;
    std::vector<unsigned char> gridBefore = storedGrid();
    EXPECT_EQ(press(1920, 500), clickedLine(720, 422));
    press(1920, 500, 2);
    press(5000, -3000);
    press(-4000, 9000, 2);
    EXPECT_EQ(storedGrid(), gridBefore);
    EXPECT_EQ(state.inventory[0], 3);
}

TEST_F(MouseButton, PositionsFromDamagedSavesNeverReachOutsideTheGrid)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    auto pressEverywhere = [&](float x, float y) {
        state.playerX = x;
        state.playerY = y;
        state.inventory[1] = 1;
        state.selectedBlock = 2;
        for (int px : {0, 5, 720, 1439})
            for (int py : {0, 450, 850})
                for (unsigned button : {1u, 2u})
                    press(px, py, button);
    };
    // Just outside the world, cells near the edge are in reach and may change.
    for (float x : {-30.0f, 7195.0f})
        for (float y : {-30.0f, 4795.0f})
            pressEverywhere(x, y);

    // Far outside, nothing is in reach.
    std::vector<unsigned char> gridBefore = storedGrid();
    for (float x : {-1.0e9f, 1.0e9f, inf, -inf, nan})
        for (float y : {-1.0e9f, 1.0e9f, inf, -inf, nan})
            pressEverywhere(x, y);
    EXPECT_EQ(storedGrid(), gridBefore);
}

TEST_F(MouseButton, ACountAtItsLargestDoesNotOverflow)
{
    state.inventory[1] = std::numeric_limits<int32_t>::max();
    press(725, 475);
    EXPECT_EQ(state.inventory[1], std::numeric_limits<int32_t>::max());
    EXPECT_EQ(typeAt(100, 121), blockUnderground);
}

} // namespace
