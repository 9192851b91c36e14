// The desktop the game's window opens on: the one place that knows which
// system draws the windows. system_screen_x11.cpp, system_screen_windows.cpp
// and system_screen_web.cpp each give all of it.
#pragma once

#include <allegro5/allegro.h>

#include <cstdint>

// A rectangle of the desktop, in its pixels.
struct ScreenArea {
    int32_t left, top, width, height;
};

// Whether the game's display is always the game's own size, whatever the
// screen: in the browser the page fits and scales the canvas itself.
bool displayIsGameSize();

// What the window manager draws around a window's inside.
struct ScreenFrame {
    int32_t left, top, right, bottom;
};

// The part of the monitor at `monitor` that windows may use: without the
// panels and task bars that reserve their strips. The whole monitor when the
// desktop says nothing of it.
ScreenArea usableScreenArea(ScreenArea monitor);

// The scale the desktop asks programs to draw at: 1 on an ordinary screen,
// 2 on a high-density one at 200 %.
double desktopScale();

// The frame around an open window; none when nothing frames it.
ScreenFrame windowFrame(ALLEGRO_DISPLAY *display);

// Whether the window's inside is no longer the display's size: the window
// manager gave it another, perhaps before the display's events were heard.
bool windowSizeDiffers(ALLEGRO_DISPLAY *display);

// Opens a display of `width` by `height` with its frame's top left corner
// at (left, top) of the desktop; `frame` is what will surround it. Null when
// the display cannot be made.
ALLEGRO_DISPLAY *openPlacedWindow(int32_t width, int32_t height, int32_t left, int32_t top, ScreenFrame frame);

// The pixel shader for a plain copy of a bitmap (a white tint, no blending),
// where the default shader's per-pixel tint is a cost worth saving: in a
// browser, whose WebGL often draws on the CPU. Null where it is not.
const char *plainCopyPixelShader();
