// The main loop: take an event, dispatch it, draw when a frame is due.
#include "program/main_loop.h"

#include "program/globals.h"
#include "view/frame.h"

#include <cstdio>

using namespace program;

namespace {

// The player's event goes to its handler, and into the recording first, so
// that an event whose handler fails is in the script that shows the fault.
void takeLiveEvent(PlayContext &play, EventFeed &feed, bool &needsRedraw)
{
    const HandledEvents handled = eventsToHandle(currentEvent, gameState);
    for (int i = 0; i < handled.count; i++) {
        recordEvent(feed.recorder, handled.events[i], al_get_time());
        gameState = dispatchEvent(handled.events[i], gameState, play, needsRedraw);
    }
}

// Each tick of the game timer plays the script up to its next tick; at its
// end the timer stops and the last frame stays.
void takeScriptedTick(PlayContext &play, EventFeed &feed, bool &needsRedraw)
{
    if (currentEvent.type != ALLEGRO_EVENT_TIMER)
        return;
    gameState = playToNextTick(*feed.script, feed.cursor, gameState, play, needsRedraw);
    if (feed.cursor.finished)
        al_stop_timer(gameTimer);
}

} // namespace

void drawFrame(const PlayContext &play, bool untilDrawn)
{
    drawGameFrame(play.grid, play.blockTypes, gameState,
                  {hudEnabled ? hudFont : nullptr, hudButtonBitmap, hudBarBitmap});
    // One pixel read back can only come once everything before it is drawn.
    if (untilDrawn)
        al_get_pixel(al_get_backbuffer(display), 0, 0);
    al_flip_display();
}

void runMainLoop(PlayContext &play, EventFeed &feed)
{
    bool needsRedraw = true; // the first frame follows the first event
    for (;;) {
        al_wait_for_event(eventQueue, &currentEvent);
        // The close ends the loop at once: nothing behind it is handled.
        if (currentEvent.type == ALLEGRO_EVENT_DISPLAY_CLOSE)
            break;

        if (feed.script)
            takeScriptedTick(play, feed, needsRedraw);
        else
            takeLiveEvent(play, feed, needsRedraw);

        // Frames are skipped, never ticks: draw only once the queue is drained.
        if (needsRedraw && al_is_event_queue_empty(eventQueue)) {
            drawFrame(play);
            needsRedraw = false;
        }
    }
}

void shutDown()
{
    std::printf("Destroying all that we worked so hard to create :(\n");
    al_destroy_event_queue(eventQueue);
    al_stop_timer(gameTimer);
    al_destroy_timer(gameTimer);
    al_destroy_display(display);
    std::printf("Quitting, Thanks for playing!\n");
}
