"""A desktop's panel for the window tests: a dock window along the bottom of
the screen that reserves its strip, as every desktop's task bar does.
Prints "ready" once the window is mapped, then runs until it is stopped.

    panel.py [HEIGHT]
"""

import sys

from Xlib import X, Xatom, Xutil, display


def main():
    height = int(sys.argv[1]) if len(sys.argv) > 1 else 40
    x = display.Display()
    screen = x.screen()
    width, screen_height = screen.width_in_pixels, screen.height_in_pixels
    window = screen.root.create_window(0, screen_height - height, width, height, 0, screen.root_depth,
                                       X.InputOutput, X.CopyFromParent, background_pixel=screen.white_pixel)
    # Placed where it asks to be, as a panel is, not where a new window goes.
    window.set_wm_normal_hints(flags=Xutil.USPosition | Xutil.USSize, x=0, y=screen_height - height,
                               width=width, height=height)
    atom = x.intern_atom
    window.change_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32, [atom("_NET_WM_WINDOW_TYPE_DOCK")])

    def reserve_strip():
        window.change_property(atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, [0, 0, 0, height])
        window.change_property(atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32,
                               [0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1])

    reserve_strip()
    window.change_attributes(event_mask=X.StructureNotifyMask)
    window.map()
    x.sync()
    # Once the window manager has mapped the panel, the strip is asked for
    # again: a manager still starting up when the panel appeared may have
    # missed it, and hears a changed property of a window it manages.
    while x.next_event().type != X.MapNotify:
        pass
    reserve_strip()
    x.sync()
    print("ready", flush=True)
    while True:
        x.next_event()


if __name__ == "__main__":
    main()
