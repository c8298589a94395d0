#!/usr/bin/env bash
# The test command's account of an early stop: a run that fails in a pass ends with one line
# naming that pass and the passes that did not run; a run that passes, or that fails before its
# first pass, adds no such line.
set -uo pipefail
common=$1
run() { bash -c "set -euo pipefail; source '$common'; track_passes setup build slow fuzz; $1" 2>&1; }

last=$(run 'begin_pass build; false' | tail -n 1)
expected="membrane: the tests stopped in the pass build (status 1); not run: slow fuzz"
[ "$last" = "$expected" ] || { echo "a stop in build ended with: $last"; exit 1; }
last=$(run 'begin_pass fuzz; exit 3' | tail -n 1)
expected="membrane: the tests stopped in the pass fuzz (status 3); not run: none"
[ "$last" = "$expected" ] || { echo "a stop in the last pass ended with: $last"; exit 1; }
said=$(run 'begin_pass build; begin_pass fuzz; true')
[ -z "$said" ] || { echo "a run that passed said: $said"; exit 1; }
echo "an early stop names its pass and the passes that did not run"
