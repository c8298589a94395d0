#!/usr/bin/env bash
# Runs a test program as a normal user: as it is when the suite runs as one, or, when it runs
# as root, as nobody, from a copy in a folder nobody can read (the build tree may not be).
set -euo pipefail
program=$1
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$program" "$@"
fi
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$program" "$copy/"
chmod 755 "$copy" "$copy/$(basename "$program")"
cd "$copy"
setpriv --reuid=nobody --regid=nogroup --clear-groups -- \
    env HOME="$copy" TMPDIR=/tmp "$copy/$(basename "$program")" "$@"
