// Random terrain: sky, a grass band thinning into dirt, dirt and stone with
// rare gold near the bottom, and an undiggable bottom row.
#pragma once

#include "world/block.h"

// Seeds the game's generator with the calendar time and fills every
// cell, then prints the generator's closing line. Returns the seed, so that
// a recording can make the same world again.
unsigned generateTerrain(Block *grid, const Block blockTypes[blockTypeCount]);

// The same with a given seed: one seed always gives the same world.
void generateTerrainFromSeed(Block *grid, const Block blockTypes[blockTypeCount], unsigned seed);

// The filling alone, without the console line.
void fillTerrain(Block *grid, const Block blockTypes[blockTypeCount], unsigned seed);

// The bands by row.
constexpr int lastSkyRow = 120;
constexpr int lastGrassRow = 180;
constexpr int lastDeepRow = 478;
