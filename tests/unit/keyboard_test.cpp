// Keyboard input: which bytes of the state each key writes.
#include "player/keyboard.h"
#include "program/dispatch.h"
#include "program/script.h"

#include <allegro5/allegro.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

ALLEGRO_EVENT keyEvent(ALLEGRO_EVENT_TYPE type, int keycode)
{
    ALLEGRO_EVENT event;
    std::memset(&event, 0, sizeof event);
    event.type = type;
    event.keyboard.keycode = keycode;
    return event;
}

GameState press(GameState state, int keycode) { return handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_DOWN, keycode), state); }
GameState release(GameState state, int keycode) { return handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_UP, keycode), state); }

bool sameBytes(const GameState &a, const GameState &b)
{
    unsigned char left[storedStateSize], right[storedStateSize];
    encodeGameState(a, left);
    encodeGameState(b, right);
    return std::memcmp(left, right, storedStateSize) == 0;
}

TEST(Keyboard, BothKeysOfAPairWriteTheArrowEntryOnly)
{
    const struct {
        int letter, arrow;
    } pairs[] = {{ALLEGRO_KEY_W, keyUp}, {ALLEGRO_KEY_S, keyDown}, {ALLEGRO_KEY_A, keyLeft}, {ALLEGRO_KEY_D, keyRight}};
    for (auto pair : pairs) {
        for (int key : {pair.letter, pair.arrow}) {
            GameState before = newGameState(nullptr);
            GameState held = press(before, key);
            GameState expected = before;
            expected.keys[pair.arrow] = 1;
            EXPECT_TRUE(sameBytes(held, expected)) << "key " << key;
            EXPECT_TRUE(sameBytes(release(held, key), before)) << "key " << key;
        }
    }
}

TEST(Keyboard, ReleasingEitherKeyOfAPairClearsTheFlag)
{
    GameState state = press(press(newGameState(nullptr), ALLEGRO_KEY_A), ALLEGRO_KEY_LEFT);
    state = release(state, ALLEGRO_KEY_LEFT);
    EXPECT_EQ(state.keys[keyLeft], 0); // although A is still held
}

TEST(Keyboard, DigitsChooseTheSlotOnPressOnly)
{
    GameState state = newGameState(nullptr);
    state = press(state, ALLEGRO_KEY_3);
    EXPECT_EQ(state.selectedBlock, 3);
    state = release(state, ALLEGRO_KEY_3);
    EXPECT_EQ(state.selectedBlock, 3);
    state = press(state, ALLEGRO_KEY_4);
    EXPECT_EQ(state.selectedBlock, 4);
    state = press(state, ALLEGRO_KEY_1);
    EXPECT_EQ(state.selectedBlock, 1);
    state = release(state, ALLEGRO_KEY_2);
    EXPECT_EQ(state.selectedBlock, 1);
}

TEST(Keyboard, OtherKeysAndEventsChangeNothing)
{
    GameState before = newGameState(nullptr);
    before.selectedBlock = 2;
    for (int key = 0; key < ALLEGRO_KEY_MAX; key++) {
        bool bound = key == ALLEGRO_KEY_W || key == ALLEGRO_KEY_S || key == ALLEGRO_KEY_A || key == ALLEGRO_KEY_D ||
                     (key >= ALLEGRO_KEY_LEFT && key <= ALLEGRO_KEY_DOWN) ||
                     (key >= ALLEGRO_KEY_1 && key <= ALLEGRO_KEY_4);
        if (bound)
            continue;
        EXPECT_TRUE(sameBytes(press(before, key), before)) << "key " << key;
        EXPECT_TRUE(sameBytes(release(before, key), before)) << "key " << key;
    }
    EXPECT_TRUE(sameBytes(handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_CHAR, ALLEGRO_KEY_W), before), before));
    EXPECT_TRUE(sameBytes(press(before, ALLEGRO_KEY_PAD_3), before));
    EXPECT_TRUE(sameBytes(press(before, 5000), before)); // a code beyond the table
}

// The window system gives the key-ups of keys held when the game loses the
// focus to the window that has it: the game releases them itself, as key-ups
// through the same handler, and nothing else changes.
TEST(Keyboard, LosingTheFocusReleasesExactlyTheHeldMovementKeys)
{
    GameState held = press(press(press(newGameState(nullptr), ALLEGRO_KEY_D), keyUp), ALLEGRO_KEY_3);
    held.keys[ALLEGRO_KEY_D] = 1; // as a damaged save might hold: not a movement flag
    ALLEGRO_EVENT focusLost;
    std::memset(&focusLost, 0, sizeof focusLost);
    focusLost.type = ALLEGRO_EVENT_DISPLAY_SWITCH_OUT;

    const HandledEvents handled = eventsToHandle(focusLost, held);
    std::vector<std::string> lines;
    GameState released = held;
    PlayContext play{nullptr, nullptr, 0, 0};
    bool needsRedraw = false;
    for (int i = 0; i < handled.count; i++) {
        lines.push_back(formatScriptEvent(handled.events[i]));
        released = dispatchEvent(handled.events[i], released, play, needsRedraw);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"up 84", "up 83"}));
    GameState expected = held;
    expected.keys[keyUp] = expected.keys[keyRight] = 0;
    EXPECT_TRUE(sameBytes(released, expected));
    EXPECT_EQ(eventsToHandle(focusLost, released).count, 0);

    focusLost.type = ALLEGRO_EVENT_DISPLAY_SWITCH_IN; // getting it back is handled as itself: nothing
    EXPECT_EQ(eventsToHandle(focusLost, held).count, 1);
    EXPECT_TRUE(sameBytes(dispatchEvent(focusLost, held, play, needsRedraw), held));
}

} // namespace

