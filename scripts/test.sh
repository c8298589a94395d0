#!/usr/bin/env bash
# Installs what is missing, builds the project and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

bash scripts/setup-debian.sh test
build_as_owner scripts/test.sh "$@"

build_and_test() {
    local dir=$1; shift
    echo "== $dir"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$dir" -j2
    (cd "$dir" && ctest --output-on-failure -j2)
}

# 1. The normal optimised build.
build_and_test build
# 2. The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, leaks checked.
build_and_test build-sanitize -DMEMBRANE_SANITIZE=ON -DMEMBRANE_BUILD_BENCH=OFF
