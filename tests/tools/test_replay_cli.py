"""The replay tool's command line: its options, its errors, --world, --frame."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOL = None


def replay(*arguments, script="", cwd=None, tool=None):
    return subprocess.run([tool or TOOL, *arguments], input=script, capture_output=True, text=True,
                          cwd=cwd, timeout=120)


class Errors(unittest.TestCase):
    def expect_usage_error(self, run, mentions):
        self.assertEqual(run.returncode, 2, run.stderr)
        self.assertEqual(run.stdout, "")
        self.assertEqual(len(run.stderr.splitlines()), 1, run.stderr)
        self.assertIn(mentions, run.stderr)

    def test_bad_arguments(self):
        for arguments, mentions in [(["--screen", "0x900"], "--screen"),
                                    (["--screen", "1440"], "--screen"),
                                    (["--screen", "1440x-9"], "--screen"),
                                    (["--seed", "4294967296"], "--seed"),
                                    (["--seed", "-1"], "--seed"),
                                    (["--seed"], "--seed"),
                                    (["--seed", "1", "--world", "x.wld"], "together"),
                                    (["--bogus"], "--bogus"),
                                    (["a", "b"], "one script")]:
            with self.subTest(arguments=arguments):
                self.expect_usage_error(replay(*arguments), mentions)

    def test_a_bad_script_line_names_its_number_and_nothing_is_written(self):
        with tempfile.TemporaryDirectory() as workdir:
            for script, line in [("tick\njump 3\n", "line 2"), ("# note\n\ndown 227\n", "line 3"),
                                 ("click 1 2\n", "line 1"), ("click 1 2 0\n", "line 1"),
                                 ("tick -1\n", "line 1"), ("up 3 4\n", "line 1"),
                                 ("tick 99999999999999999999\n", "line 1")]:
                with self.subTest(script=script):
                    run = replay("--seed", "1", "--out", "out.wld", "--frame", "f.png",
                                 script=script, cwd=workdir)
                    self.expect_usage_error(run, line)
                    self.assertEqual(os.listdir(workdir), [])

    def test_a_world_that_cannot_be_loaded(self):
        with tempfile.TemporaryDirectory() as workdir:
            self.expect_usage_error(replay("--world", "missing.wld", cwd=workdir), "missing.wld")
            with open(os.path.join(workdir, "short.wld"), "wb") as file:
                file.write(b"\0" * 1000)
            self.expect_usage_error(replay("--world", "short.wld", cwd=workdir), "damaged")

    def test_a_pipe_for_a_world_or_at_the_save_name_never_blocks(self):
        with tempfile.TemporaryDirectory() as workdir:
            os.mkfifo(os.path.join(workdir, "ClodmereSave.wld"))
            self.expect_usage_error(replay("--world", "ClodmereSave.wld", cwd=workdir), "cannot open the world")
            run = replay("--seed", "1", script="click 1439 899 1\n", cwd=workdir)
            self.assertEqual(run.stdout.splitlines()[2:4], ["No save found", "Error Loading"])


class Sessions(unittest.TestCase):
    def test_seed_limits_comments_and_blank_lines(self):
        run = replay("--seed", "4294967295", script="# a note\n\n  tick 3 \r\n")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, "Clicked block coords: 0.000000x0.000000\nticks 3 jumpEnd 0\n")

    def test_a_world_file_round_trips_through_out_and_world(self):
        with tempfile.TemporaryDirectory() as workdir:
            first = replay("--seed", "8", "--out", "a.wld", script="tick 100\ndown 83\ntick 4\n", cwd=workdir)
            self.assertEqual(first.returncode, 0, first.stderr)
            self.assertEqual(os.path.getsize(os.path.join(workdir, "a.wld")), 9677080)
            # The right key is still held in the saved state: walking goes on.
            second = replay("--world", "a.wld", "--out", "b.wld", script="tick 4\n", cwd=workdir)
            self.assertEqual(second.stdout, "Loaded the world!\nticks 4 jumpEnd 0\n")
            with open(os.path.join(workdir, "b.wld"), "rb") as file:
                import struct
                x, y = struct.unpack_from("<ff", file.read(8))
            self.assertEqual((x, y), (30 + 8 * 2.5, 30 + 108 * 2.5))

    def test_frame_is_a_png_of_the_screen_size_with_the_hud_when_a_font_is_found(self):
        from PIL import Image
        data = os.path.join(os.path.dirname(__file__), "..", "..", "data")
        with tempfile.TemporaryDirectory() as workdir, tempfile.TemporaryDirectory() as elsewhere:
            # A copy with no font beside it, and none in the working directory.
            fontless = shutil.copy(TOOL, elsewhere)
            run = replay("--seed", "2", "--screen", "1201x703", "--frame", "frame.png", script="tick\n",
                         cwd=workdir, tool=fontless)
            self.assertEqual(run.returncode, 0, run.stderr)
            without_font = Image.open(os.path.join(workdir, "frame.png")).convert("RGB")
            self.assertEqual(without_font.size, (1201, 703))
            self.assertEqual(without_font.getpixel((0, 0)), (125, 125, 255))
            self.assertEqual(without_font.getpixel((1200, 702)), (0, 0, 0))  # no HUD face

            os.symlink(os.path.abspath(data), os.path.join(workdir, "data"))
            replay("--seed", "2", "--screen", "1201x703", "--frame", "frame.png", script="tick\n",
                   cwd=workdir, tool=fontless)
            with_font = Image.open(os.path.join(workdir, "frame.png")).convert("RGB")
            self.assertEqual(with_font.getpixel((1200, 702)), (165, 165, 165))  # the Load face
            self.assertEqual(with_font.getpixel((0, 703 - 55)), (0, 0, 0))      # the bar


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    args, rest = parser.parse_known_args()
    TOOL = os.path.abspath(args.tool)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
