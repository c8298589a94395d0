#!/usr/bin/env bash
# Installs what is missing, builds the project and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

# The passes in their order; a run that stops early says which did not run.
track_passes setup build package slow build-sanitize build-v3 build-fuzz clean-tree

begin_pass setup
bash scripts/setup-debian.sh test
build_as_owner scripts/test.sh "$@"

build_and_test() {
    local dir=$1; shift
    begin_pass "$dir"
    echo "== $dir"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$dir" -j2
    (cd "$dir" && ctest --output-on-failure -j2 -LE 'package|slow')
}

# Nothing a test writes belongs in the source tree: the untracked files before and after.
untracked() { git ls-files --others --exclude-standard 2>/dev/null || true; }
untracked_before=$(untracked)

# 1. The normal optimised build, then its Debian package, judged by lintian.
build_and_test build
# The page's tests in Chromium ran with the suite (label web) where the toolchain is there.
[ -e build/site/membrane.wasm ] ||
    echo "== web page skipped: emscripten (em++) is not installed, so the page was not built"
begin_pass package
(cd build && ctest --output-on-failure -L package)
# The peers that take seconds: LAPACK on the largest mesh, and the stub checked by mypy.
begin_pass slow
(cd build && ctest --output-on-failure -L slow)
# 2. The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, leaks checked.
build_and_test build-sanitize -DMEMBRANE_SANITIZE=ON -DMEMBRANE_BUILD_BENCH=OFF
# 3. The numerics once more, built for x86-64-v3, where the compiler has fused multiply-add at
#    hand: a target that lost -ffp-contract=off changes a bit and fails the bit-exactness tests.
begin_pass build-v3
if grep -qw fma /proc/cpuinfo && grep -qw avx2 /proc/cpuinfo; then
    echo "== build-v3"
    cmake -S . -B build-v3 -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-march=x86-64-v3 \
          -DMEMBRANE_BUILD_BENCH=OFF
    cmake --build build-v3 -j2 --target core_tests bit_exact_tests
    (cd build-v3 && ctest --output-on-failure -j2 -L numerics)
else
    echo "== build-v3 skipped: this processor has no FMA and AVX2 to run it"
fi
# 4. The parsing fuzzed: every target under libFuzzer with AddressSanitizer and UBSan for a
#    bounded time from its seed corpus; a finding fails the run.
begin_pass build-fuzz
echo "== build-fuzz"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
      -DMEMBRANE_FUZZ=ON
cmake --build build-fuzz -j2
(cd build-fuzz && ctest --output-on-failure -j2 -L fuzz)
# 5. Nothing any pass wrote is left in the source tree.
begin_pass clean-tree
if [ "$(untracked)" != "$untracked_before" ]; then
    echo "membrane: the tests left files in the source tree:" >&2
    diff <(echo "$untracked_before") <(untracked) >&2 || true
    exit 1
fi
