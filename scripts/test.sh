#!/usr/bin/env bash
# Installs what is missing, builds the project and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh

build_and_test() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$dir" -j2
    (cd "$dir" && ctest --output-on-failure -j2)
}

build_and_test build
