// Making the world at start-up: the saved one when the menu asked for it,
// a new one otherwise or when the saved one cannot be loaded.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

GameState loadOrGenerateWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount]);
