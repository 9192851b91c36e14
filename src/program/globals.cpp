// The program-wide values, zero or empty until start-up fills them in.
#include "program/globals.h"

namespace program {
ALLEGRO_DISPLAY *display = nullptr;
ALLEGRO_EVENT_QUEUE *eventQueue = nullptr;
ALLEGRO_TIMER *gameTimer = nullptr;
ALLEGRO_FONT *hudFont = nullptr;
bool hudEnabled = true;
ALLEGRO_EVENT currentEvent;
GameState gameState = zeroGameState();
ALLEGRO_BITMAP *hudButtonBitmap = nullptr;
ALLEGRO_BITMAP *hudBarBitmap = nullptr;
Presentation presentation = {};
ScaledPicture scaledPicture;
} // namespace program
