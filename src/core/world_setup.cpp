// Load or generate, with start-up's own console lines.
#include "core/world_setup.h"

#include "world/save_file.h"
#include "world/terrain.h"

#include <cstdio>

GameState loadOrGenerateWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount])
{
    if (!state.loadSavedWorld) {
        std::printf("Generating a New World\n");
        generateTerrain(grid, blockTypes);
        return state;
    }
    std::printf("Loading a saved world\n");
    state = loadWorld(grid, state, blockTypes);
    if (state.loadFailed == 1) {
        std::printf("Error Loading, making a new world instead.\n");
        generateTerrain(grid, blockTypes);
        state.loadFailed = 0;
    }
    return state;
}
