// Keyboard input.
#include "player/keyboard.h"

#include <allegro5/keycodes.h>

namespace {

struct KeyBinding {
    int arrowKey; // the entry of `keys` both keys write
    int letterKey;
};

// In the order the keys are compared: up, down, left, right.
constexpr KeyBinding movementKeys[] = {
    {ALLEGRO_KEY_UP, ALLEGRO_KEY_W},
    {ALLEGRO_KEY_DOWN, ALLEGRO_KEY_S},
    {ALLEGRO_KEY_LEFT, ALLEGRO_KEY_A},
    {ALLEGRO_KEY_RIGHT, ALLEGRO_KEY_D},
};

static_assert(ALLEGRO_KEY_LEFT == keyLeft && ALLEGRO_KEY_RIGHT == keyRight && ALLEGRO_KEY_UP == keyUp &&
                  ALLEGRO_KEY_DOWN == keyDown,
              "the stored key entries are the arrow keys' codes");

} // namespace

GameState handleKeyEvent(const ALLEGRO_EVENT &event, GameState state)
{
    uint8_t held;
    if (event.type == ALLEGRO_EVENT_KEY_DOWN)
        held = 1;
    else if (event.type == ALLEGRO_EVENT_KEY_UP)
        held = 0;
    else
        return state;

    const int keycode = event.keyboard.keycode;
    for (const KeyBinding &binding : movementKeys) {
        if (keycode == binding.arrowKey || keycode == binding.letterKey) {
            state.keys[binding.arrowKey] = held;
            break;
        }
    }
    // The digits choose an inventory slot counted from 1, on press only.
    if (held && keycode >= ALLEGRO_KEY_1 && keycode <= ALLEGRO_KEY_4)
        state.selectedBlock = keycode - ALLEGRO_KEY_1 + 1;
    return state;
}
