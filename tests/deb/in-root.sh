#!/bin/sh
# Runs a command inside a Debian root as a player with a home of their own:
# in the working directory, and with every argument that names a path under
# the root taken as that path inside it.
#
#   in-root.sh ROOT COMMAND [ARGUMENT...]
set -eu
root=$1
shift
case "$PWD" in
"$root"/*) inside=${PWD#"$root"} ;;
*) inside=/ ;;
esac
count=$#
for argument; do
    case "$argument" in
    "$root"/*) argument=${argument#"$root"} ;;
    esac
    set -- "$@" "$argument"
done
shift "$count"
exec chroot "$root" /usr/bin/env -i HOME=/home/player PATH=/usr/games:/usr/bin:/bin LANG=C.UTF-8 \
    DISPLAY="${DISPLAY:-}" sh -c 'cd "$1" && shift && exec "$@"' in-root "$inside" "$@"
