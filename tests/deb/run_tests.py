"""The Debian package's tests: lintian, the AppStream and desktop-entry
checkers, then a clean Debian 12 root made with debootstrap from this
machine's own package sources, the package installed there with apt (so its
declared dependencies are the whole truth), and in it, under this run's own
Xvfb: the window tests of play from an empty folder, the desktop entry's
command, every recorded session through the installed replay tool, and
removing and purging the package.

    run_tests.py --deb PACKAGE --work DIR

The root lives in the work folder and is removed at the end, what was bound
into it unmounted first. Needs root.
"""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(HERE)
SOURCES = "/etc/apt/sources.list.d/debian.sources"
SUITE = "bookworm"
TIMEOUT = 600


def run(command, quiet=False, **options):
    print("+", " ".join(command), flush=True)
    output = subprocess.DEVNULL if quiet else None
    return subprocess.run(command, timeout=TIMEOUT, stdout=output, **options).returncode == 0


def machine_mirror():
    """The Debian mirror this machine installs from, as its sources name it."""
    for path in [SOURCES, "/etc/apt/sources.list"]:
        if not os.path.exists(path):
            continue
        with open(path) as sources:
            text = sources.read()
        deb822 = re.search(r"^URIs:\s*(\S+)\s*\nSuites:[^\n]*\b" + SUITE + r"\b", text, re.M)
        if deb822:
            return deb822.group(1)
        line = re.search(r"^deb\s+(?:\[[^]]*\]\s+)?(\S+)\s+" + SUITE + r"\s", text, re.M)
        if line:
            return line.group(1)
    raise SystemExit(f"no {SUITE} source among this machine's package sources")


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


class DebianRoot:
    """A clean Debian root under the work folder, with the player's home, the
    machine's package sources, /proc and the X sockets bound in."""

    def __init__(self, work):
        self.path = os.path.join(work, "root")
        self.mounts = []

    def make(self):
        if not run(["debootstrap", "--variant=minbase", SUITE, self.path, machine_mirror()], quiet=True):
            raise SystemExit("debootstrap could not make the root")
        shutil.copy(SOURCES, os.path.join(self.path, SOURCES.lstrip("/")))
        shutil.copy("/etc/resolv.conf", os.path.join(self.path, "etc"))
        os.makedirs(os.path.join(self.path, "home", "player"))
        self.bind("proc", ["-t", "proc", "proc"])
        os.makedirs("/tmp/.X11-unix", exist_ok=True)
        os.makedirs(os.path.join(self.path, "tmp", ".X11-unix"), exist_ok=True)
        self.bind("tmp/.X11-unix", ["--bind", "/tmp/.X11-unix"])

    def bind(self, inside, how):
        target = os.path.join(self.path, inside)
        if not run(["mount", *how, target]):
            raise SystemExit(f"cannot mount {target}")
        self.mounts.append(target)

    def command(self, *command):
        return run(["chroot", self.path, *command], env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))

    def remove(self):
        for target in reversed(self.mounts):
            subprocess.run(["umount", "--lazy", target], timeout=60)
        if not any(os.path.ismount(target) for target in self.mounts):
            shutil.rmtree(self.path, ignore_errors=True)


def unmount_under(folder):
    with open("/proc/mounts") as mounts:
        targets = [line.split()[1] for line in mounts]
    for target in reversed(targets):
        if target.startswith(folder + "/"):
            subprocess.run(["umount", "--lazy", target], timeout=60)


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

    unmount_under(work)  # what a run that was killed left bound
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    root = DebianRoot(work)
    try:
        root.make()
        test_in_root(root, deb, failed)
    finally:
        root.remove()
    if failed:
        raise SystemExit("failed for the Debian package: " + ", ".join(failed))
    print(f"The Debian package {os.path.basename(deb)} passed its tests.")


if __name__ == "__main__":
    main()
