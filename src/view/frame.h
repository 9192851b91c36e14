// One frame as the game shows it: the world view, then the HUD over it.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

#include <allegro5/allegro_font.h>

// What the HUD draws with; without a font there is no HUD.
struct HudLook {
    ALLEGRO_FONT *font;
    ALLEGRO_BITMAP *buttonFace;
    ALLEGRO_BITMAP *bar;
};

// Draws the frame to the current target inside one held-drawing section, so
// that the library can batch its draws. The caller flips when the target is
// a display.
void drawGameFrame(const Block *grid, const Block blockTypes[blockTypeCount], GameState state, const HudLook &hud);
