// The one-colour bitmaps the game makes once: the player box and the HUD's
// button face and bar. Each is left as the drawing target, as start-up
// expects.
#pragma once

#include <allegro5/allegro.h>

ALLEGRO_BITMAP *createFilledBitmap(int width, int height, ALLEGRO_COLOR colour);

ALLEGRO_BITMAP *createPlayerBitmap();          // 10 by 20, teal
ALLEGRO_BITMAP *createHudButtonBitmap();       // 40 by 40, grey
ALLEGRO_BITMAP *createHudBarBitmap(int width); // width by 10, black
