// In the browser the page fits and scales the canvas itself.
#include "core/system_screen.h"

bool displayIsGameSize() { return true; }

ScreenArea usableScreenArea(ScreenArea monitor) { return monitor; }

double desktopScale() { return 1; }

ScreenFrame windowFrame(ALLEGRO_DISPLAY *) { return {0, 0, 0, 0}; }

bool windowSizeDiffers(ALLEGRO_DISPLAY *) { return false; }

ALLEGRO_DISPLAY *openPlacedWindow(int32_t width, int32_t height, int32_t, int32_t, ScreenFrame)
{
    return al_create_display(width, height);
}
