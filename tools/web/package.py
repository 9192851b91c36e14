"""Puts the browser build together: dist/clodmere-web/ and its zip.

    package.py GAME_BUILD LIBRARIES NPM OUT_FOLDER OUT_ZIP
    package.py --service-worker FOLDER

GAME_BUILD holds clodmere.js, .wasm and .data; LIBRARIES the prefix that
tools/web/build-libraries.sh filled (for the licence texts); NPM the folder
where fflate, the page's zip library, is installed. Every URL in
the page is relative, so the folder runs from any folder of any static host.

The service worker names the build by its files' contents; the second form
writes it anew for a folder whose files were changed after packaging.
"""

import hashlib
import json
import os
import re
import shutil
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
GAME_FILES = ["clodmere.js", "clodmere.wasm", "clodmere.data"]
PAGE_FILES = ["slot.js", "page.js", "page.css"]
SERVICE_WORKER = "service-worker.js"
# The sizes an installed app needs, drawn as the Linux package's icon is.
ICON_SIZES = [192, 512]
LICENCES = ["SDL2-LICENSE.txt", "Allegro-LICENSE.txt", "FreeType-FTL.txt"]
SESSIONS = os.path.join(ROOT, "tests", "sessions")
# What a session folder holds for playing it (see src/program/session_folder.h).
SESSION_FILES = ["args", "script", "start.wld", "ClodmereSave.wld"]


def game_title():
    """The title the game gives its windows, which the page takes too."""
    with open(os.path.join(ROOT, "src", "program", "startup.h")) as header:
        return re.search(r'gameTitle = "([^"]+)"', header.read()).group(1)


def draw_icons(folder):
    sys.path.insert(0, os.path.join(HERE, "..", "linux"))
    import icon
    for size in ICON_SIZES:
        icon.draw_png(size).save(os.path.join(folder, f"icon-{size}.png"))


def write_manifest(folder):
    """What a browser needs to install the page as an app."""
    manifest = {
        "name": game_title(),
        "short_name": "Clodmere",
        "start_url": "./",
        "scope": "./",
        "display": "standalone",
        "background_color": "#202020",
        "theme_color": "#000000",
        "icons": [{"src": f"icon-{size}.png", "sizes": f"{size}x{size}", "type": "image/png"}
                  for size in ICON_SIZES],
    }
    with open(os.path.join(folder, "manifest.webmanifest"), "w") as out:
        json.dump(manifest, out, indent=1)


def write_service_worker(folder):
    """The service worker with every other file of the folder and its hash;
    the build is named by all of them together."""
    files = {}
    for directory, _, names in os.walk(folder):
        for name in sorted(names):
            path = os.path.join(directory, name)
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            if relative != SERVICE_WORKER:
                with open(path, "rb") as content:
                    files[relative] = hashlib.sha256(content.read()).hexdigest()
    files = dict(sorted(files.items()))
    build = hashlib.sha256(json.dumps(files).encode()).hexdigest()[:16]
    with open(os.path.join(HERE, "page", SERVICE_WORKER)) as template:
        worker = template.read().replace("@BUILD@", build).replace("@FILES@", json.dumps(files, indent=1))
    with open(os.path.join(folder, SERVICE_WORKER), "w") as out:
        out.write(worker)


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
    if len(sys.argv) == 3 and sys.argv[1] == "--service-worker":
        write_service_worker(sys.argv[2])
        return
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
    draw_icons(folder)
    write_manifest(folder)
    write_service_worker(folder)

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
