#!/bin/sh
# Cross-builds FreeType (static) and Allegro (DLLs) for 64-bit Windows from
# their release sources, once: a second run with the same sources and
# options finds them built and does nothing.
#
#   build-libraries.sh SOURCES_DIR OUT_DIR
#
# SOURCES_DIR holds allegro-5.2.8.0.tar.gz and freetype-2.12.1.tar.xz; they
# are checked against their SHA-256 before use. OUT_DIR/prefix receives the
# headers, import libraries and DLLs.
set -eu

sources=$1
mkdir -p "$2"
out=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../release-sources.sh"
toolchain=$here/mingw-w64.cmake
prefix=$out/prefix
# What the cache was built from: the sources and this script.
stamp="$allegro_sha $freetype_sha $(sha256sum "$0" "$toolchain" | cut -d' ' -f1 | tr '\n' ' ')"
already_built "$prefix" "$stamp" && exit 0
check_source "$sources" $allegro.tar.gz $allegro_sha Windows
check_source "$sources" $freetype.tar.xz $freetype_sha Windows

unpack_sources "$sources" "$out" $allegro.tar.gz $freetype.tar.xz
jobs=$(nproc)

echo "Building FreeType for Windows"
cmake -S "$out/src/$freetype" -B "$out/freetype-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
    -DFT_DISABLE_BROTLI=ON > "$out/freetype.log"
cmake --build "$out/freetype-build" -j "$jobs" >> "$out/freetype.log"
cmake --install "$out/freetype-build" >> "$out/freetype.log"

# The DLLs carry their C and C++ runtimes, so that nothing else needs
# installing; the runtimes stay out of their exports, which would clash.
echo "Building Allegro for Windows"
cmake -S "$out/src/$allegro" -B "$out/allegro-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DSHARED=ON -DWANT_STATIC_RUNTIME=ON \
    "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,--exclude-libs,libgcc.a:libgcc_eh.a:libstdc++.a:libwinpthread.a:libpthread.a" \
    -DWANT_AUDIO=OFF -DWANT_VIDEO=OFF -DWANT_DEMO=OFF -DWANT_EXAMPLES=OFF -DWANT_TESTS=OFF -DWANT_DOCS=OFF \
    -DWANT_NATIVE_DIALOG=OFF -DWANT_PHYSFS=OFF -DWANT_COLOR=OFF -DWANT_MEMFILE=OFF \
    -DWANT_IMAGE_JPG=OFF -DWANT_IMAGE_PNG=OFF -DWANT_IMAGE_FREEIMAGE=OFF -DWANT_IMAGE_WEBP=OFF \
    -DWANT_RELEASE_LOGGING=OFF -DWANT_POPUP_EXAMPLES=OFF \
    -DFREETYPE_LIBRARY="$prefix/lib/libfreetype.a" \
    -DFREETYPE_INCLUDE_DIR_ft2build="$prefix/include/freetype2" \
    -DFREETYPE_INCLUDE_DIR_freetype2="$prefix/include/freetype2" > "$out/allegro.log"
cmake --build "$out/allegro-build" -j "$jobs" >> "$out/allegro.log"
cmake --install "$out/allegro-build" >> "$out/allegro.log"

cp "$out/src/$allegro/LICENSE.txt" "$prefix/Allegro-LICENSE.txt"
cp "$out/src/$freetype/docs/FTL.TXT" "$prefix/FreeType-FTL.txt"
rm -rf "$out/src" "$out/freetype-build" "$out/allegro-build"
echo "$stamp" > "$prefix/built-from"
