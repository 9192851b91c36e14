#!/bin/sh
# Installs the Debian packages that building, running and testing need, and
# only those that are missing, so that a second run costs almost nothing.
set -eu

#   install-deps.sh            what the Linux build and its tests need
#   install-deps.sh windows    that, and the Windows cross-build and Wine
#   install-deps.sh web        that, and Emscripten, Chromium, Node.js and npm for the browser
#
# Package names are those every release has: clang and its runtime are the
# release's default version. Node.js and npm are Debian's unless the machine
# already has its own.
#   install-deps.sh deb        that, and Debian's packaging tools and checkers
packages="g++ make cmake pkg-config clang libclang-rt-dev
liballegro5-dev liballegro-ttf5-dev liballegro-image5-dev libx11-dev
googletest libgtest-dev libbenchmark-dev
python3 python3-pil python3-xlib xvfb x11-utils xdotool libgl1-mesa-dri openbox matchbox-window-manager"
if [ "${1:-}" = windows ]; then
    packages="$packages g++-mingw-w64-x86-64-posix wine wine64 xz-utils"
fi
if [ "${1:-}" = deb ]; then
    packages="$packages build-essential debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils debootstrap"
fi
if [ "${1:-}" = web ]; then
    packages="$packages emscripten chromium xz-utils patch"
    command -v node > /dev/null || packages="$packages nodejs"
    command -v npm > /dev/null || packages="$packages npm"
fi

missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
    *" installed") ;;
    *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "Missing Debian packages:$missing (install them as root: apt-get install$missing)" >&2
    exit 1
fi
# Another apt or dpkg (a fresh machine's unattended upgrades, a second
# install) holds the package lock for a while: wait for it, up to five
# minutes, rather than fail.
lock_wait=300
apt_get() {
    errors=$(mktemp)
    waited=0
    until apt-get "$@" 2> "$errors"; do
        if ! grep -q "Could not get lock" "$errors" || [ $waited -ge $lock_wait ]; then
            cat "$errors" >&2
            rm -f "$errors"
            return 1
        fi
        [ $waited = 0 ] && echo "Waiting for another package manager to finish (up to five minutes)..."
        sleep 5
        waited=$((waited + 5))
    done
    cat "$errors" >&2
    rm -f "$errors"
}

echo "Installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt_get update -qq
apt_get install -y -qq --no-install-recommends $missing
