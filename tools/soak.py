"""A soak: random events over random generated and damaged worlds, played
through the replay tool (built with the sanitizers, in `make test` and
`make soak`). Any crash, sanitizer report or unexpected exit fails it.

    soak.py --tool PATH [--events N] [--seed S]

Ticks count one event each; so do key presses, releases and clicks.
"""

import argparse
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

SAVE_SIZE = 9677080
HEADER = 280
CELL = 28
CELLS = 720 * 480
SCREENS = [(1440, 900), (1200, 700), (1680, 1050), (1921, 1081), (1366, 768), (800, 600), (200, 50)]
MOVEMENT_KEYS = [1, 4, 19, 23, 82, 83, 84, 85, 28, 29, 30, 31]
ODD_FLOATS = [float("nan"), float("inf"), float("-inf"), -1e9, 1e9, -12.5, 7190.0, 7195.0, 4760.0,
              4795.0, 3.0e38, -0.0]


def damage(world, rng):
    """Changes the header and some cells in ways only a damaged file would."""
    data = bytearray(world)
    for _ in range(rng.randint(1, 6)):
        what = rng.randrange(6)
        if what == 0:
            struct.pack_into("<f", data, rng.choice([0, 4]), rng.choice(ODD_FLOATS + [rng.uniform(-1e4, 1e4)]))
        elif what == 1:
            struct.pack_into("<i", data, 32, rng.choice([0, 5, -1, 2**31 - 1, -2**31, rng.randint(-9, 9)]))
        elif what == 2:
            struct.pack_into("<i", data, 8 + 4 * rng.randrange(4), rng.choice([-1, -2**31, 2**31 - 1, 10**6]))
        elif what == 3:
            for key in range(227):
                if rng.random() < 0.2:
                    data[36 + key] = rng.randrange(256)
            data[28] = rng.randrange(256)
        elif what == 4:
            for _ in range(rng.randint(1, 2000)):
                cell = HEADER + rng.randrange(CELLS) * CELL
                struct.pack_into("<ff", data, cell + 20, rng.choice(ODD_FLOATS), rng.choice(ODD_FLOATS))
                data[cell + 16] = rng.randrange(256)
        else:
            for _ in range(rng.randint(1, 2000)):
                cell = HEADER + rng.randrange(CELLS) * CELL
                struct.pack_into("<i", data, cell + 8, rng.randrange(7))
    return bytes(data)


def script(rng, events, width, height):
    """Random events; returns the lines and how many events they hold."""
    lines, count = [], 0
    while count < events:
        roll = rng.random()
        if roll < 0.45:
            ticks = rng.randint(1, 30)
            lines.append(f"tick {ticks}")
            count += ticks
            continue
        if roll < 0.75:
            key = rng.choice(MOVEMENT_KEYS) if rng.random() < 0.8 else rng.randrange(227)
            lines.append(f"{rng.choice(['down', 'up'])} {key}")
        elif roll < 0.998:
            x = rng.randint(-200, width + 200)
            y = rng.randint(-200, height + 200)
            lines.append(f"click {x} {y} {rng.randint(1, 5)}")
        elif roll < 0.999:
            lines.append(f"click {width - rng.randint(41, 99)} {height - rng.randint(1, 24)} 1")  # Save
        else:
            lines.append(f"click {width - rng.randint(1, 39)} {height - rng.randint(1, 24)} 1")   # Load
        count += 1
    return "\n".join(lines) + "\n", count


def run(tool, arguments, text, workdir):
    return subprocess.run([tool, *arguments], input=text, capture_output=True, text=True,
                          cwd=workdir, timeout=600)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--events", type=int, default=1_000_000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--events-per-run", type=int, default=5_000)
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    rng = random.Random(options.seed)

    workdir = tempfile.mkdtemp(prefix="clodmere-soak-")
    total = runs = damaged = rejected = 0
    try:
        while total < options.events:
            width, height = rng.choice(SCREENS)
            arguments = ["--screen", f"{width}x{height}"]
            world_seed = str(rng.randrange(2**32))
            if rng.random() < 0.5:
                made = run(tool, ["--seed", world_seed, "--out", "base.wld"], "", workdir)
                if made.returncode != 0:
                    raise SystemExit(f"making a world failed:\n{made.stderr}")
                with open(os.path.join(workdir, "base.wld"), "rb") as file:
                    world = damage(file.read(), rng)
                bad_type = rng.random() < 0.05
                if bad_type:
                    world = world[:HEADER + 8] + struct.pack("<i", rng.choice([7, -1, 99])) + world[HEADER + 12:]
                with open(os.path.join(workdir, "damaged.wld"), "wb") as file:
                    file.write(world)
                arguments += ["--world", "damaged.wld"]
                damaged += 1
            else:
                bad_type = False
                arguments += ["--seed", world_seed]
            if rng.random() < 0.1:
                arguments += ["--frame", "frame.png"]
            arguments += ["--out", "out.wld"]

            text, count = script(rng, min(options.events_per_run, options.events - total), width, height)
            result = run(tool, arguments, text, workdir)
            runs += 1
            if bad_type:
                if result.returncode != 2 or "damaged" not in result.stderr:
                    raise SystemExit(f"a world with a bad cell type was not refused:\n{result.stderr}")
                rejected += 1
                continue
            if result.returncode != 0 or result.stderr or not result.stdout.splitlines()[-1].startswith("ticks "):
                with open(os.path.join(workdir, "failing-script"), "w") as file:
                    file.write(text)
                raise SystemExit(f"run {runs} ({' '.join(arguments)}) failed with status "
                                 f"{result.returncode}:\n{result.stderr[-5000:]}")
            total += count
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"soak: {total} events in {runs} runs ({damaged} damaged worlds, {rejected} refused): no report")


if __name__ == "__main__":
    sys.exit(main())
