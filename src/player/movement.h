// Walking, jumping, falling and block collision, one fixed step per tick.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

// One tick: the jump, a step left, a step right and gravity, each tested
// against the cells around the player cell found at the start of the tick;
// then the tick is counted. The counters belong to the caller and live for
// the whole run.
GameState updatePlayer(GameState state, const Block *grid, int32_t &tickCount, int32_t &jumpEndTick);

// Whether the player at `playerX` may step left, given the cells to the left
// of its lower and upper halves.
bool canStepLeft(Block lowerLeft, Block upperLeft, float playerX);
