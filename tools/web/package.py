"""Puts the browser build together: dist/clodmere-web/ and its zip.

    package.py GAME_BUILD LIBRARIES NPM OUT_FOLDER OUT_ZIP

GAME_BUILD holds clodmere.js, .wasm and .data; LIBRARIES the prefix that
tools/web/build-libraries.sh filled (for the licence texts); NPM the folder
where fflate, the page's zip library, is installed. Every URL in
the page is relative, so the folder runs from any folder of any static host.
"""

import json
import os
import re
import shutil
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
GAME_FILES = ["clodmere.js", "clodmere.wasm", "clodmere.data"]
PAGE_FILES = ["page.js", "page.css"]
LICENCES = ["SDL2-LICENSE.txt", "Allegro-LICENSE.txt", "FreeType-FTL.txt"]
SESSIONS = os.path.join(ROOT, "tests", "sessions")
# What a session folder holds for playing it (see src/program/session_folder.h).
SESSION_FILES = ["args", "script", "start.wld", "ClodmereSave.wld"]


def game_title():
    """The title the game gives its windows, which the page takes too."""
    with open(os.path.join(ROOT, "src", "program", "startup.h")) as header:
        return re.search(r'gameTitle = "([^"]+)"', header.read()).group(1)


def bundle_sessions(folder):
    """The recorded sessions, for the page's ?play= and ?timedemo=, with an
    index of each one's files."""
    index = {}
    for name in sorted(os.listdir(SESSIONS)):
        source = os.path.join(SESSIONS, name)
        if not os.path.exists(os.path.join(source, "script")):
            continue
        os.makedirs(os.path.join(folder, "sessions", name))
        index[name] = [file for file in SESSION_FILES if os.path.exists(os.path.join(source, file))]
        for file in index[name]:
            shutil.copy(os.path.join(source, file), os.path.join(folder, "sessions", name))
    with open(os.path.join(folder, "sessions", "index.json"), "w") as out:
        json.dump(index, out, indent=1)


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    build, libraries, npm, folder, out_zip = sys.argv[1:]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "licences"))
    for name in GAME_FILES:
        shutil.copy(os.path.join(build, name), folder)
    for name in PAGE_FILES:
        shutil.copy(os.path.join(HERE, "page", name), folder)
    with open(os.path.join(HERE, "page", "index.html")) as page:
        html = page.read().replace("@GAME_TITLE@", game_title())
    with open(os.path.join(folder, "index.html"), "w") as page:
        page.write(html)
    for name in LICENCES:
        shutil.copy(os.path.join(libraries, name), os.path.join(folder, "licences"))
    shutil.copy(os.path.join(ROOT, "data", "arial.LICENSE.txt"), os.path.join(folder, "licences"))
    fflate = os.path.join(npm, "node_modules", "fflate")
    shutil.copy(os.path.join(fflate, "umd", "index.js"), os.path.join(folder, "fflate.js"))
    shutil.copy(os.path.join(fflate, "LICENSE"), os.path.join(folder, "licences", "fflate-LICENSE.txt"))
    bundle_sessions(folder)

    temporary = out_zip + ".tmp"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as archive:
        for directory, _, names in os.walk(folder):
            for name in sorted(names):
                path = os.path.join(directory, name)
                archive.write(path, os.path.relpath(path, folder))
    os.replace(temporary, out_zip)
    print(f"{out_zip}: {os.path.getsize(out_zip)} bytes")


if __name__ == "__main__":
    main()
