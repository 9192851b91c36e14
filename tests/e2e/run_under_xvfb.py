"""Runs a command with DISPLAY set to a private Xvfb, then stops the server.

    run_under_xvfb.py COMMAND [ARGS...]

Exits with the command's status.
"""

import subprocess
import sys

from harness import XServer


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    xserver = XServer()
    try:
        status = subprocess.run(sys.argv[1:], env=xserver.env).returncode
    finally:
        xserver.stop()
    sys.exit(status)


if __name__ == "__main__":
    main()
