"""The membrane near its first resonance, from Python.

Solves the default mesh at an alpha just beside its lowest resonance, where the values grow
large, and draws the field and a sweep of the largest |W| over alpha with matplotlib, the
resonances of the interval as thin lines. Writes near_resonance.png into the current folder.
"""

import matplotlib.pyplot as plt
from matplotlib.colors import CenteredNorm
import numpy as np

import membrane

divx, divy = 90, 30
first = membrane.modes(divx, divy, 1)[0]
s = membrane.solve(divx, divy, first * (1 + 1e-4))
print(s)

fig, (field, curve) = plt.subplots(2, 1, figsize=(9, 7), constrained_layout=True)
mesh = field.pcolormesh(s.X, s.Y, s.w, shading="gouraud", cmap="RdBu_r", norm=CenteredNorm())
field.set_aspect("equal")
field.set_title(f"W at alpha = {s.alpha:.6g}, just above the first resonance {first:.6g}")
fig.colorbar(mesh, ax=field, label="W")

rows = membrane.sweep(divx, divy, 0.0, 1.0, 401)
curve.semilogy(rows["alpha"], rows["max_abs_w"])
for alpha in membrane.modes_in(divx, divy, 0.0, 1.0):
    curve.axvline(alpha, color="tab:red", lw=0.6, alpha=0.5)
curve.set_xlabel("alpha")
curve.set_ylabel("max |W|")
curve.set_title("Largest |W| of full solves, resonances as thin lines")
fig.savefig("near_resonance.png", dpi=100)
print("wrote near_resonance.png")
