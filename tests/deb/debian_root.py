"""A clean Debian root of a given release, made with debootstrap from this
machine's own package sources, as a fresh machine of that release would be.

The root is made under a work folder of the caller's and is removed with
everything bound into it unmounted first, so nothing outside the work folder
changes. The machine's local certificate authorities are copied to where
Debian keeps local ones, so that tools in the root that fetch over TLS trust
what the machine trusts once the root's ca-certificates is installed.
"""

import glob
import os
import re
import shutil
import signal
import subprocess

SOURCES = "/etc/apt/sources.list.d/debian.sources"
LOCAL_AUTHORITIES = "/usr/local/share/ca-certificates"
PATH = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"
TIMEOUT = 600


def run(command, quiet=False, timeout=TIMEOUT, **options):
    print("+", " ".join(command), flush=True)
    output = subprocess.DEVNULL if quiet else None
    return subprocess.run(command, timeout=timeout, stdout=output, **options).returncode == 0


def machine_release():
    with open("/etc/os-release") as release:
        return re.search(r"^VERSION_CODENAME=(\w+)", release.read(), re.M).group(1)


def machine_sources(suite):
    """This machine's Debian package sources, for the release `suite`."""
    own = machine_release()
    for path in [SOURCES, "/etc/apt/sources.list"]:
        if os.path.exists(path):
            with open(path) as sources:
                text = sources.read()
            if re.search(r"\b" + own + r"\b", text):
                return os.path.basename(path), re.sub(r"\b" + own + r"(?=[-\s])", suite, text)
    raise SystemExit(f"no {own} source among this machine's package sources")


def mirror(sources_text):
    """The first archive the sources name: where debootstrap fetches from."""
    found = re.search(r"^URIs:\s*(\S+)", sources_text, re.M) or \
        re.search(r"^deb\s+(?:\[[^]]*\]\s+)?(\S+)", sources_text, re.M)
    return found.group(1)


def certificate_environment():
    """The variables by which this machine names its certificate bundle."""
    return {name: value for name, value in os.environ.items()
            if value.startswith("/etc/ssl/certs") and name.isupper()}


class DebianRoot:
    """A clean root of `suite` at WORK/root, with /proc and a /dev/shm and
    /dev/pts of its own; with_x_sockets binds in the machine's X sockets, for programs in the
    root that show on an X server outside it."""

    def __init__(self, work, suite, with_x_sockets=False):
        self.path = os.path.join(work, "root")
        self.suite = suite
        self.with_x_sockets = with_x_sockets
        self.mounts = []

    def make(self):
        name, sources = machine_sources(self.suite)
        if not run(["debootstrap", "--variant=minbase", self.suite, self.path, mirror(sources)], quiet=True):
            raise SystemExit(f"debootstrap could not make a {self.suite} root")
        for listed in glob.glob(os.path.join(self.path, "etc/apt/sources.list*")):
            if os.path.isfile(listed):
                os.remove(listed)
        folder = "sources.list.d" if name.endswith(".sources") else ""
        with open(os.path.join(self.path, "etc/apt", folder, name), "w") as written:
            written.write(sources)
        shutil.copy("/etc/resolv.conf", os.path.join(self.path, "etc"))
        if os.path.isdir(LOCAL_AUTHORITIES):
            shutil.copytree(LOCAL_AUTHORITIES, self.path + LOCAL_AUTHORITIES, dirs_exist_ok=True)
        os.makedirs(os.path.join(self.path, "home", "player"))
        self.bind("proc", ["-t", "proc", "proc"])
        self.bind("dev/shm", ["-t", "tmpfs", "shm"])
        self.bind("dev/pts", ["-t", "devpts", "-o", "newinstance,ptmxmode=0666", "devpts"])
        if self.with_x_sockets:
            os.makedirs("/tmp/.X11-unix", exist_ok=True)
            os.makedirs(os.path.join(self.path, "tmp", ".X11-unix"), exist_ok=True)
            self.bind("tmp/.X11-unix", ["--bind", "/tmp/.X11-unix"])

    def bind(self, inside, how):
        target = os.path.join(self.path, inside)
        os.makedirs(target, exist_ok=True)
        if not run(["mount", *how, target]):
            raise SystemExit(f"cannot mount {target}")
        self.mounts.append(target)

    def environment(self, **more):
        """A login's environment in the root, as root, with the machine's
        certificate variables."""
        return dict(PATH=PATH, HOME="/root", LANG="C.UTF-8", DEBIAN_FRONTEND="noninteractive",
                    **certificate_environment(), **more)

    def command(self, *command, cwd="/", timeout=TIMEOUT):
        return run(["chroot", self.path, "sh", "-c", 'cd "$1" && shift && exec "$@"', "in-root", cwd, *command],
                   env=self.environment(), timeout=timeout)

    def remove(self):
        for target in reversed(self.mounts):
            subprocess.run(["umount", "--lazy", target], timeout=60)
        if not any(os.path.ismount(target) for target in self.mounts):
            shutil.rmtree(self.path, ignore_errors=True)


def unmount_under(folder):
    """Unmounts what a run that was killed left bound under folder."""
    with open("/proc/mounts") as mounts:
        targets = [line.split()[1] for line in mounts]
    for target in reversed(targets):
        if target.startswith(folder + "/"):
            subprocess.run(["umount", "--lazy", target], timeout=60)


def _stop(number, _frame):
    raise SystemExit(f"stopped by signal {number}")


def fresh_work_folder(work):
    """An empty work folder, whatever an earlier run left there; a stop
    signal then ends the run through its clean-up, which removes the root."""
    unmount_under(work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    signal.signal(signal.SIGTERM, _stop)
    signal.signal(signal.SIGHUP, _stop)
