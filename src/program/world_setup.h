// Making the world at start-up: the saved one when the menu asked for it,
// a new one otherwise or when the saved one cannot be loaded; or the world a
// recorded session starts from.
#pragma once

#include "core/game_state.h"
#include "program/session_folder.h"
#include "world/block.h"
#include "world/save_file.h"

// What the world was made from, as a recording of the session keeps it.
struct WorldOrigin {
    WorldSource source = WorldSource::seed; // seed: generated; file: loaded
    unsigned seed = 0;
};

// The menu's choice. For Load World, `slot` holds the save slot's bytes,
// read by the caller; a slot that does not load falls back to a new world.
GameState loadOrGenerateWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount],
                              const SaveFileBytes &slot, WorldOrigin &origin);

// A session's start: the world of its seed, or of its world file, already
// read and checked; with the same console lines as a start from the menu.
GameState setUpSessionWorld(GameState state, Block *grid, const Block blockTypes[blockTypeCount],
                            const SessionStart &start, const SaveFileBytes &startWorld);
