"""The Windows release under Wine, in a private X server: every recorded
session through clodmere-replay.exe (the same output and the same final
world as on Linux), two games saving at once, saving over a held file, and the real-window tests of
clodmere.exe with the same harness as on Linux.

    run_tests.py --release ZIP --tests-build DIR --work DIR

The release is unpacked and tested as a player would get it. The Wine prefix
lives in the work folder and is removed at the end.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(TESTS, "e2e"))
from harness import XServer  # noqa: E402

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"
WINDOW_SUITES = ("startup", "menu", "play", "screen")
TIMEOUT = 600


def run(command, env, cwd=None, timeout=TIMEOUT, quiet=False):
    print("+", " ".join(command), flush=True)
    output = subprocess.DEVNULL if quiet else None
    return subprocess.run(command, env=env, cwd=cwd, timeout=timeout, stdout=output,
                          stderr=output).returncode == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--release", required=True)
    parser.add_argument("--tests-build", required=True, help="where held_save_test.exe was built")
    parser.add_argument("--work", required=True)
    options = parser.parse_args()

    work = os.path.abspath(options.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    with zipfile.ZipFile(options.release) as archive:
        archive.extractall(work)
    release = os.path.join(work, "clodmere")
    shutil.copy(os.path.join(options.tests_build, "held_save_test.exe"), release)

    prefix = os.path.join(work, "wine-prefix")
    # No Mono or Gecko installers, no debug chatter on standard error.
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    xserver = XServer()
    env["DISPLAY"] = xserver.display
    failed = []
    try:
        # One Wine session for the whole run, its desktop on this run's own X
        # server: a session that ended between tests would start again on a
        # test's X server and lose its desktop when that server stops.
        os.makedirs(prefix)
        if not run([WINESERVER, "--persistent"], env) or not run([WINE, "wineboot", "--init"], env, quiet=True):
            raise SystemExit("the Wine prefix could not be made")
        for session in sorted(os.listdir(os.path.join(TESTS, "sessions"))):
            folder = os.path.join(TESTS, "sessions", session)
            if os.path.isdir(folder) and os.path.exists(os.path.join(folder, "script")):
                if not run([sys.executable, os.path.join(TESTS, "sessions", "run_session.py"), "--launcher", WINE,
                            "--tool", os.path.join(release, "clodmere-replay.exe"), folder], env):
                    failed.append("session " + session)
        if not run([sys.executable, os.path.join(TESTS, "tools", "test_save_race.py"), "--launcher", WINE,
                    "--tool", os.path.join(release, "clodmere-replay.exe")], env):
            failed.append("two games saving at once")
        with tempfile.TemporaryDirectory(dir=work) as scratch:
            if not run([WINE, os.path.join(release, "held_save_test.exe")], env, cwd=scratch):
                failed.append("saving over a held file")
        for suite in WINDOW_SUITES:
            if not run([sys.executable, os.path.join(TESTS, "e2e", f"test_{suite}.py"), "--launcher", WINE,
                        "--game", os.path.join(release, "clodmere.exe"), "--data", os.path.join(release, "data")],
                       env):
                failed.append("window tests: " + suite)
    finally:
        subprocess.run([WINESERVER, "--kill"], env=env, timeout=60)
        xserver.stop()
        shutil.rmtree(prefix, ignore_errors=True)
    if failed:
        raise SystemExit("failed under Wine: " + ", ".join(failed))
    print("The Windows release passed its tests under Wine (full-screen windows are tested on Linux only).")


if __name__ == "__main__":
    main()
