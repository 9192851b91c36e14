"""Playing in the real window: the first frames of a new world, and walking."""

import unittest

from harness import Game, XServer, find_colour_box, test_main, wait_until

GAME = None
DATA = None

SKY = (125, 125, 255)
PLAYER = (0, 125, 125)
WINDOW = (0, 0, 1440, 900)  # no window manager: the window sits at the origin


class NewWorld(unittest.TestCase):
    def setUp(self):
        self.xserver = XServer()
        self.addCleanup(self.xserver.stop)
        self.game = Game(self.xserver, GAME, data_dir=DATA)
        self.addCleanup(self.game.stop)
        self.game.wait_for_line("Starting to Draw.")
        self.window = self.xserver.wait_for_window((1440, 900))

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

        self.xserver.close_window(self.window)
        self.assertEqual(self.game.wait_for_exit(), 0)


if __name__ == "__main__":
    test_main(globals())
