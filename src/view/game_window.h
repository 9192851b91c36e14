// The game's window on the desktop: opened inside the part of the monitor
// that panels leave free, at the desktop's scale, with the game's picture
// fitted into whatever size the window manager finally gives it.
#pragma once

#include "core/system_screen.h"
#include "view/presentation.h"

#include <allegro5/allegro.h>

#include <cstdint>

// Opens the display for a game of `gameWidth` by `gameHeight` on `monitor`:
// full screen over the whole monitor, else a window in its usable area that
// will wear `frame`. `handScale` is the scale set by hand, 0 for the
// desktop's. Null when the display cannot be made.
ALLEGRO_DISPLAY *openGameWindow(int32_t gameWidth, int32_t gameHeight, bool fullScreen,
                                const ALLEGRO_MONITOR_INFO &monitor, ScreenFrame frame, double handScale,
                                Presentation &shown);

// The picture fitted again once the window manager changed the display's
// size (a tiling one, or one that imposes a size).
Presentation refitGameWindow(ALLEGRO_DISPLAY *display, const Presentation &shown);
