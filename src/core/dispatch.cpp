// The dispatch table of the main loop.
#include "core/dispatch.h"

GameState dispatchEvent(const ALLEGRO_EVENT &event, GameState state, bool &needsRedraw)
{
    switch (event.type) {
    case ALLEGRO_EVENT_TIMER:
        needsRedraw = true;
        break;
    default:
        break;
    }
    return state;
}
