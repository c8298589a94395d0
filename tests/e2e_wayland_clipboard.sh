#!/usr/bin/env bash
# The table outlives the dialog under Wayland: a Weston compositor (nested in a virtual X
# server, which gives it a seat) runs the program through its Xwayland, as a Wayland desktop
# runs it; Enter computes, Esc closes, and a Wayland client, wl-paste, then reads the table byte
# for byte. Another copy takes the clipboard, and no membrane-clipboard stays behind.
#
# Two orders are waited for, not left to timing. Weston starts its Xwayland at the first X
# client and its X window manager a moment later; the program starts once that manager is
# there, so that Weston manages its window from the start. And Weston 10 loses one of two X
# transfers that overlap: a paste arriving while Weston takes its own copy of a new X selection
# (the copy it keeps after the owner ends) gets the data, and Weston's copy stays empty. So the
# first paste waits until Weston's copy is complete.
#
# Everything runs under the locale given as the third argument, C.UTF-8 unless told ("none":
# no locale variable set at all).
set -euo pipefail
membrane=$1
print_table=$2
locale=${3:-C.UTF-8}
work=$(mktemp -d)

cleanup() {
    [ -n "${app:-}" ] && stop_process "$app"
    if [ -n "${weston:-}" ]; then
        xwayland=$(pgrep -P "$weston" -x Xwayland || true)
        stop_process "$weston"
        [ -n "$xwayland" ] && stop_process "$xwayland"
    fi
    [ -n "${xvfb:-}" ] && stop_process "$xvfb"
    pkill -f -x "$(dirname "$membrane")/membrane-clipboard" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/e2e_common.sh"
run_under_locale "$locale"
start_xvfb "$work" 1280x1024x24 || exit 1

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=membrane-test
DISPLAY=:$(head -n 1 "$work/display") weston --backend=x11-backend.so --socket="$WAYLAND_DISPLAY" \
    --xwayland --idle-time=0 --width=1024 --height=768 >"$work/weston.log" 2>&1 &
weston=$!
# weston_lines TEXT: how many lines of Weston's log hold TEXT; weston_logged TEXT [COUNT]:
# whether at least COUNT do (default 1).
weston_lines() { grep -c -F "$1" "$work/weston.log" 2>/dev/null || true; }
weston_logged() { local lines; lines=$(weston_lines "$1"); [ "${lines:-0}" -ge "${2:-1}" ]; }
wait_for 20 "Weston listening for X clients" weston_logged "xserver listening on display" ||
    { cat "$work/weston.log"; exit 1; }
export DISPLAY=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" | head -n 1)
xdotool getmouselocation >/dev/null 2>&1 || true
wait_for 20 "Weston's X window manager starting" weston_logged "created wm" ||
    { cat "$work/weston.log"; exit 1; }
echo "Weston on $WAYLAND_DISPLAY, its Xwayland on $DISPLAY"

QT_QPA_PLATFORM=xcb "$membrane" >"$work/app.log" 2>&1 &
app=$!
title='2次元有限要素法－膜振動'
wait_for 30 "the window '$title' appearing" find_app_window "$app" "$title" ||
    { head -c 4000 "$work/app.log"; exit 1; }
check_wm_name "$title"

"$print_table" >"$work/expected.txt"
# Read on the X side, from the program itself, and on the Wayland side, through Weston.
x_holds_table() { reads_table "$work" xclip -selection clipboard -o; }
wayland_holds_table() { reads_table "$work" wl-paste -n; }
press_enter_until_table() {
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key Return
    wait_for 2 "the clipboard receiving the table after Enter" x_holds_table >/dev/null
}
# What the run saw, for a failure: the focus, the clipboard's size against the table's, and
# both logs.
show_state() {
    echo "the window $window; the X focus on $(xdotool getwindowfocus 2>&1)"
    echo "the clipboard held $(wc -c <"$work/clipboard.txt" 2>/dev/null || echo no) bytes of $(wc -c <"$work/expected.txt")"
    echo "--- the program's log"; head -c 2000 "$work/app.log"
    echo "--- Weston's log"; tail -c 3000 "$work/weston.log"
}
wait_for 30 "the program copying the table after Enter" press_enter_until_table ||
    { show_state; exit 1; }
# Every copy the program made is a new X selection, and Weston takes a copy of each.
wait_for 10 "Weston seeing the program's copy" weston_logged "selection notify event: owner" ||
    { show_state; exit 1; }
copies=$(weston_lines "selection notify event: owner")
wait_for 10 "Weston taking its own copy" weston_logged "transfer complete" "$copies" ||
    { show_state; exit 1; }
wait_for 10 "wl-paste reading the table" wayland_holds_table || { show_state; exit 1; }
echo "wl-paste reads the table: $(wc -c <"$work/expected.txt") bytes"

app_ended() { ! kill -0 "$app" 2>/dev/null; }
press_escape_until_ended() {
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key Escape
    wait_for 2 "the program ending after Esc" app_ended >/dev/null
}
wait_for 20 "the program ending after Esc" press_escape_until_ended
wait "$app" || { echo "the program failed"; head -c 4000 "$work/app.log"; exit 1; }
app=

wait_for 20 "wl-paste reading the table after the dialog" wayland_holds_table || { show_state; exit 1; }
echo "after the dialog wl-paste still reads the table"
printf 'something else' | wl-copy
new_copy() { [ "$(timeout 5 wl-paste -n 2>/dev/null)" = "something else" ]; }
wait_for 10 "the new copy reaching the clipboard" new_copy
holder_gone() { ! pgrep -f -x "$(dirname "$membrane")/membrane-clipboard" >/dev/null; }
wait_for 10 "every membrane-clipboard ending" holder_gone
echo "another copy took the clipboard, and no holder stays"
