#!/usr/bin/env bash
# Runs the built program in a real X server as a user would: waits for the window by its
# title, presses Enter, reads the clipboard, compares it with the core's table for the
# start-up inputs, closes the window with Esc and checks that the process has ended.
# The program runs under a comma-decimal locale, which must change nothing.
set -euo pipefail
membrane=$1
print_table=$2
work=$(mktemp -d)
display=:$((90 + RANDOM % 400))

cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

locale=C.UTF-8
locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && locale=de_DE.UTF-8
echo "running the program under LANG=LC_ALL=$locale"
LANG=$locale LC_ALL=$locale QT_QPA_PLATFORM=xcb "$membrane" >"$work/app.log" 2>&1 &
app=$!

title='2次元有限要素法－膜振動'
window=$(timeout 20 xdotool search --sync --name "$title" | head -n 1)
[ -n "$window" ] || { echo "window '$title' did not appear"; exit 1; }
xdotool windowfocus --sync "$window"
sleep 0.3
xdotool key Return

"$print_table" >"$work/expected.txt"
for _ in $(seq 100); do
    if xclip -selection clipboard -o >"$work/clipboard.txt" 2>/dev/null &&
        cmp -s "$work/clipboard.txt" "$work/expected.txt"; then
        break
    fi
    sleep 0.1
done
if ! cmp "$work/clipboard.txt" "$work/expected.txt"; then
    echo "clipboard differs from the core's table ($(wc -c <"$work/clipboard.txt") vs $(wc -c <"$work/expected.txt") bytes)"
    exit 1
fi
echo "clipboard holds the table: $(wc -c <"$work/expected.txt") bytes"

xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
    echo "the program did not end after Esc"
    exit 1
fi
status=0
wait "$app" || status=$?
app=
echo "the program ended with status $status"
if [ "$status" -ne 0 ]; then
    head -c 4000 "$work/app.log"
    exit 1
fi
