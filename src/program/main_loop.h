// The event loop, the frame it draws, and shutdown.
#pragma once

#include "program/dispatch.h"
#include "program/playback.h"
#include "program/recorder.h"

#include <vector>

// Where the loop's events come from: the player, every one of them also
// going to the recorder when it is recording; or a script, one tick of it
// for each tick of the game timer.
struct EventFeed {
    Recorder recorder;
    const std::vector<ScriptEvent> *script = nullptr; // null: the player plays
    ScriptCursor cursor;
};

// Takes events until the game window is closed: each one is dispatched, and
// a frame is drawn when one is due and no further event is waiting.
void runMainLoop(PlayContext &play, EventFeed &feed);

// One whole frame: the world, the HUD when there is a font, then the flip.
// `untilDrawn` waits, before the flip, until the graphics system has drawn
// it, not only queued it: a timed frame is then a drawn one.
void drawFrame(const PlayContext &play, bool untilDrawn = false);

// Shows the picture at the game's own size from the display's corner, with
// clicks where they land, when a scaled picture cannot be made.
void showAtActualSize();

// Releases the queue, the timer and the display, with the farewell lines.
void shutDown();
