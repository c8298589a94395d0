#!/usr/bin/env bash
# Runs the built program in a real X server as a user would: waits for the window by its
# title, presses Enter, reads the clipboard, compares it with the core's table for the
# start-up inputs, closes the window with Esc and checks that the process has ended.
# The program runs under a comma-decimal locale, which must change nothing, or under the locale
# given as the third argument ("none": no locale variable set at all). Every wait polls until
# its deadline and then says what did not happen.
set -euo pipefail
membrane=$1
print_table=$2
locale=${3:-}
work=$(mktemp -d)

cleanup() {
    [ -n "${app:-}" ] && stop_process "$app"
    [ -n "${xvfb:-}" ] && stop_process "$xvfb"
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/e2e_common.sh"
if [ -z "$locale" ]; then
    locale=C.UTF-8
    locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && locale=de_DE.UTF-8
fi
run_under_locale "$locale"

# Xvfb chooses a free display itself and writes its number once it accepts connections.
start_xvfb "$work" 1024x768x24 || exit 1
export DISPLAY=:$(head -n 1 "$work/display")

echo "running the program on $DISPLAY"
QT_QPA_PLATFORM=xcb "$membrane" >"$work/app.log" 2>&1 &
app=$!

title='2次元有限要素法－膜振動'
wait_for 20 "the window '$title' appearing" find_app_window "$app" "$title" ||
    { head -c 4000 "$work/app.log"; exit 1; }
check_wm_name "$title"
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]; }
focus() { xdotool windowfocus "$window" 2>/dev/null; has_focus; }
wait_for 10 "the window taking the keyboard focus" focus

# Enter presses the default button. A key that reaches the window before it is ready is lost,
# so Enter is pressed again while the clipboard does not hold the table yet.
"$print_table" >"$work/expected.txt"
clipboard_holds_table() { reads_table "$work" xclip -selection clipboard -o; }
press_enter_until_table() {
    has_focus || xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key Return
    wait_for 2 "the clipboard receiving the table after Enter" clipboard_holds_table >/dev/null
}
if ! wait_for 20 "the clipboard receiving the table" press_enter_until_table; then
    echo "clipboard: $(wc -c <"$work/clipboard.txt" 2>/dev/null || echo 0) bytes," \
         "expected $(wc -c <"$work/expected.txt") bytes"
    exit 1
fi
echo "clipboard holds the table: $(wc -c <"$work/expected.txt") bytes"

app_ended() { ! kill -0 "$app" 2>/dev/null; }
press_escape_until_ended() {
    has_focus || xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key Escape
    wait_for 2 "the program ending after Esc" app_ended >/dev/null
}
wait_for 20 "the program ending after Esc" press_escape_until_ended
status=0
wait "$app" || status=$?
app=
echo "the program ended with status $status"
if [ "$status" -ne 0 ]; then
    head -c 4000 "$work/app.log"
    exit 1
fi

# With no clipboard manager on the display, the table outlives the dialog: its holder keeps it,
# with no window on the screen, until another program copies; then the holder is gone.
holder=$(dirname "$membrane")/membrane-clipboard
clipboard_holds_table || { echo "the table did not outlive the dialog"; exit 1; }
holder_pid=$(pgrep -f -x "$holder" | head -n 1)
[ -n "$holder_pid" ] || { echo "no membrane-clipboard holds the table"; exit 1; }
if xdotool search --onlyvisible --pid "$holder_pid" >/dev/null 2>&1; then
    echo "membrane-clipboard shows a window"
    exit 1
fi
echo "after the dialog the clipboard still holds the table, kept by process $holder_pid"
printf 'something else' | xclip -selection clipboard
holder_gone() { ! kill -0 "$holder_pid" 2>/dev/null; }
wait_for 10 "membrane-clipboard ending once another program copied" holder_gone
[ "$(xclip -selection clipboard -o)" = "something else" ] || { echo "the new copy was lost"; exit 1; }
echo "another copy took the clipboard, and the holder has ended"
