// Digging and placing with the mouse, and the HUD's Save and Load buttons.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

#include <allegro5/events.h>

// One button press: finds the cell the view shows under the pointer and logs
// it; the primary button digs it into the inventory, any other button places
// the selected type there; a primary press on the HUD's Load or Save button
// then loads or saves the world.
GameState handleMouseButton(const ALLEGRO_EVENT &event, Block *grid, const Block blockTypes[blockTypeCount],
                            GameState state);

// Whether the cell at (column, row) is within reach of the player and next to
// an open cell. A neighbour outside the grid counts as closed.
bool canEditCell(const Block *grid, GameState state, int column, int row);

// The reach, in world pixels on each axis between top-left corners.
constexpr float reachPixels = 50.0f;
