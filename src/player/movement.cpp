// Player movement. No velocities: every effect is a fixed distance per tick,
// taken only after a few neighbouring cells have been tested. Positions stay
// 32-bit floats, rounded back at every store, as the game has always kept them.
#include "player/movement.h"

#include "core/truncate.h"

namespace {

constexpr float walkStep = 2.5f;
constexpr float riseStep = 5.0f;
constexpr float fallStep = 2.5f;
constexpr int32_t jumpTicks = 10;
constexpr float rightLimit = 7190.0f; // a step to here or beyond is refused
constexpr float floorLimit = 4760.0f; // no fall from here or below

// The cell at (column, row). Outside the grid, which only a jump above the
// top or a position from a save file reaches, it is open air at the place
// its column would have, so the rules inside apply unchanged.
Block cellAt(const Block *grid, int column, int row)
{
    if (isInsideGrid(column, row))
        return grid[cellIndex(column, row)];
    Block air{};
    air.type = blockAir;
    air.passable = 1;
    air.x = static_cast<float>(column) * cellSize;
    air.y = static_cast<float>(row) * cellSize;
    return air;
}

// The player cell's column. Near the world's edges it is the column holding
// the player's left edge; otherwise it comes by way of the camera's left
// edge, which for widths whose half is not a multiple of 10 can be one
// column less. The game has always collided this way.
int playerColumnOf(const GameState &state)
{
    const int halfWidth = state.screenWidth / 2;
    const double x = state.playerX;
    if (x - halfWidth < 0 || x > worldWidth - halfWidth)
        return truncToInt(x) / cellSize;
    return truncToInt((x - halfWidth) / cellSize + halfWidth / cellSize);
}

// Signed counters wrap instead of overflowing after years of ticks.
int32_t addWrapping(int32_t value, int32_t amount)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(amount));
}

} // namespace

bool canStepLeft(Block lowerLeft, Block upperLeft, float playerX)
{
    if (playerX == 0)
        return false; // the world's left edge
    if (lowerLeft.passable && upperLeft.passable)
        return true;
    if (playerX == lowerLeft.x + cellSize)
        return false;
    if (playerX == upperLeft.x + cellSize)
        return false;
    return true; // still inside its own column
}

// The held-key flags are bytes: any other than zero counts as held, which is
// all a damaged save's odd bytes can do. Collisions compare the neighbours'
// stored `x`, as they always have: a save whose cells hold the wrong `x`
// moves where the player stops, never which cells are read.
GameState updatePlayer(GameState state, const Block *grid, int32_t &tickCount, int32_t &jumpEndTick)
{
    // The player cell is found once; every test of this tick uses it, even
    // after the position has moved.
    const int row = truncToInt(state.playerY) / cellSize;
    const int column = playerColumnOf(state);

    if (state.keys[keyUp]) {
        Block head = cellAt(grid, column, row);
        Block headRight = cellAt(grid, column + 1, row);
        bool headFree = head.passable && (headRight.passable || headRight.x >= state.playerX + playerWidth);
        if (headFree) {
            if (jumpEndTick < tickCount && state.onGround) {
                jumpEndTick = addWrapping(tickCount, jumpTicks);
                state.onGround = 0;
            }
            if (jumpEndTick > tickCount)
                state.playerY -= riseStep;
        }
    }

    if (state.keys[keyLeft] &&
        canStepLeft(cellAt(grid, column - 1, row + 1), cellAt(grid, column - 1, row), state.playerX))
        state.playerX -= walkStep;

    if (state.keys[keyRight]) {
        float newX = state.playerX + walkStep;
        if (!(newX >= rightLimit)) {
            Block upperRight = cellAt(grid, column + 1, row);
            Block lowerRight = cellAt(grid, column + 1, row + 1);
            if (upperRight.passable && lowerRight.passable)
                state.playerX = newX;
            else if (!(lowerRight.x < newX + playerWidth) && !(upperRight.x < newX + playerWidth))
                state.playerX = newX;
        }
    }

    bool supported;
    if (state.playerY >= floorLimit) {
        supported = true;
    } else {
        Block below = cellAt(grid, column, row + 2);
        Block belowRight = cellAt(grid, column + 1, row + 2);
        if (!below.passable)
            supported = true;
        else if (belowRight.passable)
            supported = false;
        else
            supported = belowRight.x < state.playerX + playerWidth;
    }
    if (supported)
        state.onGround = 1;
    else
        state.playerY += fallStep;

    tickCount = addWrapping(tickCount, 1);
    return state;
}
