#!/usr/bin/env bash
# The programs as a shell uses them: a reader that leaves, a named pipe, which libraries a run
# loads, and the dialog started where there is no display.
set -uo pipefail
solve=$1
dialog=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "unix tool check: $*"; exit 1; }

# 1. A reader that goes away: one line, status 4, not a silent death by SIGPIPE.
"$solve" --csv - 2>"$work/err" | head -c 1 >/dev/null  # more than a pipe holds
status=${PIPESTATUS[0]}
[ "$status" -eq 4 ] || fail "closed pipe: status $status"
[ "$(cat "$work/err")" = "membrane-solve: cannot write to standard output: Broken pipe" ] ||
    fail "closed pipe: $(cat "$work/err")"

# 2. A named pipe with a reader waiting: written in place, still a pipe, the reader gets it all.
mkfifo "$work/w.fifo"
cat "$work/w.fifo" >"$work/got" &
"$solve" --divx 30 --divy 10 --csv "$work/w.fifo" >/dev/null || fail "named pipe: status $?"
wait
[ -p "$work/w.fifo" ] || fail "the named pipe was replaced"
"$solve" --divx 30 --divy 10 --csv - >"$work/want"
cmp -s "$work/got" "$work/want" || fail "the reader of the named pipe got other bytes"

# 3. A run without an image loads no Qt library; a run with one loads the drawing library.
LD_DEBUG=libs "$solve" --divx 10 --divy 5 >/dev/null 2>"$work/libs" || fail "plain run"
! grep -q 'libQt' "$work/libs" || fail "a run without an image loaded Qt"
LD_DEBUG=libs "$solve" --divx 10 --divy 5 --map "$work/m.png" >/dev/null 2>"$work/libs" ||
    fail "run with --map"
grep -q 'membrane-figures.so' "$work/libs" || fail "--map did not load the drawing library"

# 4. The dialog without a display: one line and status 1, no abort.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$dialog" >/dev/null 2>"$work/err"
status=$?
[ "$status" -eq 1 ] || fail "membrane without a display: status $status"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "membrane without a display said: $(cat "$work/err")"
grep -q '^membrane: no display' "$work/err" || fail "membrane without a display: $(cat "$work/err")"
echo "closed pipe, named pipe, libraries loaded and the dialog without a display: as expected"
