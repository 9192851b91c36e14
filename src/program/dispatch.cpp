// The dispatch table of the main loop.
#include "program/dispatch.h"

#include "player/keyboard.h"
#include "player/mouse_button.h"
#include "player/movement.h"

#include <cstring>
#include <initializer_list>

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

HandledEvents eventsToHandle(const ALLEGRO_EVENT &event, const GameState &state)
{
    HandledEvents handled{};
    if (event.type != ALLEGRO_EVENT_DISPLAY_SWITCH_OUT) {
        handled.events[handled.count++] = event;
        return handled;
    }
    for (int keycode : {keyUp, keyDown, keyLeft, keyRight}) {
        if (!state.keys[keycode])
            continue;
        ALLEGRO_EVENT &release = handled.events[handled.count++];
        std::memset(&release, 0, sizeof release);
        release.type = ALLEGRO_EVENT_KEY_UP;
        release.keyboard.keycode = keycode;
        release.keyboard.display = event.display.source;
        release.any.timestamp = event.any.timestamp;
    }
    return handled;
}
