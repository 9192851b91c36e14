"""The game's command line: --help, --version, and bad use refused before
any window opens and without touching the save slot."""

import argparse
import os
import subprocess
import sys
import tempfile
import unittest

GAME = None


def run_game(*arguments, cwd):
    # No X server: a game that tried to open its window would fail with 1.
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    return subprocess.run([GAME, *arguments], cwd=cwd, env=env, capture_output=True, text=True, timeout=60)


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb" if isinstance(content, bytes) else "w") as file:
        file.write(content)


class CommandLine(unittest.TestCase):
    def test_help_and_version(self):
        with tempfile.TemporaryDirectory() as workdir:
            shown = run_game("--help", cwd=workdir)
            self.assertEqual((shown.returncode, shown.stderr), (0, ""))
            self.assertTrue(shown.stdout.startswith("Usage: clodmere [--record DIR | --play DIR | --timedemo DIR]"))
            version = run_game("--version", cwd=workdir)
            self.assertEqual((version.returncode, version.stdout), (0, "Clodmere 0.68 - Since because pickles\n"))

    def test_bad_use_is_one_line_and_status_2_before_anything_starts(self):
        with tempfile.TemporaryDirectory() as workdir:
            folder = lambda name: os.path.join(workdir, name)
            write(folder("ClodmereSave.wld"), b"the player's own save")
            write(folder("bad-script/args"), "--seed 1\n")
            write(folder("bad-script/script"), "tick 3\njump\n")
            write(folder("bad-world/args"), "--world start.wld\n")
            write(folder("bad-world/script"), "")
            write(folder("bad-world/start.wld"), b"\0" * 1000)
            os.makedirs(folder("args-is-a-folder/args"))
            write(folder("recorded/args"), "--seed 1\n")
            write(folder("a-file"), "")
            before = sorted(os.listdir(workdir))

            for arguments, mentions in [
                (["--bogus"], "--bogus"), (["-x"], "-x"),
                (["--play"], "--play needs a folder"),
                (["--scale"], "--scale needs a number"), (["--scale", "2x"], "not 2x"), (["--scale", "9"], "not 9"),
                (["--play", "bad-script", "--record", "new"], "only one"),
                (["--play", "missing"], "missing"),
                (["--timedemo", "args-is-a-folder"], "args is not a regular file"),
                (["--play", "bad-script"], "script line 2"),
                (["--timedemo", "bad-world"], "damaged"),
                (["--record", "no-parent/new"], "cannot create"),
                (["--record", "a-file"], "not a folder"),
                (["--record", "recorded"], "already holds a recording"),
                (["--record", "/proc"], "cannot write into /proc"),
            ]:
                with self.subTest(arguments=arguments):
                    run = run_game(*arguments, cwd=workdir)
                    self.assertEqual(run.returncode, 2, run.stdout + run.stderr)
                    self.assertEqual(run.stdout, "")
                    self.assertEqual(len(run.stderr.splitlines()), 1, run.stderr)
                    self.assertIn(mentions, run.stderr)
            self.assertEqual(sorted(os.listdir(workdir)), before)
            with open(folder("ClodmereSave.wld"), "rb") as file:
                self.assertEqual(file.read(), b"the player's own save")

    def test_in_data_folder_plays_in_the_players_data_folder_made_when_missing(self):
        with tempfile.TemporaryDirectory() as workdir:
            for extra, expected in [({}, "home/.local/share/clodmere"), ({"XDG_DATA_HOME": "data"}, "data/clodmere"),
                                    ({"XDG_DATA_HOME": "relative"}, "home/.local/share/clodmere")]:
                with self.subTest(extra=extra):
                    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "XDG_DATA_HOME")}
                    env["HOME"] = os.path.join(workdir, "home")
                    env.update({k: v if v == "relative" else os.path.join(workdir, v) for k, v in extra.items()})
                    # With no X server the game gets as far as its display, in the folder.
                    run = subprocess.run([GAME, "--in-data-folder"], cwd=workdir, env=env, capture_output=True,
                                         text=True, timeout=60)
                    self.assertEqual(run.returncode, 1)
                    self.assertTrue(os.path.isdir(os.path.join(workdir, expected)))
            env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "XDG_DATA_HOME", "HOME")}
            run = subprocess.run([GAME, "--in-data-folder"], cwd=workdir, env=env, capture_output=True, text=True,
                                 timeout=60)
            self.assertEqual((run.returncode, run.stdout.splitlines()),
                             (1, ["Cannot play in the data folder: neither XDG_DATA_HOME nor HOME names a folder"]))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    args, rest = parser.parse_known_args()
    GAME = os.path.abspath(args.game)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
