#!/bin/bash
# on_xvfb.sh PROGRAM [ARGS...]: runs a test program against a virtual X server of its own, on
# the xcb platform, and ends with its status.
set -u
source "$(dirname "$0")/e2e_common.sh"
work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && stop_process "$xvfb"
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb "$work" 640x480x24 || exit 1
export DISPLAY=:$(head -n 1 "$work/display") QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$@"
