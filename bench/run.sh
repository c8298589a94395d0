#!/usr/bin/env bash
# Builds and runs the benchmarks, printing the medians of 9 repetitions.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2 --target membrane_bench
QT_QPA_PLATFORM=offscreen ./build/bench/membrane_bench \
    --benchmark_repetitions=9 --benchmark_report_aggregates_only=true "$@" |
    grep -E '^(Run on|Load|Benchmark|lapack|elimination)|_median'
# Whole runs beyond the dialog's limits, each solver side by side.
/usr/bin/python3 bench/whole_runs.py build/membrane-solve
# The Python module's own cost, where it is built.
if [ -e build/python/membrane.pyi ]; then
    cmake --build build -j2 --target membrane_python membrane_timing
    PYTHONPATH=build/python /usr/bin/python3 bench/python_overhead.py
    # Large meshes against SciPy's splu on the same system, where SciPy is installed.
    if /usr/bin/python3 -c "import scipy" 2>/dev/null; then
        PYTHONPATH=build/python /usr/bin/python3 bench/scipy_peer.py
    fi
    # The web page in headless Chromium beside the native build, where the page is built.
    if [ -e build/site/membrane.wasm ] && command -v chromedriver >/dev/null; then
        PYTHONPATH=build/python /usr/bin/python3 bench/web_peer.py build/site build/membrane-solve
    fi
fi
