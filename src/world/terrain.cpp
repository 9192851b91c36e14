// Terrain generation. Exactly one draw per cell in column-major order, the
// sky and bottom rows included: the same seed must give the same world.
#include "world/terrain.h"

#include "world/random.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// Per-column counters of the two lower bands; they restart in every column.
constexpr int grassChanceStart = 60;
constexpr int dirtThresholdStart = 479;
constexpr int stoneThresholdStart = 958;
constexpr int goldThreshold = 240;
constexpr double grassChanceScale = 1.67;

int32_t deepBandType(int v, int dirtThreshold, int stoneThreshold)
{
    if (5 * v < dirtThreshold)
        return blockDirt;
    if (5 * v < stoneThreshold)
        return blockStone;
    if (dirtThreshold <= goldThreshold && v == 99)
        return blockGold;
    return blockDirt;
}

} // namespace

void fillTerrain(Block *grid, const Block blockTypes[blockTypeCount], unsigned seed)
{
    seedRandom(seed);
    for (int column = 0; column < worldColumns; column++) {
        int grassChance = grassChanceStart;
        int dirtThreshold = dirtThresholdStart;
        int stoneThreshold = stoneThresholdStart;
        for (int row = 0; row < worldRows; row++) {
            // Every cell starts as NULL, the type the bottom row keeps. One
            // pass instead of a separate fill: the result is the same.
            Block &cell = grid[cellIndex(column, row)];
            cell = blockTypes[blockNull];
            int v = drawRandom() % 100;
            if (row <= lastSkyRow) {
                copyBlockType(cell, blockTypes[blockAir]);
            } else if (row <= lastGrassRow) {
                copyBlockType(cell, blockTypes[v < grassChance * grassChanceScale ? blockGrass : blockDirt]);
                grassChance--;
            } else if (row <= lastDeepRow) {
                copyBlockType(cell, blockTypes[deepBandType(v, dirtThreshold, stoneThreshold)]);
                dirtThreshold--;
                stoneThreshold -= 2;
            }
            cell.x = static_cast<float>(column * cellSize);
            cell.y = static_cast<float>(row * cellSize);
        }
    }
}

void generateTerrainFromSeed(Block *grid, const Block blockTypes[blockTypeCount], unsigned seed)
{
    fillTerrain(grid, blockTypes, seed);
    // The generator has always closed with this line, worded like a click's.
    std::printf("Clicked block coords: %fx%f\n", grid[0].x, grid[0].y);
}

unsigned generateTerrain(Block *grid, const Block blockTypes[blockTypeCount])
{
    const unsigned seed = static_cast<unsigned>(std::time(nullptr));
    generateTerrainFromSeed(grid, blockTypes, seed);
    return seed;
}
