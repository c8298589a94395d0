"""Whole runs of membrane-solve beyond the dialog's limits, each solver side by side in turns:
the wall time of the process, its output written to /dev/null, and its peak memory (the
child's maximum resident set, from wait4), medians of ROUNDS. Prints the processor. A mesh
whose band cannot be had is run by the separable solver alone.

    python3 bench/whole_runs.py MEMBRANE_SOLVE [ROUNDS]
"""

import os
import platform
import statistics
import subprocess
import sys
import time

PROGRAM = sys.argv[1]
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 3
RUNS = [((720, 240), ("sparse", "separable")), ((1440, 480), ("sparse", "separable")),
        ((2880, 960), ("separable",)), ((7200, 2400), ("separable",))]


def processor():
    for line in open("/proc/cpuinfo", encoding="utf-8"):
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor()


def run(divx, divy, solver):
    """Seconds and peak bytes of one run."""
    with open(os.devnull, "wb") as sink:
        t0 = time.perf_counter()
        child = subprocess.Popen([PROGRAM, "--divx", str(divx), "--divy", str(divy), "--solver",
                                  solver, "--quiet"], stdout=sink, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - t0
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise SystemExit(f"membrane-solve --solver {solver} on {divx} x {divy} failed")
    return seconds, usage.ru_maxrss * 1024


print(f"{processor()}; whole runs, output to /dev/null, medians of {ROUNDS}")
print(f"{'mesh':>12} {'solver':>10} {'seconds':>9} {'peak MB':>9}")
for (divx, divy), solvers in RUNS:
    times = {s: [] for s in solvers}
    peaks = {s: [] for s in solvers}
    for _ in range(ROUNDS):
        for solver in solvers:
            seconds, peak = run(divx, divy, solver)
            times[solver].append(seconds)
            peaks[solver].append(peak)
    for solver in solvers:
        print(f"{divx:>5} x {divy:<4} {solver:>10} {statistics.median(times[solver]):9.3f} "
              f"{statistics.median(peaks[solver]) / 1e6:9.0f}")
    if len(solvers) > 1:
        ratio = statistics.median(times[solvers[0]]) / statistics.median(times[solvers[1]])
        print(f"{'':>12} {solvers[0]} / {solvers[1]}: {ratio:.1f} times")
