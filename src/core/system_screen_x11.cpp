// The desktop on X11: the window manager's work area and the desktop's
// font resolution, which GNOME and KDE set for their scaling.
#include "core/system_screen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <allegro5/allegro_x.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double ordinaryDpi = 96;
constexpr const char *dpiResource = "Xft.dpi:";

// One CARDINAL property of a window; false when it is not set.
bool cardinals(Display *x, Window window, const char *name, long *values, unsigned long count,
               unsigned long offset = 0)
{
    Atom type = None;
    int format = 0;
    unsigned long got = 0, left = 0;
    unsigned char *data = nullptr;
    const Atom atom = XInternAtom(x, name, True);
    if (atom == None || XGetWindowProperty(x, window, atom, static_cast<long>(offset),
                                           static_cast<long>(count), False, XA_CARDINAL, &type, &format, &got,
                                           &left, &data) != Success)
        return false;
    const bool whole = type == XA_CARDINAL && format == 32 && got == count;
    if (whole)
        std::memcpy(values, data, count * sizeof(long));
    if (data)
        XFree(data);
    return whole;
}

const char *nextLine(const char *line)
{
    const char *end = std::strchr(line, '\n');
    return end ? end + 1 : nullptr;
}

ScreenArea overlap(ScreenArea a, ScreenArea b)
{
    const int32_t left = std::max(a.left, b.left), top = std::max(a.top, b.top);
    const int32_t right = std::min(a.left + a.width, b.left + b.width);
    const int32_t bottom = std::min(a.top + a.height, b.top + b.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

} // namespace

bool displayIsGameSize() { return false; }

ScreenArea usableScreenArea(ScreenArea monitor)
{
    Display *x = XOpenDisplay(nullptr);
    if (!x)
        return monitor;
    long desktop = 0, area[4];
    cardinals(x, DefaultRootWindow(x), "_NET_CURRENT_DESKTOP", &desktop, 1);
    // The work area spans every monitor; this monitor's part of it is ours.
    const bool known = cardinals(x, DefaultRootWindow(x), "_NET_WORKAREA", area, 4, 4 * static_cast<unsigned long>(desktop));
    XCloseDisplay(x);
    if (!known)
        return monitor;
    const ScreenArea usable = overlap(monitor, {static_cast<int32_t>(area[0]), static_cast<int32_t>(area[1]),
                                                static_cast<int32_t>(area[2]), static_cast<int32_t>(area[3])});
    return usable.width > 0 && usable.height > 0 ? usable : monitor;
}

double desktopScale()
{
    Display *x = XOpenDisplay(nullptr);
    if (!x)
        return 1;
    double dpi = ordinaryDpi;
    if (const char *resources = XResourceManagerString(x)) {
        for (const char *line = resources; line; line = nextLine(line))
            if (std::strncmp(line, dpiResource, std::strlen(dpiResource)) == 0)
                dpi = std::strtod(line + std::strlen(dpiResource), nullptr);
    }
    XCloseDisplay(x);
    return dpi > 0 ? dpi / ordinaryDpi : 1;
}

ScreenFrame windowFrame(ALLEGRO_DISPLAY *display)
{
    Display *x = XOpenDisplay(nullptr);
    if (!x)
        return {0, 0, 0, 0};
    long extents[4]; // left, right, top, bottom
    const bool known = cardinals(x, al_get_x_window_id(display), "_NET_FRAME_EXTENTS", extents, 4);
    XCloseDisplay(x);
    if (!known)
        return {0, 0, 0, 0};
    return {static_cast<int32_t>(extents[0]), static_cast<int32_t>(extents[2]), static_cast<int32_t>(extents[1]),
            static_cast<int32_t>(extents[3])};
}

bool windowSizeDiffers(ALLEGRO_DISPLAY *display)
{
    Display *x = XOpenDisplay(nullptr);
    if (!x)
        return false;
    XWindowAttributes attributes;
    const bool known = XGetWindowAttributes(x, al_get_x_window_id(display), &attributes) != 0;
    XCloseDisplay(x);
    return known &&
           (attributes.width != al_get_display_width(display) || attributes.height != al_get_display_height(display));
}

// Moved once open, as a window manager moves a window it manages: by the
// frame's corner. A position given before it opens is the library's to
// interpret, and from 5.2.9 on it corrects it by the frame afterwards,
// which goes wrong when the window manager has kept the window inside the
// work area by then.
ALLEGRO_DISPLAY *openPlacedWindow(int32_t width, int32_t height, int32_t left, int32_t top, ScreenFrame)
{
    ALLEGRO_DISPLAY *display = al_create_display(width, height);
    Display *x = display ? XOpenDisplay(nullptr) : nullptr;
    if (!x)
        return display;
    XMoveWindow(x, al_get_x_window_id(display), left, top);
    XSync(x, False);
    XCloseDisplay(x);
    return display;
}

const char *plainCopyPixelShader() { return nullptr; }
