// Opening the game's window where it fits, and fitting the picture to it.
#include "view/game_window.h"

ALLEGRO_DISPLAY *openGameWindow(int32_t gameWidth, int32_t gameHeight, bool fullScreen,
                                const ALLEGRO_MONITOR_INFO &monitor, ScreenFrame frame, double handScale,
                                Presentation &shown)
{
    const ScreenArea whole = {monitor.x1, monitor.y1, monitor.x2 - monitor.x1, monitor.y2 - monitor.y1};
    ALLEGRO_DISPLAY *display = nullptr;
    if (displayIsGameSize()) {
        // A frameless display of the game's size stands for full screen.
        al_set_new_display_flags(fullScreen ? ALLEGRO_NOFRAME : 0);
        display = al_create_display(gameWidth, gameHeight);
        al_set_new_display_flags(0);
        shown = presentGame(gameWidth, gameHeight, gameWidth, gameHeight, 1);
        return display;
    }
    // Full screen shows the whole game, which is a pixel larger each way
    // than the monitor, as large as fits.
    double scale = handScale > 0 ? handScale : 1;
    if (fullScreen) {
        // The window manager is asked for the whole monitor, over its panels.
        al_set_new_display_flags(ALLEGRO_FULLSCREEN_WINDOW);
        display = al_create_display(whole.width, whole.height);
        al_set_new_display_flags(0);
    } else {
        const WindowPlace place = placeGameWindow(gameWidth, gameHeight, usableScreenArea(whole), frame,
                                                  handScale > 0 ? handScale : desktopScale(), handScale > 0);
        display = openPlacedWindow(place.width, place.height, place.left, place.top, frame);
        scale = place.scale;
    }
    if (!display)
        return nullptr;
    shown = presentGame(gameWidth, gameHeight, al_get_display_width(display), al_get_display_height(display), scale);
    return display;
}

Presentation refitGameWindow(ALLEGRO_DISPLAY *display, const Presentation &shown)
{
    al_acknowledge_resize(display);
    return presentGame(shown.gameWidth, shown.gameHeight, al_get_display_width(display),
                       al_get_display_height(display), shown.wanted);
}
