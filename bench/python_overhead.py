"""The cost of membrane.solve from Python against the compute command alone, at 10 x 5 and
90 x 30: both measured in the same run, in turns, nine times; the medians and their ratio.

Run with the module on PYTHONPATH (bench/run.sh does), by Debian's python3.
"""

import statistics
import sys
import timeit

import membrane
import membrane_timing

ROUNDS = 9

for divx, divy, calls in [(10, 5, 20000), (90, 30, 500)]:
    native, python = [], []
    for _ in range(ROUNDS):
        native.append(membrane_timing.native_solve_seconds(divx, divy, 5.0, True, calls))
        python.append(timeit.timeit(lambda: membrane.solve(divx, divy, 5.0, option=True),
                                    number=calls) / calls)
    n, p = statistics.median(native), statistics.median(python)
    print(f"solve {divx} x {divy}: from Python {p * 1e6:.2f} us, the command alone "
          f"{n * 1e6:.2f} us, ratio {p / n:.2f} (medians of {ROUNDS}, {sys.executable})")
