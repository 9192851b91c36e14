// The heads-up display: a band along the bottom with the player's position,
// the four counts, a marker for the selected type, and Save and Load.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

#include <allegro5/allegro_font.h>

// Draws over the world view, inside the caller's held drawing; placed from
// the display's bottom and right edges. `buttonFace` is the grey 40 by 40
// face, `bar` the black bar as wide as the display.
void drawHud(GameState state, const Block blockTypes[blockTypeCount], ALLEGRO_FONT *font,
             ALLEGRO_BITMAP *buttonFace, ALLEGRO_BITMAP *bar);
