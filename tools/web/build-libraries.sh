#!/bin/sh
# Builds SDL2, FreeType and Allegro (all static) for the browser with
# Emscripten from their release sources, once: a second run with the same
# sources, patch and options finds them built and does nothing.
#
#   build-libraries.sh SOURCES_DIR OUT_DIR
#
# SOURCES_DIR holds SDL2-2.26.5.tar.gz, freetype-2.12.1.tar.xz and
# allegro-5.2.8.0.tar.gz; they are checked against their SHA-256 before use,
# Allegro gets tools/web/allegro-web.patch and FreeType the module list of
# tools/web/ftmodule.h. OUT_DIR/prefix receives the
# headers and libraries.
set -eu

sources=$1
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../release-sources.sh"
patch_file=$here/allegro-web.patch
freetype_modules=$here/ftmodule.h
prefix=$out/prefix
# What the cache was built from: the sources, the patch, FreeType's module
# list and this script.
stamp="$sdl_sha $freetype_sha $allegro_sha $(sha256sum "$0" "$patch_file" "$freetype_modules" | cut -d' ' -f1 | tr '\n' ' ')"
already_built "$prefix" "$stamp" && exit 0
check_source "$sources" $sdl.tar.gz $sdl_sha browser
check_source "$sources" $freetype.tar.xz $freetype_sha browser
check_source "$sources" $allegro.tar.gz $allegro_sha browser

unpack_sources "$sources" "$out" $sdl.tar.gz $freetype.tar.xz $allegro.tar.gz
patch -d "$out/src/$allegro" -p1 --quiet < "$patch_file"
cp "$freetype_modules" "$out/src/$freetype/include/freetype/config/ftmodule.h"
jobs=$(nproc)

# Runs a step with its output in a log, shown when the step fails.
logged() {
    log=$1
    shift
    if ! "$@" >> "$log" 2>&1; then
        tail -n 30 "$log" >&2
        echo "Failed: $*; the whole log is $log" >&2
        exit 1
    fi
}
# emcc's JavaScript optimiser finds its modules among Debian's.
export NODE_PATH=/usr/share/nodejs

# SDL's own configuration for Emscripten (include/SDL_config_emscripten.h)
# and the sources it names, compiled as Emscripten's own SDL port does: its
# CMake configure alone would take minutes here, one emcc run per check.
echo "Building SDL2 for the browser"
sdl_src=$out/src/$sdl/src
sdl_dirs=". atomic audio audio/disk audio/dummy audio/emscripten cpuinfo dynapi events file
filesystem/emscripten haptic haptic/dummy joystick joystick/emscripten joystick/virtual loadso/dlopen
locale locale/emscripten main/dummy misc misc/emscripten power power/emscripten render render/software
render/opengles2 sensor sensor/dummy stdlib thread thread/generic timer timer/unix video video/dummy
video/emscripten video/yuv2rgb"
mkdir -p "$out/sdl-build" "$prefix/include/SDL2" "$prefix/lib"
for dir in $sdl_dirs; do
    for source in "$sdl_src/$dir"/*.c; do
        echo "$source"
    done
done > "$out/sdl-build/sources"
# One object per source, named after its path, so that no two collide.
logged "$out/sdl.log" xargs -a "$out/sdl-build/sources" -P "$jobs" -I SOURCE sh -c 'object=$(echo "${1#$2/}" | sed "s|^\./||" | tr / _).o;
    emcc -O2 -w -c "$1" -I"$3" -o "$4/$object"' compile SOURCE "$sdl_src" "$out/src/$sdl/include" \
    "$out/sdl-build"
emar rcs "$prefix/lib/libSDL2.a" "$out/sdl-build"/*.o
cp "$out/src/$sdl/include"/*.h "$prefix/include/SDL2/"

echo "Building FreeType for the browser"
logged "$out/freetype.log" emcmake cmake -S "$out/src/$freetype" -B "$out/freetype-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
    -DFT_DISABLE_BROTLI=ON
logged "$out/freetype.log" cmake --build "$out/freetype-build" -j "$jobs"
logged "$out/freetype.log" cmake --install "$out/freetype-build"

# WANT_ALLOW_SSE=OFF: with -msse in every configure test emcc fails them all,
# and Allegro quietly drops its TTF addon.
echo "Building Allegro for the browser"
logged "$out/allegro.log" emcmake cmake -S "$out/src/$allegro" -B "$out/allegro-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DALLEGRO_SDL=ON -DSHARED=OFF -DWANT_WAIT_EVENT_SLEEP=ON \
    -DWANT_ALLOW_SSE=OFF -DWANT_AUDIO=OFF -DWANT_VIDEO=OFF -DWANT_DEMO=OFF -DWANT_EXAMPLES=OFF \
    -DWANT_TESTS=OFF -DWANT_DOCS=OFF -DWANT_NATIVE_DIALOG=OFF -DWANT_PHYSFS=OFF -DWANT_COLOR=OFF \
    -DWANT_MEMFILE=OFF -DWANT_IMAGE_JPG=OFF -DWANT_IMAGE_PNG=OFF -DWANT_IMAGE_FREEIMAGE=OFF \
    -DWANT_IMAGE_WEBP=OFF -DWANT_RELEASE_LOGGING=OFF -DWANT_POPUP_EXAMPLES=OFF \
    -DSDL2_INCLUDE_DIR="$prefix/include/SDL2" -DSDL2_LIBRARY="$prefix/lib/libSDL2.a" \
    -DFREETYPE_LIBRARY="$prefix/lib/libfreetype.a" \
    -DFREETYPE_INCLUDE_DIR_ft2build="$prefix/include/freetype2" \
    -DFREETYPE_INCLUDE_DIR_freetype2="$prefix/include/freetype2"
if ! grep -q "^- TTF addon: yes" "$out/allegro.log"; then
    echo "Allegro's configure dropped the TTF addon; see $out/allegro.log" >&2
    exit 1
fi
logged "$out/allegro.log" cmake --build "$out/allegro-build" -j "$jobs"
logged "$out/allegro.log" cmake --install "$out/allegro-build"

cp "$out/src/$sdl/LICENSE.txt" "$prefix/SDL2-LICENSE.txt"
cp "$out/src/$allegro/LICENSE.txt" "$prefix/Allegro-LICENSE.txt"
cp "$out/src/$freetype/docs/FTL.TXT" "$prefix/FreeType-FTL.txt"
rm -rf "$out/src" "$out/sdl-build" "$out/freetype-build" "$out/allegro-build"
echo "$stamp" > "$prefix/built-from"
