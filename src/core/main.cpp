// The entry routine: start up, make the world, play, shut down.
#include "core/main_loop.h"
#include "core/program.h"
#include "core/startup.h"
#include "core/world_setup.h"
#include "world/block.h"

#include <cstdio>
#include <memory>

using namespace program;

int main()
{
    // The console is the game's log: keep it live through pipes and files.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    std::printf("Starting Clodmere 0.68! Please note that this is mainly a debug window.\n");
    startUp();

    // The grid and the block-type table belong to this routine for the whole run.
    std::unique_ptr<Block[]> grid = allocateWorldGrid();
    Block blockTypes[blockTypeCount];
    std::printf("Loading Blocks\n");
    createBlockTypes(blockTypes);
    gameState = loadOrGenerateWorld(gameState, grid.get(), blockTypes);

    std::printf("Starting to Draw.\n");
    al_set_target_bitmap(al_get_backbuffer(display));
    al_start_timer(gameTimer);

    PlayContext play{grid.get(), blockTypes, 0, 0};
    runMainLoop(play);
    shutDown();
    return 0;
}
