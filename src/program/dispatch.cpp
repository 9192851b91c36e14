// The dispatch table of the main loop.
#include "program/dispatch.h"

#include "player/keyboard.h"
#include "player/mouse_button.h"
#include "player/movement.h"

GameState dispatchEvent(const ALLEGRO_EVENT &event, GameState state, PlayContext &play, bool &needsRedraw)
{
    switch (event.type) {
    case ALLEGRO_EVENT_KEY_DOWN:
    case ALLEGRO_EVENT_KEY_UP:
        return handleKeyEvent(event, state);
    case ALLEGRO_EVENT_MOUSE_BUTTON_DOWN:
        return handleMouseButton(event, play.grid, play.blockTypes, state);
    case ALLEGRO_EVENT_TIMER:
        // Only the game timer is registered, so every timer event is a tick.
        state = updatePlayer(state, play.grid, play.tickCount, play.jumpEndTick);
        needsRedraw = true;
        return state;
    default:
        return state;
    }
}
