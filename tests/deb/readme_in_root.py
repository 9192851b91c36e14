"""The README followed by a new user on a fresh machine of another Debian
release: a clean root of that release, a clean checkout of the project in
it with the library sources beside it, `make` installed as the README says,
then the README's make targets run there as root, each followed by the
release and the versions of the tools it used.

    readme_in_root.py --suite trixie --work DIR TARGET...

The root lives in the work folder and is removed at the end, also after a
failure or a stop, what was bound into it unmounted first. Needs root.
"""

import argparse
import os
import shutil
import sys
import time

from debian_root import DebianRoot, fresh_work_folder, run

HERE = os.path.dirname(os.path.abspath(__file__))
PROJECT = os.path.dirname(os.path.dirname(HERE))
# Inside the root: the checkout, with the library sources beside it as the
# Makefile looks for them.
CHECKOUT = "/build/clodmere"
THIRD_PARTY = "/build/shared/third_party"
TARGET_TIMEOUT = 3600


def copy_project_in(root, third_party):
    if not run(["git", "clone", "--quiet", "--no-hardlinks", PROJECT, root.path + CHECKOUT]):
        raise SystemExit("could not clone the project into the root")
    if os.path.isdir(third_party):
        shutil.copytree(third_party, root.path + THIRD_PARTY)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--suite", required=True, help="the Debian release's code name, such as trixie")
    parser.add_argument("--work", required=True)
    parser.add_argument("--third-party", default=os.path.join(PROJECT, "..", "shared", "third_party"))
    parser.add_argument("targets", nargs="+")
    options = parser.parse_args()
    work = os.path.abspath(options.work)
    fresh_work_folder(work)
    root = DebianRoot(work, options.suite)
    timings = []
    try:
        started = time.monotonic()
        root.make()
        copy_project_in(root, options.third_party)
        # What the README tells a user whose fresh Debian lacks make.
        if not (root.command("apt-get", "update", "-qq") and root.command("apt-get", "install", "-y", "-qq", "make")):
            raise SystemExit("apt could not install make in the root")
        timings.append(("the root and make", time.monotonic() - started))
        for target in options.targets:
            started = time.monotonic()
            passed = root.command("make", target, cwd=CHECKOUT, timeout=TARGET_TIMEOUT)
            timings.append((f"make {target}", time.monotonic() - started))
            print(f"--- {options.suite}: make {target} used:", flush=True)
            root.command("sh", "tools/versions.sh", cwd=CHECKOUT)
            if not passed:
                raise SystemExit(f"make {target} failed on {options.suite}")
    finally:
        root.remove()
        for what, seconds in timings:
            print(f"{options.suite}: {what} took {seconds / 60:.1f} min", flush=True)
    print(f"The README's {' and '.join('make ' + target for target in options.targets)} passed on {options.suite}.")


if __name__ == "__main__":
    sys.exit(main())
