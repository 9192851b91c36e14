// The program-wide values that start-up creates and the main loop uses.
// Nothing here is destroyed by hand except what shutdown destroys; the
// library releases the rest when the process exits.
#pragma once

#include "core/game_state.h"
#include "view/picture.h"
#include "view/presentation.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>

namespace program {
extern ALLEGRO_DISPLAY *display; // the start window, then the game display
extern ALLEGRO_EVENT_QUEUE *eventQueue;
extern ALLEGRO_TIMER *gameTimer;
extern ALLEGRO_FONT *hudFont; // may stay empty: then the HUD is not drawn
extern bool hudEnabled;
extern ALLEGRO_EVENT currentEvent;
extern GameState gameState;
extern ALLEGRO_BITMAP *hudButtonBitmap;
extern ALLEGRO_BITMAP *hudBarBitmap;
extern Presentation presentation; // how the game's picture fits the display
extern ScaledPicture scaledPicture;
} // namespace program
