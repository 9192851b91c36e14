"""Drives the real game in a real X window: a private Xvfb, the game process
with its console, its windows, clicks, keys, screenshots and the close button.

Every wait polls a condition until a deadline; nothing waits a fixed time.
"""

import atexit
import contextlib
import ctypes
import os
import queue
import re
import select
import shutil
import sys
import subprocess
import tempfile
import threading
import time

GAME_TITLE = "Clodmere 0.68 - Since because pickles"
POLL_SECONDS = 0.02
PANEL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "panel.py")


class HarnessError(AssertionError):
    pass


def wait_until(condition, timeout, what):
    """Polls condition() until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise HarnessError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(POLL_SECONDS)


# How long the focus may take to follow a WM_TAKE_FOCUS before it is sent again.
FOCUS_RETRY_SECONDS = 1.0


class XServer:
    """A private Xvfb on a free display number, 1920x1080 at depth 24."""

    def __init__(self, width=1920, height=1080, timeout=20):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        try:
            number = b""
            deadline = time.monotonic() + timeout
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
                if not ready:
                    raise HarnessError("Xvfb did not report its display number")
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise HarnessError("Xvfb exited before it was ready")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.size = (width, height)
        self.desktop = []  # the window manager and the panel, when there are any
        # Clicks and screenshots are placed from the top-left corner of the
        # game's window last waited for: the origin under a bare X server,
        # the middle of the screen where the game centres its windows itself.
        self.origin = (0, 0)

    def run(self, *args):
        return subprocess.run(args, env=self.env, capture_output=True, text=True,
                              timeout=30).stdout

    def start_desktop(self, window_manager="openbox", panel=40, timeout=60):
        """A window manager, and a panel that reserves `panel` pixels at the
        bottom; returns once the work area leaves the panel out."""
        def start(command):
            self.desktop.append(subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL,
                                                 stderr=subprocess.DEVNULL))
        start([window_manager])
        wait_until(lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), timeout,
                   f"{window_manager} to manage the screen")
        if panel:
            start([sys.executable, PANEL, str(panel)])
            wanted = (0, 0, self.size[0], self.size[1] - panel)
            try:
                wait_until(lambda: self.work_area() == wanted, timeout, f"the work area {wanted} without the panel")
            except HarnessError as error:
                raise HarnessError(f"{error}; it is {self.work_area()}") from None

    def work_area(self):
        """(left, top, width, height) of the current desktop's work area, or None."""
        found = self.run("xprop", "-root", "_NET_WORKAREA").split("=")
        return tuple(int(value) for value in found[1].split(",")[:4]) if len(found) == 2 else None

    def frame_extents(self, window):
        """(left, right, top, bottom) of the frame around a window: zero unframed."""
        found = self.run("xprop", "-id", str(window), "_NET_FRAME_EXTENTS").split("=")
        return tuple(int(value) for value in found[1].split(",")) if len(found) == 2 else (0, 0, 0, 0)

    def set_desktop_dpi(self, dpi):
        """The font resolution GNOME and KDE set for their scaling."""
        self.run("xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER", f"Xft.dpi: {dpi}")

    def stop(self):
        for helper in reversed(self.desktop):
            helper.terminate()
            helper.wait(timeout=10)
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def windows(self, title=GAME_TITLE):
        """Ids of the mapped windows with exactly this title."""
        found = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$")
        return [int(line) for line in found.split()]

    def window_geometry(self, window):
        """(left, top, width, height) of a window on the screen."""
        info = self.run("xwininfo", "-id", str(window))
        fields = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
        return tuple(int(fields[name]) for name in
                     ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def window_size(self, window):
        return self.window_geometry(window)[2:]

    def wait_for_window(self, size, timeout=20, title=GAME_TITLE, any_size=False):
        """Waits for a window with this title and size (or any size);
        returns its id."""
        def find():
            for window in self.windows(title):
                try:
                    left, top, width, height = self.window_geometry(window)
                except (KeyError, ValueError):
                    continue  # gone between the search and the query
                self.manage(window)
                if any_size or (width, height) == size:
                    if title == GAME_TITLE:
                        self.origin = (left, top)
                    return window
            return None
        return wait_until(find, timeout, f"a {size[0]}x{size[1]} window titled {title!r}")

    def manage(self, window):
        """With no window manager, does the one part of its work that Wine
        (from 10 on) waits for: marking a mapped window's WM_STATE normal.
        Until then Wine holds back the window's focus and configuration."""
        if self.desktop or "WM_TAKE_FOCUS" not in self.run("xprop", "-id", str(window), "WM_PROTOCOLS"):
            return
        if "window state: Normal" not in self.run("xprop", "-id", str(window), "WM_STATE"):
            set_normal_wm_state(self.display, window)

    def close_window(self, window):
        """What a window manager's close button does: WM_DELETE_WINDOW."""
        send_wm_protocol(self.display, window, b"WM_DELETE_WINDOW")

    def screenshot(self, path=None, whole=False):
        """The screen from the game window's top-left corner on (or all of
        it), as an RGB image, saved to path if given."""
        from PIL import ImageGrab
        image = ImageGrab.grab(xdisplay=self.display).convert("RGB")
        if not whole:
            image = image.crop((*self.origin, *image.size))
        if path:
            image.save(path)
        return image

    def click(self, x, y, button=1):
        """A press and release at (x, y). Allegro takes a click's position
        from the last pointer motion, so the pointer always moves onto it."""
        x, y = x + self.origin[0], y + self.origin[1]
        self.run("xdotool", "mousemove", str(x + 1), str(y + 1))
        self.run("xdotool", "mousemove", str(x), str(y))
        self.run("xdotool", "click", str(button))

    def key(self, key):
        self.run("xdotool", "key", key)

    def focus(self, window, timeout=20):
        """Gives a window the keyboard focus as a window manager does. A
        window that asks for WM_TAKE_FOCUS (Wine's do, and refuse focus set
        from outside) is sent it, and has it once it has set the focus on
        itself: by then Wine has made the window active, so a click that
        follows is an ordinary click, not one spent on activating it."""
        if "WM_TAKE_FOCUS" not in self.run("xprop", "-id", str(window), "WM_PROTOCOLS"):
            self.run("xdotool", "windowfocus", "--sync", str(window))
            return
        if self.focused_window() == window:
            return
        self.manage(window)
        if "input focus: False" not in self.run("xprop", "-id", str(window), "WM_HINTS"):
            self.run("xdotool", "windowfocus", str(window))
        sent = [0.0]

        def taken():  # asked again now and then: Wine drops the message while it is busy with its focus
            if self.focused_window() == window:
                return True
            if time.monotonic() - sent[0] > FOCUS_RETRY_SECONDS:
                send_wm_protocol(self.display, window, b"WM_TAKE_FOCUS")
                sent[0] = time.monotonic()
            return False
        wait_until(taken, timeout, f"window {window} to take the focus")

    def focused_window(self):
        """The window with the keyboard focus; 0 for none or the pointer's."""
        found = self.run("xdotool", "getwindowfocus", "-f").strip()
        return int(found) if found.isdigit() else 0

    def key_down(self, key):
        self.run("xdotool", "keydown", key)

    def key_up(self, key):
        self.run("xdotool", "keyup", key)


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("client", _ClientMessage), ("pad", ctypes.c_long * 24)]


_IGNORE_X_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda _display, _error: 0)


@contextlib.contextmanager
def _xlib_connection(display_name):
    """Xlib and a connection to the display, closed afterwards."""
    xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                ctypes.c_long, ctypes.POINTER(_XEvent)]
    xlib.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                     ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    # Xlib's own handler ends the process on an error, such as a window
    # that closed a moment ago; the tests see such a window gone anyway.
    xlib.XSetErrorHandler(_IGNORE_X_ERRORS)
    connection = xlib.XOpenDisplay(display_name.encode())
    if not connection:
        raise HarnessError(f"cannot open X display {display_name}")
    try:
        yield xlib, connection
    finally:
        xlib.XCloseDisplay(connection)


def set_normal_wm_state(display_name, window):
    """WM_STATE NormalState, no icon window: what a window manager sets on
    a window it has mapped."""
    with _xlib_connection(display_name) as (xlib, connection):
        wm_state = xlib.XInternAtom(connection, b"WM_STATE", 0)
        normal_state = (ctypes.c_long * 2)(1, 0)
        xlib.XChangeProperty(connection, window, wm_state, wm_state, 32, 0, normal_state, 2)  # PropModeReplace
        xlib.XFlush(connection)


def send_wm_protocol(display_name, window, protocol):
    """A WM_PROTOCOLS client message, as a window manager sends it: the
    close button's WM_DELETE_WINDOW, or WM_TAKE_FOCUS."""
    with _xlib_connection(display_name) as (xlib, connection):
        client_message = 33
        event = _XEvent()
        event.client.type = client_message
        event.client.send_event = 1
        event.client.window = window
        event.client.message_type = xlib.XInternAtom(connection, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = xlib.XInternAtom(connection, protocol, 0)
        event.client.data[1] = 0  # CurrentTime
        if not xlib.XSendEvent(connection, window, 0, 0, ctypes.byref(event)):
            raise HarnessError("XSendEvent failed")
        xlib.XFlush(connection)


# What runs the game: nothing for a native build, Wine for the Windows one,
# a way into a Debian root for the installed package.
LAUNCHER = []
# An installed game finds its own font: with --data "" the tests give it none
# and take none away.
OWN_FONT = False

def wine_major_version():
    """The major version of the Wine that runs the game; 0 for none."""
    if not LAUNCHER:
        return 0
    found = re.match(r"wine-(\d+)", subprocess.run([*LAUNCHER, "--version"], capture_output=True, text=True).stdout)
    return int(found.group(1)) if found else 0


SANITIZER_REPORTS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


def check_no_sanitizer_report(errors):
    """Fails with the report when a sanitized game printed one."""
    if any(marker in errors for marker in SANITIZER_REPORTS):
        raise HarnessError("the sanitizers reported:\n" + errors)


def game_environment(env):
    """The game's environment. Under the sanitizers the test suite names
    Mesa's software driver in CLODMERE_KEEP_LOADED: preloaded, it is never
    unloaded, so the leak report at exit can name it and its suppression
    applies."""
    keep = os.environ.get("CLODMERE_KEEP_LOADED")
    return dict(env, LD_PRELOAD=keep) if keep else env


_fontless_copies = {}


def without_font_beside(program):
    """A copy of the program (with the libraries beside it, for Windows)
    in a folder of its own, where no font lies beside it: a game started
    from a folder without data/ then has no font at all."""
    program = os.path.abspath(program)
    if program not in _fontless_copies:
        folder = tempfile.mkdtemp(prefix="clodmere-fontless-")
        atexit.register(shutil.rmtree, folder, True)
        source = os.path.dirname(program)
        for name in os.listdir(source):
            if name == os.path.basename(program) or name.lower().endswith(".dll"):
                shutil.copy2(os.path.join(source, name), folder)
        _fontless_copies[program] = os.path.join(folder, os.path.basename(program))
    return _fontless_copies[program]


class Game:
    """The game process, started in a scratch working directory.

    Its console lines are collected as they arrive; with_data copies the
    project's data/ there so that the fallback font path resolves. Without
    it the game has no font: it runs from a copy with none beside it,
    unless font_beside says to let it find the one beside the program.
    """

    def __init__(self, xserver, game_path, data_dir=None, workdir=None, args=(), font_beside=False):
        self._own_workdir = workdir is None
        self.workdir = workdir or tempfile.mkdtemp(prefix="clodmere-e2e-")
        if data_dir:
            shutil.copytree(data_dir, os.path.join(self.workdir, "data"), dirs_exist_ok=True)
        elif not (font_beside or OWN_FONT):
            game_path = without_font_beside(game_path)
        self.lines = []
        self.errors = []
        self._arrived = queue.Queue()
        self.process = subprocess.Popen(
            [*LAUNCHER, os.path.abspath(game_path), *args], cwd=self.workdir, env=game_environment(xserver.env),
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            text=True, errors="replace")
        self._reader = threading.Thread(target=self._read_console, daemon=True)
        self._reader.start()
        self._error_reader = threading.Thread(target=self._read_errors, daemon=True)
        self._error_reader.start()

    def _read_console(self):
        for line in self.process.stdout:
            self._arrived.put(line.rstrip("\n"))
        self._arrived.put(None)

    def _read_errors(self):
        for line in self.process.stderr:
            self.errors.append(line.rstrip("\n"))

    def _drain(self, block_seconds):
        try:
            line = self._arrived.get(timeout=block_seconds)
        except queue.Empty:
            return False
        while True:
            if line is None:
                return True
            self.lines.append(line)
            try:
                line = self._arrived.get_nowait()
            except queue.Empty:
                return False

    def wait_for_line(self, text, timeout=30, count=1):
        """Waits until `count` console lines equal to text have arrived;
        returns the index of the first."""
        deadline = time.monotonic() + timeout
        while self.lines.count(text) < count:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise HarnessError(f"timed out waiting for console line {text!r} (x{count}); "
                                   f"got {self.lines!r}")
            if self._drain(min(remaining, 0.5)) and self.lines.count(text) < count:
                raise HarnessError(f"console closed before {text!r} (x{count}); got {self.lines!r}")
        return self.lines.index(text)

    def wait_for_exit(self, timeout=30):
        """Waits for the process to end; returns its exit status."""
        try:
            status = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"game still running after {timeout}s; got {self.lines!r}")
        self._reader.join(timeout=timeout)
        self._error_reader.join(timeout=timeout)
        self._drain(0)
        check_no_sanitizer_report("\n".join(self.errors))
        return status

    def lines_after(self, first, last=None):
        """The console lines after the line `first`, up to the line `last`."""
        lines = self.lines[self.lines.index(first) + 1:]
        return lines[:lines.index(last)] if last else lines

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self._reader.join(timeout=10)
        self._error_reader.join(timeout=10)
        self.process.stdout.close()
        self.process.stderr.close()
        if self._own_workdir:
            shutil.rmtree(self.workdir, ignore_errors=True)


START_WINDOW = (640, 240)
MENU_BUTTONS = {"1200x700": (90, 70), "1440x900": (240, 70), "1680x1050": (390, 70),
                "Fullscreen": (540, 70), "New World": (255, 180), "Load World": (375, 180)}


def wait_for_start_menu(xserver, game, size=START_WINDOW):
    """The start window shows before the game listens to it: input is taken
    only once the line after the event sources' registration has come. Of
    any size when size is None."""
    game.wait_for_line("Initializing Player")
    return xserver.wait_for_window(size or (0, 0), any_size=size is None)


def start_game(xserver, game, choices=("New World",), size=(1440, 900), start_size=START_WINDOW):
    """Clicks the start menu's buttons in order, the last being New World or
    Load World, waits for the world, and returns the game window's id; of
    any size when size is None."""
    wait_for_start_menu(xserver, game, start_size)
    for choice in choices:
        xserver.click(*MENU_BUTTONS.get(choice, choice))
    game.wait_for_line("Starting to Draw.")
    return xserver.wait_for_window(size or (0, 0), any_size=size is None)


def find_colour_box(image, colour, region=None):
    """The bounding box (left, top, right, bottom) of the pixels of exactly
    this colour, inside region if given; None when there are none."""
    from PIL import Image, ImageChops
    crop = image.crop(region) if region else image
    difference = ImageChops.difference(crop.convert("RGB"), Image.new("RGB", crop.size, colour))
    red, green, blue = difference.split()
    largest = ImageChops.lighter(ImageChops.lighter(red, green), blue)
    box = largest.point(lambda v: 255 if v == 0 else 0).getbbox()
    if box and region:
        box = (box[0] + region[0], box[1] + region[1], box[2] + region[0], box[3] + region[1])
    return box


def test_main(module_globals):
    """Runs a test module's unittest cases with --game and --data given."""
    import argparse
    import unittest
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--data", required=True, help='the data folder to copy, or "" for a game with its own font')
    parser.add_argument("--launcher", default="", help="a program that runs the game, such as wine64")
    args, rest = parser.parse_known_args()
    module_globals["GAME"], module_globals["DATA"] = args.game, args.data or None
    global OWN_FONT
    OWN_FONT = args.data == ""
    LAUNCHER[:] = args.launcher.split()
    unittest.main(module=module_globals["__name__"], argv=[sys.argv[0]] + rest, verbosity=2)
