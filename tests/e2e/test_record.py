"""Recording real play in the window, then playing the session folder again:
headless through the replay tool, in the window with --play, and timed with
--timedemo; and a recording cut short by SIGKILL."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import unittest

from harness import Game, XServer, find_colour_box, start_game, test_main, wait_until, without_font_beside

GAME = None
DATA = None
REPLAY = None
SESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sessions")

PLAYER = (0, 125, 125)
GRASS = (0, 255, 0)
DUG = (0, 0, 0)
FIRST_EVENT = "Starting to Draw."
SHUTDOWN = "Destroying all that we worked so hard to create :("


def replay_session(folder, workdir, *extra):
    """The replay tool on a session folder, in `workdir` seeded with the
    folder's save slot; returns its standard output lines. Its frame has a
    HUD only when workdir holds data/."""
    slot = os.path.join(folder, "ClodmereSave.wld")
    if os.path.exists(slot):
        shutil.copyfile(slot, os.path.join(workdir, "ClodmereSave.wld"))
    replay = REPLAY if os.path.exists(os.path.join(workdir, "data")) else without_font_beside(REPLAY)
    run = subprocess.run([replay, "--session", folder, *extra], cwd=workdir,
                         capture_output=True, text=True, timeout=120)
    if run.returncode != 0:
        raise AssertionError(f"the replay failed ({run.returncode}): {run.stderr}")
    return run.stdout.splitlines()


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()


class RecordAndReplay(unittest.TestCase):
    def setUp(self):
        self.xserver = XServer()
        self.addCleanup(self.xserver.stop)
        self.scratch = tempfile.mkdtemp(prefix="clodmere-record-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.folder = os.path.join(self.scratch, "session")

    def game(self, args, with_font, workdir=None):
        game = Game(self.xserver, GAME, data_dir=DATA if with_font else None, workdir=workdir, args=args)
        self.addCleanup(game.stop)  # before the X server stops
        return game

    def player_box(self, size):
        return find_colour_box(self.xserver.screenshot(), PLAYER, (0, 0, *size))

    def wait_standing(self, size, top):
        """The view follows the player while it falls: it has landed when
        the grass starts right under its feet."""
        def standing():
            shot = self.xserver.screenshot()
            box = find_colour_box(shot, PLAYER, (0, 0, *size))
            return box and box[1] == top and shot.getpixel((box[0] + 5, top + 20)) == GRASS and box
        return wait_until(standing, 30, f"the player standing with its top at {top}")

    def play(self, game, window, size, standing_top):
        """Walks, jumps, digs and places beside the player, then Save, Load,
        Save again; the player stands still for the last Save."""
        width, height = size
        self.wait_standing(size, standing_top)
        self.xserver.focus(window)
        self.xserver.key_down("Right")
        try:
            wait_until(lambda: self.player_box(size)[0] >= 60, 20, "the player to walk right")
        finally:
            self.xserver.key_up("Right")
        self.xserver.key_down("Up")
        try:  # the view follows the jump: the grass leaves the feet
            wait_until(lambda: self.xserver.screenshot().getpixel((self.player_box(size)[0] + 5, standing_top + 20))
                       != GRASS, 20, "the player to jump")
        finally:
            self.xserver.key_up("Up")
        left = self.wait_standing(size, standing_top)[0]

        cell = (left + 15, standing_top + 25)  # the grass right of the feet
        self.xserver.click(*cell)
        wait_until(lambda: self.xserver.screenshot().getpixel(cell) == DUG, 10, "the cell dug out")
        self.xserver.focus(window)
        self.xserver.key("2")
        self.xserver.click(*cell, button=3)
        wait_until(lambda: self.xserver.screenshot().getpixel(cell) == GRASS, 10, "the grass put back")

        self.xserver.click(width - 80, height - 10)
        game.wait_for_line("Saved the world!")
        self.xserver.click(width - 10, height - 10)
        game.wait_for_line("Loaded the world!", count=game.lines.count("Loaded the world!") + 1)
        self.xserver.click(width - 80, height - 10)
        game.wait_for_line("Saved the world!", count=2)
        self.xserver.close_window(window)
        self.assertEqual(game.wait_for_exit(), 0)
        return game.lines_after(FIRST_EVENT, SHUTDOWN)

    def check_replay(self, recorded_lines, last_save, with_font):
        """The replay tool gives the same lines from the first event on and
        ends with the world and state of the last save; returns its frame."""
        workdir = os.path.join(self.scratch, "replay")
        os.mkdir(workdir)
        if with_font:
            os.symlink(os.path.abspath(DATA), os.path.join(workdir, "data"))
        lines = replay_session(self.folder, workdir, "--out", "out.wld", "--frame", "frame.png")
        self.assertEqual(lines[1:-1], recorded_lines)
        self.assertEqual(read_bytes(os.path.join(workdir, "out.wld")), last_save)
        from PIL import Image
        return Image.open(os.path.join(workdir, "frame.png")).convert("RGB")

    def check_play_back(self, recorded_lines, frame, with_font, masked=()):
        """--play shows the same lines and ends on the replay's frame, and
        its Save and Load leave the working directory's save alone."""
        from PIL import ImageChops, ImageDraw
        workdir = os.path.join(self.scratch, "play")
        os.mkdir(workdir)
        sentinel = os.path.join(workdir, "ClodmereSave.wld")
        with open(sentinel, "wb") as file:
            file.write(b"the player's own save")
        game = self.game(["--play", self.folder], with_font, workdir=workdir)
        window = self.xserver.wait_for_window(frame.size)
        last = recorded_lines[-1]
        game.wait_for_line(last, count=recorded_lines.count(last))

        def same_picture():
            shot = self.xserver.screenshot().crop((0, 0, *frame.size))
            difference = ImageChops.difference(shot, frame)
            for box in masked:
                ImageDraw.Draw(difference).rectangle(box, fill=(0, 0, 0))
            return difference.getbbox() is None
        wait_until(same_picture, 30, "the last frame of the session")
        self.xserver.close_window(window)
        self.assertEqual(game.wait_for_exit(), 0)
        self.assertEqual(game.lines_after(FIRST_EVENT, SHUTDOWN), recorded_lines)
        self.assertEqual(read_bytes(sentinel), b"the player's own save")

    def test_new_world(self):
        workdir = os.path.join(self.scratch, "game")
        os.mkdir(workdir)
        game = self.game(["--record", self.folder], with_font=False, workdir=workdir)
        window = start_game(self.xserver, game, ("1200x700", "New World"), size=(1200, 700))
        recorded = self.play(game, window, (1200, 700), standing_top=350)

        self.assertRegex(read_bytes(os.path.join(self.folder, "args")).decode(),
                         r"^--screen 1200x700 --seed \d+\n$")
        self.assertEqual(sorted(os.listdir(self.folder)), ["args", "script"])
        frame = self.check_replay(recorded, read_bytes(os.path.join(workdir, "ClodmereSave.wld")), with_font=False)
        self.check_play_back(recorded, frame, with_font=False)

    def test_load_world_at_start_up(self):
        workdir = os.path.join(self.scratch, "game")
        os.mkdir(workdir)
        landed = subprocess.run([REPLAY, "--seed", "42", "--out", "ClodmereSave.wld"], input="tick 465\n",
                                cwd=workdir, capture_output=True, text=True, timeout=60)
        self.assertEqual(landed.returncode, 0, landed.stderr)
        saved = read_bytes(os.path.join(workdir, "ClodmereSave.wld"))
        game = self.game(["--record", self.folder], with_font=True, workdir=workdir)
        window = start_game(self.xserver, game, ("Load World",))
        self.assertEqual(game.lines_after("Loading a saved world")[0], "Loaded the world!")
        recorded = self.play(game, window, (1440, 900), standing_top=450)

        self.assertEqual(read_bytes(os.path.join(self.folder, "args")), b"--screen 1440x900 --world start.wld\n")
        self.assertEqual(read_bytes(os.path.join(self.folder, "start.wld")), saved)
        self.assertEqual(read_bytes(os.path.join(self.folder, "ClodmereSave.wld")), saved)
        frame = self.check_replay(recorded, read_bytes(os.path.join(workdir, "ClodmereSave.wld")), with_font=True)
        # The HUD's texts are drawn by another renderer on the display.
        texts = [(0, 900 - 42, 360, 900), (1440 - 100, 900 - 22, 1440, 900)]
        self.check_play_back(recorded, frame, with_font=True, masked=texts)

    def test_a_recording_killed_mid_session_still_replays(self):
        game = self.game(["--record", self.folder], with_font=False)
        window = start_game(self.xserver, game)
        self.xserver.focus(window)
        self.xserver.key_down("Right")
        self.xserver.click(35, 35)
        script_path = os.path.join(self.folder, "script")
        wait_until(lambda: "click 35 35 1\n" in read_bytes(script_path).decode(), 10,
                   "the click written at once")
        os.kill(game.process.pid, signal.SIGKILL)
        game.wait_for_exit()

        self.assertTrue(read_bytes(script_path).endswith(b"\n"))
        lines = replay_session(self.folder, self.scratch)
        self.assertTrue(lines[1].startswith("Clicked block coords: "), lines)


class TimeDemo(unittest.TestCase):
    def test_a_recorded_session_plays_through_and_reports_its_frames(self):
        session = os.path.join(SESSIONS, "dig-a-shaft")
        with open(os.path.join(session, "expected-stdout")) as file:
            expected = file.read().splitlines()
        ticks = int(expected[-1].split()[1])
        xserver = XServer()
        self.addCleanup(xserver.stop)
        game = Game(xserver, GAME, args=["--timedemo", session])
        self.addCleanup(game.stop)
        self.assertEqual(game.wait_for_exit(timeout=120), 0)

        self.assertEqual(game.lines_after(FIRST_EVENT, SHUTDOWN), expected[1:-1])
        report = re.fullmatch(r"timedemo: (\d+) frames, \d+\.\d s, \d+\.\d fps, "
                              r"median \d+\.\d ms, worst \d+\.\d ms", game.lines[-1])
        self.assertIsNotNone(report, game.lines[-1])
        self.assertEqual(int(report.group(1)), ticks)


if __name__ == "__main__":
    import argparse
    import sys
    parser = argparse.ArgumentParser()
    parser.add_argument("--replay", required=True)
    args, rest = parser.parse_known_args()
    REPLAY = os.path.abspath(args.replay)
    sys.argv = [sys.argv[0]] + rest
    test_main(globals())
