"""Two games saving into one folder at the same moment.

Each round starts two replay tools together in one scratch folder, each with
its own seed and one click on the HUD's Save button. Both must say "Saved the
world!", and the save file must then hold, whole, one of the two worlds (the
handle slots aside, which carry no meaning in a file).

    test_save_race.py --tool PATH [--launcher PROGRAM] [--rounds N]
"""

import argparse
import os
import subprocess
import sys
import tempfile

SAVE = "ClodmereSave.wld"
SCREEN = (1440, 900)
# The Save button, as a player clicks it.
SAVE_CLICK = f"click {SCREEN[0] - 60} {SCREEN[1] - 1} 1\n"
STATE_SIZE = 280
CELL_SIZE = 28
HANDLE_SIZE = 4
STATE_HANDLE_OFFSET = 24
CELL_HANDLE_OFFSET = 12
TIMEOUT = 300


def without_handles(world):
    masked = bytearray(world)
    masked[STATE_HANDLE_OFFSET:STATE_HANDLE_OFFSET + HANDLE_SIZE] = bytes(HANDLE_SIZE)
    cells = masked[STATE_SIZE:]
    for byte in range(CELL_HANDLE_OFFSET, CELL_HANDLE_OFFSET + HANDLE_SIZE):
        cells[byte::CELL_SIZE] = bytes(len(cells[byte::CELL_SIZE]))
    masked[STATE_SIZE:] = cells
    return bytes(masked)


def read(path):
    with open(path, "rb") as file:
        return file.read()


def play_round(launcher, tool, folder, seeds):
    # Output goes to files, not pipes: under Wine the system's own server can
    # hold a copy of a pipe past the program's end, and reading it would wait
    # for ever.
    games = []
    for seed in seeds:
        output = open(os.path.join(folder, f"stdout-{seed}"), "w+")
        errors = open(os.path.join(folder, f"stderr-{seed}"), "w+")
        game = subprocess.Popen([*launcher, tool, "--screen", "%dx%d" % SCREEN, "--seed", str(seed),
                                 "--out", f"world-{seed}.out"],
                                cwd=folder, stdin=subprocess.PIPE, stdout=output, stderr=errors, text=True)
        games.append((seed, game, output, errors))
    for _, game, _, _ in games:
        game.stdin.write(SAVE_CLICK)
        game.stdin.close()
    problems = []
    for seed, game, output, errors in games:
        try:
            status = game.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            game.kill()
            status = f"still running after {TIMEOUT} s"
        with output, errors:
            output.seek(0)
            errors.seek(0)
            said, complaint = output.read(), errors.read()
        if status != 0:
            problems.append(f"seed {seed}: status {status}: {complaint}")
        elif "Saved the world!\n" not in said:
            problems.append(f"seed {seed}: {said.strip()!r}")
    if problems:
        return problems
    saved = without_handles(read(os.path.join(folder, SAVE)))
    worlds = {}
    for seed in seeds:
        world = os.path.join(folder, f"world-{seed}.out")
        worlds[seed] = without_handles(read(world))
        os.remove(world)
    if saved not in worlds.values():
        problems.append(f"the save ({len(saved)} bytes) holds neither world")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--launcher", default="")
    parser.add_argument("--rounds", type=int, default=100)
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    failed = 0
    with tempfile.TemporaryDirectory(prefix="clodmere-race-") as folder:
        for round_number in range(options.rounds):
            seeds = (2 * round_number + 1, 2 * round_number + 2)
            problems = play_round(options.launcher.split(), tool, folder, seeds)
            for problem in problems:
                print(f"round {round_number}: {problem}", flush=True)
            failed += bool(problems)
    if failed:
        raise SystemExit(f"{failed} of {options.rounds} rounds lost a save")
    print(f"{options.rounds} rounds: every save was saved and the file held a whole world")


if __name__ == "__main__":
    sys.exit(main())
