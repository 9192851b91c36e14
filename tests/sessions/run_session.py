"""Plays a recorded session through the replay tool and checks it.

A session is a session folder (args, script, and start.wld and
ClodmereSave.wld where the session had them; see src/program/session_folder.h)
with what it must give:
  expected-stdout  the tool's standard output, exactly
  out.sha256       the SHA-256 of the world and state the session ends with
  expected-state   optional: state fields worked out by hand, "name value..."

The tool runs in a scratch directory that holds the folder's ClodmereSave.wld,
so that a Load in the session reads what it read when it was recorded.

    run_session.py --tool PATH [--launcher PROGRAM] SESSION_DIR [--record]

--launcher runs the tool through another program (wine64 for the Windows
build).

--record rewrites expected-stdout and out.sha256 from this run: a deliberate
step, to be reviewed like any other change. expected-state is never written.
"""

import argparse
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile

STATE_FIELDS = {  # name: (offset, struct format, count)
    "playerX": (0, "<f", 1), "playerY": (4, "<f", 1), "inventory": (8, "<4i", 4),
    "onGround": (28, "<B", 1), "selectedBlock": (32, "<i", 1),
    "keyLeft": (118, "<B", 1), "keyRight": (119, "<B", 1), "keyUp": (120, "<B", 1),
    "screenWidth": (264, "<i", 1), "screenHeight": (268, "<i", 1), "loadFailed": (276, "<i", 1),
}


def stored_state(header):
    values = {}
    for name, (offset, form, _) in STATE_FIELDS.items():
        unpacked = struct.unpack_from(form, header, offset)
        values[name] = list(unpacked) if len(unpacked) > 1 else unpacked[0]
    return values


def expected_state(path):
    expected = {}
    with open(path) as lines:
        for line in lines:
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            name, values = words[0], [float(word) for word in words[1:]]
            if name not in STATE_FIELDS or len(values) != STATE_FIELDS[name][2]:
                raise SystemExit(f"{path}: bad line {line!r}")
            expected[name] = values if len(values) > 1 else values[0]
    return expected


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--launcher", default="")
    parser.add_argument("session")
    parser.add_argument("--record", action="store_true")
    options = parser.parse_args()
    session = os.path.abspath(options.session)
    workdir = tempfile.mkdtemp(prefix="clodmere-session-")
    try:
        slot = os.path.join(session, "ClodmereSave.wld")
        if os.path.exists(slot):
            shutil.copyfile(slot, os.path.join(workdir, "ClodmereSave.wld"))
        run = subprocess.run([*options.launcher.split(), os.path.abspath(options.tool), "--session", session,
                              "--out", "out.wld"],
                             cwd=workdir, capture_output=True, text=True, timeout=300)
        if run.returncode != 0:
            raise SystemExit(f"the tool failed with status {run.returncode}: {run.stderr}")
        with open(os.path.join(workdir, "out.wld"), "rb") as file:
            world = file.read()
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    digest = hashlib.sha256(world).hexdigest()

    if options.record:
        with open(os.path.join(session, "expected-stdout"), "w") as file:
            file.write(run.stdout)
        with open(os.path.join(session, "out.sha256"), "w") as file:
            file.write(digest + "\n")

    failures = []
    with open(os.path.join(session, "expected-stdout")) as file:
        if run.stdout != file.read():
            failures.append("standard output differs:\n" + run.stdout)
    state_path = os.path.join(session, "expected-state")
    if os.path.exists(state_path):
        actual = stored_state(world[:280])
        for name, value in expected_state(state_path).items():
            if actual[name] != value:
                failures.append(f"{name} is {actual[name]}, expected {value}")
    with open(os.path.join(session, "out.sha256")) as file:
        if file.read().strip() != digest:
            failures.append(f"the final world's digest is {digest}")
    if failures:
        raise SystemExit(f"{os.path.basename(session)}: " + "\n".join(failures))
    print(f"{os.path.basename(session)}: passed")


if __name__ == "__main__":
    sys.exit(main())
