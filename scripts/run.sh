#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "membrane: no display to open the window on (DISPLAY is not set);" \
         "membrane-solve computes without one" >&2
    exit 1
fi

bash scripts/setup-debian.sh build
build_as_owner scripts/run.sh "$@"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target membrane membrane-solve
exec ./build/membrane
