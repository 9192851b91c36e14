// Start-up, step by step, each failure with its own console line.
#include "core/startup.h"

#include "core/program.h"
#include "view/bitmaps.h"
#include "view/start_menu.h"

#include <allegro5/allegro_ttf.h>

#include <cstdio>
#include <cstdlib>

using namespace program;

namespace {

constexpr double tickSeconds = 1.0 / 60.0;

void loadHudFont()
{
    std::printf("Loading Font\n");
    al_init_font_addon();
    al_init_ttf_addon();
    hudFont = al_load_font(windowsFontPath, hudFontSize, 0);
    if (hudFont)
        return;
    std::printf("Windows font %s not found, trying %s\n", windowsFontPath, fallbackFontPath);
    hudFont = al_load_font(fallbackFontPath, hudFontSize, 0);
    if (hudFont)
        return;
    hudEnabled = false;
    std::printf("Unable to find font, you cocked something up... dropping HUD elements :(\n");
}

} // namespace

void failStartUp(const char *line)
{
    std::printf("%s", line);
    std::exit(1);
}

void startUp()
{
    std::printf("Initializing System\n");
    al_set_app_name(gameTitle);
    // What al_init does, with the version of the headers we were built with.
    if (!al_install_system(ALLEGRO_VERSION_INT, std::atexit))
        failStartUp("Failed to initialize allegro!\n");

    display = al_create_display(startWindowWidth, startWindowHeight);
    if (!display)
        failStartUp("Failed to create display!\n");
    eventQueue = al_create_event_queue();
    if (!eventQueue)
        failStartUp("Failed to create event queue\n");
    if (!al_install_mouse())
        failStartUp("Failed to initialize the mouse!\n");
    if (!al_install_keyboard())
        failStartUp("Failed to initialize the keyboard!\n");
    gameTimer = al_create_timer(tickSeconds);
    if (!gameTimer)
        failStartUp("Failed to initialize the timer!\n");

    loadHudFont();

    std::printf("Initializing Event Sources\n");
    al_register_event_source(eventQueue, al_get_display_event_source(display));
    al_register_event_source(eventQueue, al_get_mouse_event_source());
    al_register_event_source(eventQueue, al_get_timer_event_source(gameTimer));
    al_register_event_source(eventQueue, al_get_keyboard_event_source());

    std::printf("Initializing Player\n");
    gameState = newGameState(createPlayerBitmap());

    hudButtonBitmap = createHudButtonBitmap();

    gameState = runStartMenu(gameState, hudFont, display, eventQueue, currentEvent);

    hudBarBitmap = createHudBarBitmap(gameState.screenWidth);
}
