"""The installed game as the desktop menu starts it: in the player's data
folder, with the installed font, and its Save lands there.

    test_installed.py --root ROOT --launcher LAUNCHER
"""

import argparse
import configparser
import os
import shlex
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
from harness import Game, XServer, start_game, wait_until  # noqa: E402

ROOT = None
DESKTOP_ENTRY = "/usr/share/applications/org.clodmere.Clodmere.desktop"
INSTALLED_FONT = "/usr/share/games/clodmere/arial.ttf"
FACE = (165, 165, 165)


class DesktopEntry(unittest.TestCase):
    def test_the_menu_entry_plays_in_the_data_folder_with_the_installed_font(self):
        entry = configparser.ConfigParser(interpolation=None)
        entry.read(ROOT + DESKTOP_ENTRY)
        program, *arguments = shlex.split(entry["Desktop Entry"]["Exec"])
        xserver = XServer()
        self.addCleanup(xserver.stop)
        # A menu starts the game in the home folder.
        home = os.path.join(ROOT, "home", "player")
        game = Game(xserver, program, workdir=home, args=arguments, font_beside=True)
        self.addCleanup(game.stop)
        window = start_game(xserver, game)
        self.assertIn(f"./data/arial.ttf not found, loaded {INSTALLED_FONT}", game.lines)
        wait_until(lambda: xserver.screenshot().getpixel((1440 - 98, 900 - 23)) == FACE, 20, "the HUD's Save button")
        xserver.click(1440 - 80, 900 - 10)
        game.wait_for_line("Saved the world!")
        saved = os.path.join(home, ".local", "share", "clodmere", "ClodmereSave.wld")
        self.assertEqual(os.path.getsize(saved), 9677080)
        self.assertFalse(os.path.exists(os.path.join(home, "ClodmereSave.wld")))
        xserver.close_window(window)
        self.assertEqual(game.wait_for_exit(), 0)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--launcher", required=True)
    args, rest = parser.parse_known_args()
    ROOT = os.path.abspath(args.root)
    harness.LAUNCHER[:] = args.launcher.split()
    tempfile.tempdir = os.path.join(ROOT, "tmp")
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
