"""The start menu in the real window: its click areas, the display sizes,
Fullscreen, and Load World with and without a save file."""

import os
import shutil
import tempfile
import unittest

from harness import LAUNCHER, Game, XServer, start_game, test_main, wait_until

SCREEN = (1920, 1080)  # the X server's, as the harness makes it

GAME = None
DATA = None

SAVE_SIZE = 9677080


class StartMenu(unittest.TestCase):
    def setUp(self):
        self.xserver = XServer()
        self.addCleanup(self.xserver.stop)

    def launch(self, workdir=None):
        game = Game(self.xserver, GAME, data_dir=DATA, workdir=workdir)
        self.addCleanup(game.stop)
        return game

    def close(self, game, window):
        self.xserver.close_window(window)
        self.assertEqual(game.wait_for_exit(), 0, game.lines + game.errors)

    def menu_lines(self, game):
        start = game.lines.index("Initializing Player") + 1
        return game.lines[start:game.lines.index("Loading Blocks")]

    def test_click_areas_are_strict_and_load_world_stops_short_of_its_face(self):
        game = self.launch()
        # (50, 50) is the first face's corner; (415, 180) is on Load World's
        # face but outside its area. Neither does anything.
        window = start_game(self.xserver, game, [(50, 50), (51, 51), (415, 180), "New World"],
                            size=(1200, 700))
        self.assertEqual(self.menu_lines(game), ["Selected Resolution: 1200x700!"])
        self.assertIn("Generating a New World", game.lines)
        self.close(game, window)

    def test_each_preset_size_and_the_last_choice_decides(self):
        for choices, size in [(["1680x1050"], (1680, 1050)),
                              (["Fullscreen", "1200x700", "1200x700"], (1200, 700)),
                              (["1680x1050", "1440x900"], (1440, 900))]:
            with self.subTest(choices=choices):
                game = self.launch()
                window = start_game(self.xserver, game, choices + ["New World"], size=None)
                # At its own size, or scaled down where it does not fit with
                # the frame Wine (like Windows) puts around it.
                width, height = self.xserver.window_size(window)
                if (width, height) != size:
                    self.assertTrue(LAUNCHER and height < size[1] and abs(height * size[0] / size[1] - width) <= 1,
                                    (width, height))
                self.assertEqual(self.menu_lines(game),
                                 [f"Selected Resolution: {choice}!" for choice in choices])
                self.close(game, window)

    def skip_full_screen_under_wine(self):
        """Under Wine, closing a window that covers the screen can end the
        process with an X error of Wine's own X11 driver (BadWindow on
        X_UnmapWindow of a window another thread had destroyed), at random.
        Windows has no such failure; Linux tests full screen every run."""
        if LAUNCHER:
            self.skipTest("full screen under Wine: an X error in Wine's X11 driver when the window closes")

    def test_fullscreen_covers_the_monitor_and_shows_the_whole_game(self):
        """The game stays a pixel larger than the monitor each way; its
        picture is fitted to the monitor, the HUD's right edge included, and
        a click on Save where it is shown saves."""
        self.skip_full_screen_under_wine()
        game = self.launch()
        window = start_game(self.xserver, game, ["1200x700", "Fullscreen", "New World"], size=SCREEN)
        wait_until(lambda: self.xserver.screenshot().getpixel((SCREEN[0] - 3, SCREEN[1] - 12)) == (165, 165, 165),
                   20, "the Load face at the screen's corner")
        self.xserver.click((1921 - 80) * SCREEN[0] // 1921, (1081 - 10) * SCREEN[1] // 1081)
        game.wait_for_line("Saved the world!")
        self.close(game, window)

    def test_load_world_without_and_then_with_a_save_file(self):
        workdir = tempfile.mkdtemp(prefix="clodmere-e2e-")
        self.addCleanup(shutil.rmtree, workdir, True)

        game = self.launch(workdir)
        window = start_game(self.xserver, game, ["Load World"])
        lines = game.lines
        at = lines.index("Loading a saved world")
        self.assertEqual(lines[at:at + 4], ["Loading a saved world", "No save found",
                                            "Error Loading, making a new world instead.",
                                            "Clicked block coords: 0.000000x0.000000"])
        # Save from the HUD's Save face.
        self.xserver.click(1440 - 80, 900 - 10)
        game.wait_for_line("Saved the world!")
        self.assertEqual(os.path.getsize(os.path.join(workdir, "ClodmereSave.wld")), SAVE_SIZE)
        self.close(game, window)

        self.skip_full_screen_under_wine()
        game = self.launch(workdir)
        window = start_game(self.xserver, game, ["Fullscreen", "Load World"], size=SCREEN)
        at = game.lines.index("Loading a saved world")
        self.assertEqual(game.lines[at:at + 2], ["Loading a saved world", "Loaded the world!"])
        self.close(game, window)


if __name__ == "__main__":
    test_main(globals())
