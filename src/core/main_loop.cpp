// The main loop: take an event, dispatch it, draw when a frame is due.
#include "core/main_loop.h"

#include "core/dispatch.h"
#include "core/program.h"
#include "view/hud.h"
#include "view/world_view.h"

#include <cstdio>

using namespace program;

namespace {

// Holding lets the library batch the many small draws of one frame.
void drawFrame(const PlayContext &play)
{
    al_hold_bitmap_drawing(true);
    drawWorldView(play.grid, gameState);
    if (hudEnabled)
        drawHud(gameState, play.blockTypes, hudFont, hudButtonBitmap, hudBarBitmap);
    al_hold_bitmap_drawing(false);
    al_flip_display();
}

} // namespace

void runMainLoop(PlayContext &play)
{
    bool needsRedraw = true; // the first frame follows the first event
    for (;;) {
        al_wait_for_event(eventQueue, &currentEvent);
        // The close ends the loop at once: nothing behind it is handled.
        if (currentEvent.type == ALLEGRO_EVENT_DISPLAY_CLOSE)
            break;

        gameState = dispatchEvent(currentEvent, gameState, play, needsRedraw);

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
