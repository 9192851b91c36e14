"""The Debian package's tests: lintian, the AppStream and desktop-entry
checkers, then a clean root of Debian 12 and one of Debian 13, each made
with debootstrap from this machine's own package sources, the package
installed there with apt (so its declared dependencies are the whole truth,
on the release it was built for and on the next), and in it, under this run's own
Xvfb: the window tests of play from an empty folder, the desktop entry's
command, every recorded session through the installed replay tool, and
removing and purging the package.

    run_tests.py --deb PACKAGE --work DIR

Each root lives in the work folder and is removed after its tests, what was
bound into it unmounted first. Needs root.
"""

import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile

from debian_root import DebianRoot, fresh_work_folder, run

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(HERE)
# The release the package is built on, and today's stable one.
SUITES = ("bookworm", "trixie")


def check_package(deb, failed):
    """lintian with no error or warning; the AppStream and desktop-entry
    checkers on what the package installs."""
    if not run(["lintian", "--fail-on", "error,warning", "--info", "--display-info", deb]):
        failed.append("lintian")
    with tempfile.TemporaryDirectory() as unpacked:
        run(["dpkg-deb", "-x", deb, unpacked])
        for metainfo in glob.glob(os.path.join(unpacked, "usr/share/metainfo/*.xml")):
            if not run(["appstreamcli", "validate", "--no-net", metainfo]):
                failed.append("appstreamcli validate")
        for entry in glob.glob(os.path.join(unpacked, "usr/share/applications/*.desktop")):
            if not run(["desktop-file-validate", entry]):
                failed.append("desktop-file-validate")


def installed_files(root, package):
    listed = subprocess.run(["chroot", root.path, "dpkg", "-L", package], capture_output=True, text=True,
                            timeout=60).stdout.split()
    return [path for path in listed if not os.path.isdir(root.path + path) or os.path.islink(root.path + path)]


def test_in_root(root, deb, failed):
    launcher = f"{HERE}/in-root.sh {root.path}"
    env = dict(os.environ, TMPDIR=os.path.join(root.path, "tmp"))
    shutil.copy(deb, os.path.join(root.path, "tmp"))
    if not (root.command("apt-get", "update", "-qq") and
            root.command("apt-get", "install", "-y", "-qq", "/tmp/" + os.path.basename(deb))):
        raise SystemExit("apt could not install the package")
    files = installed_files(root, "clodmere")

    if not run([sys.executable, os.path.join(TESTS, "e2e", "test_play.py"), "--launcher", launcher,
                "--game", "/usr/games/clodmere", "--data", ""], env=env):
        failed.append("window tests of play")
    if not run([sys.executable, os.path.join(HERE, "test_installed.py"), "--root", root.path, "--launcher",
                launcher], env=env):
        failed.append("the desktop entry")
    sessions = os.path.join(root.path, "tmp", "sessions")
    shutil.copytree(os.path.join(TESTS, "sessions"), sessions)
    for session in sorted(os.listdir(sessions)):
        folder = os.path.join(sessions, session)
        if os.path.exists(os.path.join(folder, "script")):
            if not run([sys.executable, os.path.join(sessions, "run_session.py"), "--launcher", launcher,
                        "--tool", "/usr/games/clodmere-replay", folder], env=env):
                failed.append("session " + session)

    saves = glob.glob(os.path.join(root.path, "home", "player", ".local", "share", "clodmere", "*.wld"))
    if not (root.command("apt-get", "remove", "-y", "-qq", "clodmere") and
            root.command("dpkg", "--purge", "clodmere")):
        failed.append("removing the package")
    left = [path for path in files if os.path.lexists(root.path + path)]
    if left:
        failed.append("files left after purging: " + ", ".join(left))
    if not saves or not all(os.path.exists(save) for save in saves):
        failed.append("the player's saves after purging")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deb", required=True)
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    deb = os.path.abspath(options.deb)
    work = os.path.abspath(options.work)
    failed = []
    check_package(deb, failed)

    fresh_work_folder(work)
    for suite in SUITES:
        root = DebianRoot(work, suite, with_x_sockets=True)
        try:
            root.make()
            failed_here = []
            test_in_root(root, deb, failed_here)
            failed += [f"{suite}: {what}" for what in failed_here]
        finally:
            root.remove()
    if failed:
        raise SystemExit("failed for the Debian package: " + ", ".join(failed))
    print(f"The Debian package {os.path.basename(deb)} passed its tests.")


if __name__ == "__main__":
    main()
