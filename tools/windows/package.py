"""Packs the Windows release into one zip.

    package.py GAME_BUILD LIBRARIES OUT_ZIP

GAME_BUILD holds clodmere.exe and clodmere-replay.exe, LIBRARIES the prefix
that tools/windows/build-libraries.sh filled (its DLLs and licence texts).
"""

import os
import sys
import zipfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
DLLS = ["allegro-5.2.dll", "allegro_font-5.2.dll", "allegro_ttf-5.2.dll", "allegro_image-5.2.dll"]


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    build, libraries, out = sys.argv[1:]
    contents = [(os.path.join(build, name), name) for name in ("clodmere.exe", "clodmere-replay.exe")]
    contents += [(os.path.join(libraries, "bin", name), name) for name in DLLS]
    contents += [(os.path.join(ROOT, "data", name), "data/" + name) for name in ("arial.ttf", "arial.LICENSE.txt")]
    contents += [(os.path.join(libraries, name), "licences/" + name)
                 for name in ("Allegro-LICENSE.txt", "FreeType-FTL.txt")]
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    temporary = out + ".tmp"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as archive:
        for source, name in contents:
            archive.write(source, "clodmere/" + name)
        # Notepad and every other Windows editor read CRLF.
        with open(os.path.join(ROOT, "tools", "windows", "README-Windows.txt")) as readme:
            archive.writestr("clodmere/README.txt", readme.read().replace("\n", "\r\n"))
    os.replace(temporary, out)
    print(f"{out}: {os.path.getsize(out)} bytes")


if __name__ == "__main__":
    main()
