"""Puts the browser build together: dist/clodmere-web/ and its zip.

    package.py GAME_BUILD LIBRARIES OUT_FOLDER OUT_ZIP

GAME_BUILD holds clodmere.js, .wasm and .data; LIBRARIES the prefix that
tools/web/build-libraries.sh filled (for the licence texts). Every URL in
the page is relative, so the folder runs from any folder of any static host.
"""

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


def game_title():
    """The title the game gives its windows, which the page takes too."""
    with open(os.path.join(ROOT, "src", "program", "startup.h")) as header:
        return re.search(r'gameTitle = "([^"]+)"', header.read()).group(1)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    build, libraries, folder, out_zip = sys.argv[1:]
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
