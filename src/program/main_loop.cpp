// The main loop: take an event, dispatch it, draw when a frame is due.
#include "program/main_loop.h"

#include "program/globals.h"
#include "view/frame.h"
#include "view/game_window.h"

#include <cstdio>

using namespace program;

namespace {

// The pointer's place in the game's pixels. False for a place on the bars
// around the picture: nothing of the game is there.
bool inGamePixels(ALLEGRO_MOUSE_EVENT &mouse)
{
    int32_t x = 0, y = 0;
    if (!windowToGame(presentation, mouse.x, mouse.y, x, y))
        return false;
    mouse.x = x;
    mouse.y = y;
    return true;
}

// A window manager that gives the window another size than asked for:
// the game keeps its size, and the picture fits the new window.
void refitPicture(bool &needsRedraw)
{
    presentation = refitGameWindow(display, presentation);
    if (!preparePicture(scaledPicture, presentation))
        showAtActualSize();
    needsRedraw = true;
}

bool isClick(const ALLEGRO_EVENT &event)
{
    return event.type == ALLEGRO_EVENT_MOUSE_BUTTON_DOWN || event.type == ALLEGRO_EVENT_MOUSE_BUTTON_UP;
}

// The player's event goes to its handler, and into the recording first, so
// that an event whose handler fails is in the script that shows the fault.
void takeLiveEvent(PlayContext &play, EventFeed &feed, bool &needsRedraw)
{
    // Clicks are the game's pixels from here on, in the recording too.
    if (isClick(currentEvent) && !inGamePixels(currentEvent.mouse))
        return;
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

void showAtActualSize()
{
    presentation = presentGame(gameState.screenWidth, gameState.screenHeight, gameState.screenWidth,
                               gameState.screenHeight, 1);
    std::printf("Cannot scale the picture: showing it at its own size\n");
}

void drawFrame(const PlayContext &play, bool untilDrawn)
{
    beginPicture(scaledPicture, presentation, display);
    drawGameFrame(play.grid, play.blockTypes, gameState,
                  {hudEnabled ? hudFont : nullptr, hudButtonBitmap, hudBarBitmap});
    showPicture(scaledPicture, presentation, display);
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
        if (currentEvent.type == ALLEGRO_EVENT_DISPLAY_RESIZE)
            refitPicture(needsRedraw);

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
