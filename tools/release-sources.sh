# The library release sources beside the project, as the Windows and browser
# builds take them: their names and SHA-256, the check before use, and the
# cache each build makes of them once. Sourced by tools/*/build-libraries.sh.

allegro=allegro-5.2.8.0
freetype=freetype-2.12.1
sdl=SDL2-2.26.5
allegro_sha=9477af53d95eed7842c388edb259d2f1e827898215ecfd0487ac723a0f7e67a1
freetype_sha=7dedb6b9adf331559daea614a83b8de42a753e685ec8e1c4bdb4529eb880b0d1
sdl_sha=232f2aeabec275900f83db383ad51f23cb09cf46d78044a8e1a4597489175700

# already_built PREFIX STAMP: whether PREFIX holds a build made from STAMP.
already_built() {
    [ -f "$1/built-from" ] && [ "$(cat "$1/built-from")" = "$2" ]
}

# check_source SOURCES_DIR FILE SHA256 BUILD: ends the script unless the
# release file is there and is the expected one.
check_source() {
    if [ ! -f "$1/$2" ]; then
        echo "Missing $1/$2: the $4 build needs the library release sources there." >&2
        exit 1
    fi
    if [ "$(sha256sum "$1/$2" | cut -d' ' -f1)" != "$3" ]; then
        echo "$1/$2 is not the expected release (SHA-256 differs)." >&2
        exit 1
    fi
}

# unpack_sources SOURCES_DIR OUT_DIR FILE...: OUT_DIR made afresh, the
# release files unpacked into OUT_DIR/src.
unpack_sources() {
    from=$1
    into=$2
    shift 2
    rm -rf "$into"
    mkdir -p "$into/src"
    for release in "$@"; do
        tar -xf "$from/$release" -C "$into/src"
    done
}
