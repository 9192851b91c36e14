"""Playing in the real window: the first frames of a new world, walking,
digging and placing next to the player, and saving and loading from the HUD."""

import os
import struct
import subprocess
import time
import unittest

from harness import Game, XServer, find_colour_box, start_game, test_main, wait_until, wine_major_version

GAME = None
DATA = None

SKY = (125, 125, 255)
GRASS = (0, 255, 0)
DUG = (0, 0, 0)
PLAYER = (0, 125, 125)
WINDOW = (0, 0, 1440, 900)  # no window manager: the window sits at the origin


class NewWorld(unittest.TestCase):
    def setUp(self):
        self.xserver = XServer()
        self.addCleanup(self.xserver.stop)
        self.game = Game(self.xserver, GAME, data_dir=DATA)
        self.addCleanup(self.game.stop)
        self.window = start_game(self.xserver, self.game)

    def tearDown(self):
        self.xserver.close_window(self.window)
        self.assertEqual(self.game.wait_for_exit(), 0)

    def player_box(self, shot=None):
        return find_colour_box(shot or self.xserver.screenshot(), PLAYER, WINDOW)

    def test_first_frames_show_sky_and_the_player_then_walking_right_moves_it(self):
        first = wait_until(self.player_box, 20, "the player box on screen")
        shot = self.xserver.screenshot()
        self.assertEqual(shot.getpixel((0, 0)), SKY)
        left, top, right, bottom = first
        self.assertEqual((left, right - left, bottom - top), (30, 10, 20))
        self.assertGreaterEqual(top, 30)  # it starts at 30 and falls from the first tick

        self.xserver.focus(self.window)
        self.xserver.key_down("Right")
        try:
            moved = wait_until(lambda: (box := self.player_box()) and box[0] >= 60 and box,
                               20, "the player box to move right")
        finally:
            self.xserver.key_up("Right")
        self.assertEqual(moved[2] - moved[0], 10)

    def test_dig_and_place_beside_the_player_after_it_lands(self):
        # Landed on row 121 at (30, 1190): the view is centred vertically and
        # the grass row starts at screen y 470; column 5 is at screen x 50.
        # The grass row shows at screen y 470 only while the player stands on it.
        def landed():
            shot = self.xserver.screenshot()
            return self.player_box(shot) == (30, 450, 40, 470) and shot.getpixel((35, 475)) == GRASS
        wait_until(landed, 30, "the player to land")
        target = (55, 475)
        self.assertEqual(self.xserver.screenshot().getpixel(target), GRASS)

        self.xserver.click(*target)
        self.game.wait_for_line("Clicked block coords: 50.000000x1210.000000")
        wait_until(lambda: self.xserver.screenshot().getpixel(target) == DUG, 10, "the cell dug out")

        self.xserver.focus(self.window)
        self.xserver.key("2")  # Grass: the slot that holds the dug block
        self.xserver.click(*target, button=3)
        wait_until(lambda: self.xserver.screenshot().getpixel(target) == GRASS, 10, "the grass put back")
        self.game.wait_for_line("Clicked block coords: 50.000000x1210.000000", count=2)

        self.xserver.click(1440 - 80, 900 - 10)  # the Save face
        self.game.wait_for_line("Saved the world!")
        self.assertEqual(os.path.getsize(os.path.join(self.game.workdir, "ClodmereSave.wld")), 9677080)
        self.xserver.click(1440 - 10, 900 - 10)  # the Load face
        self.game.wait_for_line("Loaded the world!")

    def test_a_key_released_in_another_window_does_not_stay_held(self):
        if wine_major_version() >= 10:
            # Seen with Wine 10.0: when the X focus goes to another client's
            # window and no window manager runs, Wine unmaps the game's
            # window and can end the game with an X error of its own X11
            # driver. Windows has no such failure; Linux and Wine 8 run this.
            self.skipTest("Wine 10 without a window manager loses the window when the focus leaves it")
        wait_until(lambda: self.player_box(), 20, "the player box on screen")
        # In the screen's bottom-right corner, clear of the game window
        # wherever it is placed (at the origin here, centred under Wine).
        other = subprocess.Popen(["xmessage", "-geometry", "-0-0", "elsewhere"], env=self.xserver.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (other.kill(), other.wait()))
        elsewhere = self.xserver.wait_for_window((0, 0), title="xmessage", any_size=True)

        self.xserver.focus(self.window)
        self.xserver.key_down("Right")
        wait_until(lambda: self.player_box()[0] >= 60, 20, "the player to walk right")
        self.xserver.focus(elsewhere)
        self.xserver.key_up("Right")  # the release goes to the other window
        self.xserver.focus(self.window)

        def saved_x(count):
            self.xserver.click(1440 - 80, 900 - 10)
            self.game.wait_for_line("Saved the world!", count=count)
            with open(os.path.join(self.game.workdir, "ClodmereSave.wld"), "rb") as file:
                return struct.unpack("<f", file.read(4))[0]
        first = saved_x(1)
        time.sleep(1.0)  # the span measured, not a wait for something to happen
        self.assertEqual(saved_x(2), first, "the player walked on with no key held")


if __name__ == "__main__":
    test_main(globals())
