"""The solve of large meshes against SciPy on the very same constrained system, in one run: the
band elimination, the sparse LDL^T (both timed in C++ on the system as the solve takes it), and
SciPy's splu, factor and solve, of the same matrix and right-hand side, in turns, medians of
ROUNDS. Prints the processor, the OpenBLAS kernel SciPy ran on, and the largest difference of
each solution from the band's, relative to its largest value.

Run with the build's python folder on PYTHONPATH (bench/run.sh does), by Debian's python3:
    python3 bench/scipy_peer.py [ROUNDS]
"""

import os
import platform
import statistics
import sys
import time

import numpy as np
import scipy
import scipy.sparse
import scipy.sparse.linalg

import membrane_timing

ROUNDS = int(sys.argv[1]) if len(sys.argv) > 1 else 3
MESHES = [(90, 30), (180, 60), (360, 120), (720, 240)]
ALPHA, OPTION = 5.0, True


def processor():
    for line in open("/proc/cpuinfo", encoding="utf-8"):
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor()


def openblas_kernel():
    try:
        from threadpoolctl import threadpool_info
        for pool in threadpool_info():
            if pool.get("internal_api") == "openblas":
                return pool.get("architecture", "?")
    except ImportError:
        pass
    return os.environ.get("OPENBLAS_CORETYPE", "chosen by OpenBLAS at start")


def scipy_seconds(a, rhs):
    t0 = time.perf_counter()
    lu = scipy.sparse.linalg.splu(a)
    x = lu.solve(rhs)
    return time.perf_counter() - t0, x


print(f"{processor()}; SciPy {scipy.__version__}, OpenBLAS kernel: {openblas_kernel()}; "
      f"medians of {ROUNDS}")
print(f"{'mesh':>10} {'band':>10} {'sparse':>10} {'splu':>10} {'splu/band':>10} "
      f"{'splu/sparse':>12} {'rel diff':>9}")
for divx, divy in MESHES:
    data, indices, indptr, rhs = membrane_timing.constrained_system(divx, divy, ALPHA, OPTION)
    a = scipy.sparse.csc_matrix(scipy.sparse.csr_matrix((data, indices, indptr)))
    band, sparse, peer = [], [], []
    for _ in range(ROUNDS):
        t, wb = membrane_timing.sized_solve_seconds(divx, divy, ALPHA, OPTION, "band")
        band.append(t)
        t, ws = membrane_timing.sized_solve_seconds(divx, divy, ALPHA, OPTION, "sparse")
        sparse.append(t)
        t, wp = scipy_seconds(a, rhs)
        peer.append(t)
    scale = np.max(np.abs(wb))
    diff = max(np.max(np.abs(ws - wb)), np.max(np.abs(wp - wb))) / scale
    b, s, p = (statistics.median(v) for v in (band, sparse, peer))
    print(f"{divx:>5} x {divy:<3} {b:>9.4f}s {s:>9.4f}s {p:>9.4f}s {p / b:>10.2f} {p / s:>12.2f} "
          f"{diff:>9.1e}")

# The 20 lowest resonances: shift-invert Lanczos with the solver's own factorisation against
# SciPy's eigsh(K, 20, M, sigma=0) (ARPACK's shift-invert mode with SuperLU) on the free nodes'
# pencil, assembled by the solver.
print(f"\n{'mesh':>10} {'--modes 20':>11} {'eigsh':>10} {'eigsh/ours':>11} {'rel diff':>9}")
for divx, divy in [(240, 80), (360, 120)]:
    (kd, ki, kp), (md, mi, mp) = membrane_timing.free_pencil(divx, divy)
    k = scipy.sparse.csc_matrix(scipy.sparse.csr_matrix((kd, ki, kp)))
    m = scipy.sparse.csc_matrix(scipy.sparse.csr_matrix((md, mi, mp)))
    ours, peer = [], []
    for _ in range(ROUNDS):
        t, alphas = membrane_timing.lowest_resonances_seconds(divx, divy, 20)
        ours.append(t)
        t0 = time.perf_counter()
        lam = scipy.sparse.linalg.eigsh(k, 20, m, sigma=0, which="LM", return_eigenvectors=False)
        peer.append(time.perf_counter() - t0)
    diff = np.max(np.abs(np.sqrt(np.sort(lam)) - alphas) / alphas)
    o, p = statistics.median(ours), statistics.median(peer)
    print(f"{divx:>5} x {divy:<3} {o:>10.3f}s {p:>9.3f}s {p / o:>11.2f} {diff:>9.1e}")
