"""The real program in a real window: start-up lines, the titled game window,
closing it with the close button, and the font fallback."""

import os
import subprocess
import tempfile
import unittest

from harness import (LAUNCHER, Game, XServer, check_no_sanitizer_report, game_environment, start_game,
                     test_main, wait_for_start_menu, wait_until)

GAME = None
DATA = None

GREETING = "Starting Clodmere 0.68! Please note that this is mainly a debug window."
WINDOWS_FONT_MISSING = "Windows font C:\\Windows\\Fonts\\Arial.ttf not found, trying ./data/arial.ttf"
NO_FONT = "Unable to find font, you cocked something up... dropping HUD elements :("
NEW_WORLD = ["Loading Blocks", "Generating a New World", "Clicked block coords: 0.000000x0.000000",
             "Starting to Draw."]
SHUTDOWN = ["Destroying all that we worked so hard to create :(", "Quitting, Thanks for playing!"]


class StartAndClose(unittest.TestCase):
    def setUp(self):
        self.xserver = XServer()
        self.addCleanup(self.xserver.stop)

    def start_game(self, with_data):
        game = Game(self.xserver, GAME, data_dir=DATA if with_data else None)
        self.addCleanup(game.stop)  # runs before the X server stops
        return game

    def play_and_close(self, game):
        window = start_game(self.xserver, game)
        self.xserver.close_window(window)
        self.assertEqual(game.wait_for_exit(), 0, game.lines + game.errors)

    def test_console_lines_in_order_and_clean_close(self):
        game = self.start_game(with_data=True)
        self.play_and_close(game)
        self.assertEqual(game.lines, [
            GREETING, "Initializing System", "Loading Font", WINDOWS_FONT_MISSING,
            "Initializing Event Sources", "Initializing Player", *NEW_WORLD,
        ] + SHUTDOWN)

    def test_without_a_font_the_game_still_runs_and_closes(self):
        game = self.start_game(with_data=False)
        self.play_and_close(game)
        self.assertEqual(game.lines, [
            GREETING, "Initializing System", "Loading Font", WINDOWS_FONT_MISSING, NO_FONT,
            "Initializing Event Sources", "Initializing Player", *NEW_WORLD,
        ] + SHUTDOWN)

    def test_from_another_folder_the_font_beside_the_program_is_found(self):
        game = Game(self.xserver, GAME, font_beside=True)
        self.addCleanup(game.stop)
        window = start_game(self.xserver, game)
        # The folder as the system names it (Wine names it from drive Z:).
        found = game.lines_after(WINDOWS_FONT_MISSING, "Initializing Event Sources")
        self.assertEqual(len(found), 1, found)
        self.assertRegex(found[0], r"^\./data/arial\.ttf not found, loaded .*[/\\]data[/\\]arial\.ttf$")
        # The HUD is drawn: the Save button's grey face.
        wait_until(lambda: self.xserver.screenshot().getpixel((1440 - 98, 900 - 23)) == (165, 165, 165), 20,
                   "the HUD's Save button")
        self.xserver.close_window(window)
        self.assertEqual(game.wait_for_exit(), 0, game.lines + game.errors)

    def test_load_world_with_a_pipe_at_the_save_name_starts_a_new_world_at_once(self):
        game = self.start_game(with_data=True)
        os.mkfifo(os.path.join(game.workdir, "ClodmereSave.wld"))
        window = start_game(self.xserver, game, ("Load World",))
        self.assertEqual(game.lines_after("Loading Blocks", "Starting to Draw."), [
            "Loading a saved world", "No save found", "Error Loading, making a new world instead.",
            "Clicked block coords: 0.000000x0.000000"])
        self.xserver.close_window(window)
        self.assertEqual(game.wait_for_exit(), 0, game.lines + game.errors)

    def test_closing_the_start_window_quits_with_status_1(self):
        game = self.start_game(with_data=True)
        start_window = wait_for_start_menu(self.xserver, game)
        self.xserver.close_window(start_window)
        self.assertEqual(game.wait_for_exit(), 1)
        self.assertEqual(game.lines[-2:], ["Initializing Player", "Quitting."])


class StartUpFailure(unittest.TestCase):
    def test_without_an_x_server_the_display_fails_with_status_1(self):
        env = game_environment({k: v for k, v in os.environ.items() if k != "DISPLAY"})
        with tempfile.TemporaryDirectory() as workdir:
            run = subprocess.run([*LAUNCHER, os.path.abspath(GAME)], cwd=workdir, env=env,
                                 capture_output=True, text=True, timeout=30)
        check_no_sanitizer_report(run.stderr)
        self.assertEqual((run.returncode, run.stdout.splitlines()),
                         (1, [GREETING, "Initializing System", "Failed to create display!"]), run.stderr[-2000:])


if __name__ == "__main__":
    test_main(globals())
