#!/bin/sh
# Builds the Debian package with Debian's own tools: the project's files are
# staged with tools/linux/debian as their debian/ folder and a changelog
# naming this build, then dpkg-buildpackage -b makes the .deb.
#
#   build-deb.sh STAGE_DIR OUT_DIR
#
# The version is the game's own (0.68, from its title) and the build's:
# +git<commit date>.<commit>, with .dirty for uncommitted changes.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$1" "$2"
stage=$(cd "$1" && pwd)
out=$(cd "$2" && pwd)

game_version=$(sed -n 's/.*gameTitle = "Clodmere \([0-9.]*\) .*/\1/p' "$root/src/program/startup.h")
if git -C "$root" rev-parse --git-dir > /dev/null 2>&1; then
    build=git$(git -C "$root" log -1 --format=%cd --date=format:%Y%m%d).$(git -C "$root" rev-parse --short HEAD)
    [ -z "$(git -C "$root" status --porcelain --untracked-files=no)" ] || build=$build.dirty
    files() { git -C "$root" ls-files --cached --others --exclude-standard; }
else
    build=local
    files() { cd "$root" && find . -path ./build -prune -o -path './build-*' -prune -o -path ./dist -prune -o -type f -print; }
fi
version=$game_version+$build
source=$stage/clodmere-$version

rm -rf "$stage"/*
mkdir -p "$source"
files | (cd "$root" && tar -cf - --files-from=-) | tar -xf - -C "$source"
cp -r "$root/tools/linux/debian" "$source/debian"
cat > "$source/debian/changelog" <<CHANGES
clodmere ($version) unstable; urgency=medium

  * Built from the project's tree at $build.

 -- The Clodmere developers <developers@clodmere.org>  $(date -R)
CHANGES

(cd "$source" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -b -us -uc > "$stage/build.log" 2>&1) || {
    tail -n 30 "$stage/build.log" >&2
    echo "dpkg-buildpackage failed; the whole log is $stage/build.log" >&2
    exit 1
}
rm -f "$out"/clodmere_*_amd64.deb
mv "$stage"/clodmere_"$version"_amd64.deb "$out/"
echo "$out/clodmere_${version}_amd64.deb: $(stat -c %s "$out/clodmere_${version}_amd64.deb") bytes"
