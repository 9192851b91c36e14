#!/bin/sh
# Installs the Debian packages that building, running and testing need, and
# only those that are missing, so that a second run costs almost nothing.
set -eu

#   install-deps.sh            what the Linux build and its tests need
#   install-deps.sh windows    that, and the Windows cross-build and Wine
#   install-deps.sh web        that, and Emscripten and Chromium for the browser
#   install-deps.sh deb        that, and Debian's packaging tools and checkers
packages="g++ make cmake pkg-config clang libclang-rt-14-dev
liballegro5-dev liballegro-ttf5-dev liballegro-image5-dev
googletest libgtest-dev libbenchmark-dev
python3 python3-pil xvfb x11-utils xdotool libgl1-mesa-dri"
if [ "${1:-}" = windows ]; then
    packages="$packages g++-mingw-w64-x86-64-posix wine wine64 xz-utils"
fi
if [ "${1:-}" = deb ]; then
    packages="$packages debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils debootstrap"
fi
if [ "${1:-}" = web ]; then
    packages="$packages emscripten chromium"
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
echo "Installing$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing
