// The event loop and shutdown.
#pragma once

#include "core/dispatch.h"

// Takes events until the game window is closed: each one is dispatched, and
// a frame is drawn when one is due and no further event is waiting.
void runMainLoop(PlayContext &play);

// Releases the queue, the timer and the display, with the farewell lines.
void shutDown();
