#!/bin/sh
# Prints the Debian release and the version of each build and test tool
# that is installed, one line each: what a build or a test run used.
. /etc/os-release
echo "release: $PRETTY_NAME ($(cat /etc/debian_version))"
first_line() { "$@" 2>/dev/null | head -n 1; }
package() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null; }
for tool in gcc clang cmake /usr/bin/python3 node npm emcc x86_64-w64-mingw32-g++-posix chromium wine; do
    command -v "$tool" > /dev/null && echo "${tool##*/}: $(first_line "$tool" --version)"
done
for name in liballegro5-dev xvfb debhelper lintian; do
    version=$(package "$name") && [ -n "$version" ] && echo "$name: $version"
done
[ -f build-web/npm/node_modules/playwright-core/package.json ] &&
    echo "playwright-core: $(sed -n 's/^  "version": "\(.*\)",/\1/p' build-web/npm/node_modules/playwright-core/package.json)"
exit 0
