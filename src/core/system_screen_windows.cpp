// The desktop on Windows: the monitor's work area and the system's DPI.
#include "core/system_screen.h"

#include <allegro5/allegro_windows.h>
#include <windows.h>

#include <climits>

namespace {

constexpr double ordinaryDpi = 96;

} // namespace

bool displayIsGameSize() { return false; }

ScreenArea usableScreenArea(ScreenArea monitor)
{
    const POINT centre = {monitor.left + monitor.width / 2, monitor.top + monitor.height / 2};
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), &info))
        return monitor;
    const RECT &work = info.rcWork;
    return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

// The library makes the game aware of real pixels, so the screen's DPI is
// the one the player chose in the display settings.
double desktopScale()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return 1;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi / ordinaryDpi : 1;
}

ScreenFrame windowFrame(ALLEGRO_DISPLAY *display)
{
    HWND window = al_get_win_window_handle(display);
    RECT outer, inner;
    POINT origin = {0, 0};
    if (!window || !GetWindowRect(window, &outer) || !GetClientRect(window, &inner) || !ClientToScreen(window, &origin))
        return {0, 0, 0, 0};
    return {origin.x - outer.left, origin.y - outer.top, outer.right - (origin.x + inner.right),
            outer.bottom - (origin.y + inner.bottom)};
}

bool windowSizeDiffers(ALLEGRO_DISPLAY *display)
{
    RECT inner;
    HWND window = al_get_win_window_handle(display);
    return window && GetClientRect(window, &inner) &&
           (inner.right != al_get_display_width(display) || inner.bottom != al_get_display_height(display));
}

// The library places a new window by its inside.
ALLEGRO_DISPLAY *openPlacedWindow(int32_t width, int32_t height, int32_t left, int32_t top, ScreenFrame frame)
{
    al_set_new_window_position(left + frame.left, top + frame.top);
    ALLEGRO_DISPLAY *display = al_create_display(width, height);
    al_set_new_window_position(INT_MAX, INT_MAX);
    return display;
}

const char *plainCopyPixelShader() { return nullptr; }
