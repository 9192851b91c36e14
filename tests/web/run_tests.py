"""The browser build's tests: every recorded session through the replay tool
compiled for the browser and run by Node (the same output and world digest
as on Linux), its refusal of --frame, then the page in headless Chromium.

    run_tests.py --web-build DIR --page DIR --replay TOOL --npm DIR
"""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = os.path.dirname(HERE)
ROOT = os.path.dirname(TESTS)
# Node 20 would otherwise try fetch() on the program's own files.
NODE = ["node", "--no-experimental-fetch"]
TIMEOUT = 900


def run(command, env=None, **options):
    print("+", " ".join(command), flush=True)
    return subprocess.run(command, env=env, timeout=TIMEOUT, **options)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--web-build", required=True, help="where clodmere-replay.js was built")
    parser.add_argument("--page", required=True, help="the page's folder, dist/clodmere-web")
    parser.add_argument("--replay", required=True, help="the native replay tool")
    parser.add_argument("--npm", required=True, help="where playwright-core is installed")
    options = parser.parse_args()
    node_tool = os.path.join(options.web_build, "clodmere-replay.js")
    failed = []

    sessions = os.path.join(TESTS, "sessions")
    for session in sorted(os.listdir(sessions)):
        folder = os.path.join(sessions, session)
        if os.path.exists(os.path.join(folder, "script")):
            if run([sys.executable, os.path.join(sessions, "run_session.py"), "--launcher", " ".join(NODE),
                    "--tool", node_tool, folder]).returncode != 0:
                failed.append("session " + session)

    refused = run([*NODE, node_tool, "--seed", "1", "--frame", "frame.png"], input="", capture_output=True, text=True)
    if refused.returncode != 2 or "--frame" not in refused.stderr or refused.stdout:
        failed.append(f"--frame under Node: status {refused.returncode}, {refused.stderr!r}")

    env = dict(os.environ, CLODMERE_WEB=os.path.abspath(options.page), CLODMERE_REPLAY=os.path.abspath(options.replay),
               CLODMERE_NPM=os.path.abspath(options.npm))
    if run(["node", "--test", "--test-concurrency=1", os.path.join(HERE, "page.test.mjs")], env=env,
           cwd=ROOT).returncode != 0:
        failed.append("the page in Chromium")
    if failed:
        raise SystemExit("failed in the browser build: " + ", ".join(failed))
    print("The browser build passed its tests.")


if __name__ == "__main__":
    main()
