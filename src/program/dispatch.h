// Hands one event to its handler. The game's main loop and the replay tool
// share this, so a recorded session plays back exactly as it was played.
#pragma once

#include "core/game_state.h"
#include "world/block.h"

#include <allegro5/events.h>

// What the entry routine owns for the whole run and lends to the handlers.
struct PlayContext {
    Block *grid;
    const Block *blockTypes;
    int32_t tickCount;   // ticks handled so far
    int32_t jumpEndTick; // the tick at which the current jump's rise ends
};

// Returns the handler's new state; a timer tick also marks a frame as due.
// Event types without a handler change nothing.
GameState dispatchEvent(const ALLEGRO_EVENT &event, GameState state, PlayContext &play, bool &needsRedraw);

// What one event from the queue is handled as: itself, as a rule. When the
// game display loses the focus, the window system sends the key-ups of keys
// still held to the window that has the focus now, so the game would walk on
// by itself: a focus loss stands for a key-up of each movement key held, in
// the order up, down, left, right, and for nothing else. The recorder and the
// dispatch both take these, so a recording holds the key-ups.
struct HandledEvents {
    ALLEGRO_EVENT events[4];
    int count;
};
HandledEvents eventsToHandle(const ALLEGRO_EVENT &event, const GameState &state);
