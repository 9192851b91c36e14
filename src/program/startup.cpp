// Start-up, step by step, each failure with its own console line.
#include "program/startup.h"

#include "program/globals.h"
#include "program/main_loop.h"
#include "view/bitmaps.h"
#include "view/start_menu.h"

#include <allegro5/allegro_ttf.h>

#include <cstdio>
#include <cstdlib>

using namespace program;

namespace {

constexpr double tickSeconds = 1.0 / 60.0;

// The installed game's data folder, fixed when the game is built.
#ifndef CLODMERE_INSTALLED_DATA_DIR
#define CLODMERE_INSTALLED_DATA_DIR "/usr/local/share/games/clodmere"
#endif
constexpr const char *installedDataFolder = CLODMERE_INSTALLED_DATA_DIR;
constexpr const char *fontFileName = "arial.ttf";
constexpr int vsyncOff = 2; // the library's value for "never wait for the refresh"

void loadHudFont()
{
    std::printf("Loading Font\n");
    al_init_font_addon();
    al_init_ttf_addon();
    hudFont = loadHudFontFromItsPlaces(true);
    if (hudFont)
        return;
    hudEnabled = false;
    std::printf("Unable to find font, you cocked something up... dropping HUD elements :(\n");
}

// The library, with the game's name as the title of every window.
void startLibrary()
{
    std::printf("Initializing System\n");
    al_set_app_name(gameTitle);
    // What al_init does, with the version of the headers we were built with.
    if (!al_install_system(ALLEGRO_VERSION_INT, std::atexit))
        failStartUp("Failed to initialize allegro!\n");
}

// The queue, input, the timer and the font, after the first display.
void startEventsAndFont()
{
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
}

void registerEventSources(bool liveInput)
{
    std::printf("Initializing Event Sources\n");
    al_register_event_source(eventQueue, al_get_display_event_source(display));
    if (liveInput)
        al_register_event_source(eventQueue, al_get_mouse_event_source());
    al_register_event_source(eventQueue, al_get_timer_event_source(gameTimer));
    if (liveInput)
        al_register_event_source(eventQueue, al_get_keyboard_event_source());
}

// The steps every start shares, from the first display to the HUD's button
// face. Live input is left out when a session plays back.
void startWithDisplay(int width, int height, bool liveInput)
{
    display = al_create_display(width, height);
    if (!display)
        failStartUp("Failed to create display!\n");
    startEventsAndFont();
    registerEventSources(liveInput);

    std::printf("Initializing Player\n");
    gameState = newGameState(createPlayerBitmap());

    hudButtonBitmap = createHudButtonBitmap();
}

} // namespace

std::vector<std::string> moreHudFontPaths()
{
    std::vector<std::string> paths = {std::string(installedDataFolder) + "/" + fontFileName};
    if (ALLEGRO_PATH *program = al_get_standard_path(ALLEGRO_RESOURCES_PATH)) {
        al_append_path_component(program, "data");
        al_set_path_filename(program, fontFileName);
        paths.push_back(al_path_cstr(program, ALLEGRO_NATIVE_PATH_SEP));
        al_destroy_path(program);
    }
    return paths;
}

ALLEGRO_FONT *loadHudFontFromItsPlaces(bool report)
{
    if (ALLEGRO_FONT *font = al_load_font(windowsFontPath, hudFontSize, 0))
        return font;
    if (report)
        std::printf("Windows font %s not found, trying %s\n", windowsFontPath, fallbackFontPath);
    if (ALLEGRO_FONT *font = al_load_font(fallbackFontPath, hudFontSize, 0))
        return font;
    for (const std::string &path : moreHudFontPaths()) {
        if (ALLEGRO_FONT *font = al_load_font(path.c_str(), hudFontSize, 0)) {
            if (report)
                std::printf("%s not found, loaded %s\n", fallbackFontPath, path.c_str());
            return font;
        }
    }
    return nullptr;
}

// A failure after the window opened closes it before the exit, for the
// same reason as quitting from the start menu.
void failStartUp(const char *line)
{
    std::printf("%s", line);
    al_uninstall_system();
    std::exit(1);
}

void startUp(double handScale)
{
    startLibrary();
    startWithDisplay(startWindowWidth, startWindowHeight, true);
    gameState = runStartMenu(gameState, hudFont, display, eventQueue, currentEvent, handScale, presentation);
    if (!display)
        failStartUp("Failed to create display!\n");
    if (!preparePicture(scaledPicture, presentation))
        showAtActualSize();

    hudBarBitmap = createHudBarBitmap(gameState.screenWidth);
}

void startUpForPlayback(int32_t screenWidth, int32_t screenHeight, bool timeDemo)
{
    startLibrary();
    // A session recorded full screen plays in a frameless window again.
    ALLEGRO_MONITOR_INFO monitor;
    int32_t fullWidth = 0, fullHeight = 0;
    if (al_get_monitor_info(0, &monitor))
        gameDisplaySize({0, 0, true}, monitor, fullWidth, fullHeight);
    if (screenWidth == fullWidth && screenHeight == fullHeight)
        al_set_new_display_flags(ALLEGRO_NOFRAME);
    if (timeDemo)
        al_set_new_display_option(ALLEGRO_VSYNC, vsyncOff, ALLEGRO_SUGGEST);
    startWithDisplay(screenWidth, screenHeight, false);

    gameState.screenWidth = screenWidth;
    gameState.screenHeight = screenHeight;
    presentation = presentGame(screenWidth, screenHeight, screenWidth, screenHeight, 1);
    hudBarBitmap = createHudBarBitmap(screenWidth);
}
