// Keyboard input: held movement keys and the block type chosen for placing.
#pragma once

#include "core/game_state.h"

#include <allegro5/events.h>

// Key-downs and key-ups of the eight movement keys set and clear the four
// arrow entries of `keys` (a letter writes its arrow's entry); key-downs of
// 1 to 4 choose the block type. Every other event changes nothing.
GameState handleKeyEvent(const ALLEGRO_EVENT &event, GameState state);
