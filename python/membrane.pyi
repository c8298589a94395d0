"""The vibrating membrane by the finite element method (type stub)."""

from typing import Literal, overload

import numpy as np
import numpy.typing as npt

__version__: str

class Solution:
    """The result of solve(): the nodal values and what they say."""

    @property
    def divx(self) -> int: ...
    @property
    def divy(self) -> int: ...
    @property
    def alpha(self) -> float: ...
    @property
    def option(self) -> bool: ...
    @property
    def w(self) -> npt.NDArray[np.float64]:
        """w[i, j]: the node of column i and row j; shape (divx + 1, divy + 1), read-only."""
    @property
    def x(self) -> npt.NDArray[np.float64]: ...
    @property
    def y(self) -> npt.NDArray[np.float64]: ...
    @property
    def values(self) -> npt.NDArray[np.float64]:
        """W(1) .. W(nodes) in node order; shares its memory with w."""
    @property
    def finite(self) -> bool: ...
    @property
    def first_zero_pivot(self) -> int: ...
    @property
    def modes_below(self) -> int: ...
    @property
    def points_per_wavelength(self) -> float: ...
    def report_lines(self) -> list[str]: ...
    def table(self) -> str: ...

class Shape:
    """The result of shape(): a resonance and its shape."""

    @property
    def index(self) -> int: ...
    @property
    def alpha(self) -> float: ...
    @property
    def kx(self) -> int: ...
    @property
    def ky(self) -> int: ...
    @property
    def participation(self) -> float: ...
    @property
    def alpha_continuum(self) -> float: ...
    @property
    def divx(self) -> int: ...
    @property
    def divy(self) -> int: ...
    @property
    def option(self) -> bool: ...
    @property
    def phi(self) -> npt.NDArray[np.float64]:
        """phi[i, j]: the node of column i and row j; shape (divx + 1, divy + 1), read-only."""
    @property
    def values(self) -> npt.NDArray[np.float64]: ...
    @property
    def x(self) -> npt.NDArray[np.float64]: ...
    @property
    def y(self) -> npt.NDArray[np.float64]: ...

def shape(divx: int, divy: int, k: int, *, option: bool = True,
          threads: int | None = None) -> Shape: ...
def solve(divx: int = 90, divy: int = 30, alpha: float = 5.0, *,
          option: bool = True) -> Solution: ...
@overload
def modes(divx: int, divy: int, n: int, *, details: Literal[False] = False, option: bool = True,
          threads: int | None = None) -> npt.NDArray[np.float64]: ...
@overload
def modes(divx: int, divy: int, n: int, *, details: Literal[True], option: bool = True,
          threads: int | None = None) -> npt.NDArray[np.void]:
    """Fields index, alpha, kx, ky, participation, alpha_continuum."""
@overload
def modes_in(divx: int, divy: int, a0: float, a1: float, *,
             return_index: Literal[False] = False, details: Literal[False] = False,
             option: bool = True, threads: int | None = None) -> npt.NDArray[np.float64]: ...
@overload
def modes_in(divx: int, divy: int, a0: float, a1: float, *, return_index: Literal[True],
             details: Literal[False] = False, option: bool = True,
             threads: int | None = None) -> tuple[npt.NDArray[np.int32],
                                                   npt.NDArray[np.float64]]: ...
@overload
def modes_in(divx: int, divy: int, a0: float, a1: float, *, return_index: bool = False,
             details: Literal[True], option: bool = True,
             threads: int | None = None) -> npt.NDArray[np.void]: ...
def sweep(divx: int, divy: int, a0: float, a1: float, n: int, *, option: bool = True,
          threads: int | None = None) -> npt.NDArray[np.void]:
    """A structured array with the fields alpha, max_abs_w, modes_below, first_zero_pivot."""
def study(alpha: float | None = None, *, modes: int | None = None,
          ladder: list[tuple[int, int]] | None = None,
          threads: int | None = None) -> npt.NDArray[np.void]:
    """Rows a mesh (with alpha) or a resonance and mesh (with modes); see help(membrane.study)."""
