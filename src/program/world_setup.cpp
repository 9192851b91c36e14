// Load or generate, with start-up's own console lines.
#include "program/world_setup.h"

#include "world/terrain.h"

#include <cstdio>

namespace {

GameState generateNewWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount],
                           WorldOrigin &origin)
{
    origin.source = WorldSource::seed;
    origin.seed = generateTerrain(grid, blockTypes);
    return state;
}

} // namespace

GameState loadOrGenerateWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount],
                              const SaveFileBytes &slot, WorldOrigin &origin)
{
    if (!state.loadSavedWorld) {
        std::printf("Generating a New World\n");
        return generateNewWorld(state, grid, blockTypes, origin);
    }
    std::printf("Loading a saved world\n");
    state = loadWorldFromBytes(slot, grid, state, blockTypes);
    if (state.loadFailed == 1) {
        std::printf("Error Loading, making a new world instead.\n");
        state = generateNewWorld(state, grid, blockTypes, origin);
        state.loadFailed = 0;
        return state;
    }
    origin.source = WorldSource::file;
    return state;
}

GameState setUpSessionWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount],
                            const SessionStart &start, const SaveFileBytes &startWorld)
{
    state = sessionStartState(state, start);
    switch (start.source) {
    case WorldSource::file:
        std::printf("Loading a saved world\n");
        return loadWorldFromBytes(startWorld, grid, state, blockTypes);
    case WorldSource::seed:
        std::printf("Generating a New World\n");
        generateTerrainFromSeed(grid, blockTypes, start.seed);
        return state;
    case WorldSource::clock:
        std::printf("Generating a New World\n");
        generateTerrain(grid, blockTypes);
        return state;
    }
    return state;
}
