// Hands one event to its handler. The game's main loop and the replay tool
// share this, so a recorded session plays back exactly as it was played.
#pragma once

#include "core/game_state.h"

#include <allegro5/events.h>

// Returns the handler's new state; a timer tick also marks a frame as due.
// Event types without a handler change nothing.
GameState dispatchEvent(const ALLEGRO_EVENT &event, GameState state, bool &needsRedraw);
