// The start menu: chooses the display size and New World or Load World, then
// replaces the start window with the game display.
#pragma once

#include "core/game_state.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>

// Destroys the start window in `display` and puts the game display there,
// registered with `queue`. Returns the state with the chosen display size.
// Closing the start window ends the process with status 1.
GameState runStartMenu(GameState state, ALLEGRO_FONT *font, ALLEGRO_DISPLAY *&display,
                       ALLEGRO_EVENT_QUEUE *queue, ALLEGRO_EVENT event);
