# What the end-to-end tests of the dialog share: the locale they run under, a wait that polls
# until its deadline and then says what did not happen, a virtual X server on a free display,
# and the dialog's window found by its process. Sourced, not run.

# run_under_locale LOCALE: the test and everything it starts run under LOCALE, whatever the
# caller's; "none" unsets every locale variable, as on a minimal system that sets none.
run_under_locale() {
    local name
    for name in LANG LANGUAGE LC_ALL $(env | sed -n 's/^\(LC_[A-Z_]*\)=.*/\1/p'); do
        unset "$name"
    done
    if [ "$1" != none ]; then
        export LANG=$1 LC_ALL=$1
    fi
    echo "the test runs under ${LANG:+LANG=LC_ALL=}${LANG:-no locale}"
}

# wait_for SECONDS WHAT COMMAND...: runs COMMAND every 50 ms until it succeeds; after SECONDS
# prints "WHAT did not happen within SECONDS s" and fails.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "$what did not happen within $seconds s"
            return 1
        fi
        sleep 0.05
    done
}

# reads_table WORK COMMAND...: whether COMMAND, given 5 s, prints the table WORK/expected.txt;
# what it printed stays in WORK/clipboard.txt for a failure's report.
reads_table() {
    local work=$1
    shift
    timeout 5 "$@" >"$work/clipboard.txt" 2>/dev/null &&
        cmp -s "$work/clipboard.txt" "$work/expected.txt"
}

# stop_process PID: asks the process to end, and kills it when it has not ended within 3 s. A
# compositor whose X server goes first spins on its lost connection, so the caller stops its
# processes in the order opposite to their start, each one ended before the next.
stop_process() {
    local pid=$1
    kill "$pid" 2>/dev/null || return 0
    gone() { ! kill -0 "$pid" 2>/dev/null; }
    wait_for 3 "process $pid ending" gone >/dev/null || kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# start_xvfb WORK GEOMETRY: starts Xvfb on the display it chooses itself, sets xvfb to its
# process and prints the display's number once it accepts connections.
start_xvfb() {
    local work=$1 geometry=$2
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    display_ready() { [ -s "$work/display" ]; }
    wait_for 20 "Xvfb reporting its display" display_ready >&2 || { cat "$work/xvfb.log" >&2; return 1; }
}

# find_app_window PID TITLE: sets window to the visible window of the process PID (by its
# _NET_WM_PID) whose title, _NET_WM_NAME, is TITLE. It does not depend on the old WM_NAME.
find_app_window() {
    local pid=$1 title=$2 w
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        if [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$title" ]; then
            window=$w
            return 0
        fi
    done
    return 1
}

# check_wm_name TITLE: fails, saying what it read, unless the old WM_NAME of $window, which a
# window manager without the newer property shows, reads TITLE as well.
check_wm_name() {
    local title=$1
    if ! xdotool search --name "^$title\$" 2>/dev/null | grep -qx "$window"; then
        echo "the window's WM_NAME does not read '$title'; windows by that name:" \
             "$(xdotool search --name "^$title\$" 2>/dev/null | tr '\n' ' ')"
        return 1
    fi
    echo "the window $window is titled '$title' in _NET_WM_NAME and WM_NAME alike"
}
