// The world view: the cells around the player, then the player box.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

// Clears the current target to black and draws the cells that the camera
// shows, each with its own tile, and the player box on top. Reads no cell
// outside the grid and changes nothing. The caller holds bitmap drawing
// around it, together with the HUD.
void drawWorldView(const Block *grid, GameState state);
