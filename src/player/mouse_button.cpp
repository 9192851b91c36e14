// Digging, placing and the HUD buttons.
#include "player/mouse_button.h"

#include "view/camera.h"
#include "view/hud_layout.h"
#include "world/save_file.h"
#include "world/terrain.h"

#include <cstdio>
#include <limits>

namespace {

constexpr int primaryButton = 1;

bool isPassableCell(const Block *grid, int column, int row)
{
    return isInsideGrid(column, row) && grid[cellIndex(column, row)].passable;
}

// Only Dirt, Grass, Stone and Gold have an inventory slot.
bool hasInventorySlot(int32_t type) { return type >= blockDirt && type <= blockGold; }

// A cell dug in the sky rows becomes Air, below them the dug-out type.
void dig(Block &cell, int row, const Block blockTypes[blockTypeCount], GameState &state)
{
    int32_t &count = state.inventory[cell.type - blockDirt];
    if (count < std::numeric_limits<int32_t>::max()) // a damaged save may hold the largest count
        count++;
    copyBlockType(cell, blockTypes[row <= lastSkyRow ? blockAir : blockUnderground]);
}

GameState pressHudButton(const ALLEGRO_EVENT &event, Block *grid, const Block blockTypes[blockTypeCount],
                         GameState state)
{
    const int x = event.mouse.x, y = event.mouse.y;
    if (y <= state.screenHeight - hudButtonFromBottom)
        return state;
    if (x > state.screenWidth - loadButtonFromRight) {
        state = loadWorld(grid, state, blockTypes);
        if (state.loadFailed == 1) {
            std::printf("Error Loading\n");
            state.loadFailed = 0;
        }
    } else if (x > state.screenWidth - saveButtonFromRight) {
        saveWorld(grid, state);
    }
    return state;
}

} // namespace

bool canEditCell(const Block *grid, GameState state, int column, int row)
{
    const float cellLeft = static_cast<float>(column) * cellSize;
    const float cellTop = static_cast<float>(row) * cellSize;
    if (!(cellLeft > state.playerX - reachPixels && cellLeft < state.playerX + reachPixels))
        return false;
    if (!(cellTop > state.playerY - reachPixels && cellTop < state.playerY + reachPixels))
        return false;
    return isPassableCell(grid, column, row + 1) || isPassableCell(grid, column, row - 1) ||
           isPassableCell(grid, column - 1, row) || isPassableCell(grid, column + 1, row);
}

GameState handleMouseButton(const ALLEGRO_EVENT &event, Block *grid, const Block blockTypes[blockTypeCount],
                            GameState state)
{
    // The pointer is mapped to 10-pixel screen slots without the view's
    // sub-cell shift, so over the first few pixels of a tile the cell before
    // it is chosen. The game has always picked cells this way.
    const Camera camera = cameraFor(state);
    const int column = cameraColumn(camera, state, event.mouse.x / cellSize);
    const int row = cameraRow(camera, state, event.mouse.y / cellSize);
    const bool inside = isInsideGrid(column, row);

    // One line per press, before anything changes. Past the grid's edge
    // (odd display sizes, a pointer off the display, a position from a
    // damaged save) it names where that cell would be.
    if (inside)
        std::printf("Clicked block coords: %fx%f\n", grid[cellIndex(column, row)].x, grid[cellIndex(column, row)].y);
    else
        std::printf("Clicked block coords: %fx%f\n", column * 10.0, row * 10.0);

    if (event.mouse.button == primaryButton) {
        if (inside) {
            Block &cell = grid[cellIndex(column, row)];
            // A solid cell of a type without a slot, which only a damaged
            // save holds, is left alone.
            if (!cell.passable && cell.type != blockNull && hasInventorySlot(cell.type) &&
                canEditCell(grid, state, column, row))
                dig(cell, row, blockTypes, state);
        }
        return pressHudButton(event, grid, blockTypes, state);
    }

    if (inside && canEditCell(grid, state, column, row)) {
        Block &cell = grid[cellIndex(column, row)];
        const int32_t selected = state.selectedBlock;
        // A count must be above zero: a damaged save may hold a negative one.
        if (cell.passable && cell.type != blockNull && selected >= 1 && selected <= inventorySlots &&
            state.inventory[selected - 1] > 0) {
            state.inventory[selected - 1]--;
            copyBlockType(cell, blockTypes[selected + 1]);
        }
    }
    return state;
}
