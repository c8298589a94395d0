"""The module against membrane-solve: the same doubles, lines, tables, sweeps and mode lists,
and the errors a user gets. Needs MEMBRANE_SOLVE, the program, in the environment."""

import doctest
import os
import subprocess
import sys
import threading

import numpy as np
import pytest

import membrane

SOLVE = os.environ["MEMBRANE_SOLVE"]

# Meshes at the limits and between them, near a resonance, and where a pivot vanishes exactly.
CASES = [
    (1, 1, 5.0, True),
    (1, 30, 2.5, False),
    (90, 1, 0.7, True),
    (90, 30, 5.0, True),
    (90, 30, 5.0, False),
    (7, 3, 0.2309401076758, True),   # the 2 x 1 mesh's first resonance is not this mesh's
    (2, 1, 0.23094010767585, False),  # beside the first resonance of 2 x 1
    (4, 2, 1e200, True),              # not finite
]


def tool(*args):
    done = subprocess.run([SOLVE, *map(str, args)], capture_output=True, check=False)
    assert done.returncode in (0, 3), done.stderr
    return done.stdout.decode()


def tool_bytes(*args):
    done = subprocess.run([SOLVE, *map(str, args)], capture_output=True, check=True)
    return done.stdout


def vanishing_pivot_alpha():
    """An alpha at which the first free pivot of the 2 x 1 mesh is exactly zero."""
    area, dx, dy = 15.0 * 5.0 / 2.0, 7.5, 5.0
    s = dy / dx + dx / dy
    alpha = np.nextafter(np.sqrt(3.0 * s / area), 0.0)
    for _ in range(200):
        t = (alpha * alpha) * area
        if t * (1.0 / 9.0) - s * (1.0 / 3.0) == 0.0:
            return float(alpha)
        alpha = np.nextafter(alpha, 10.0)
    pytest.skip("no vanishing pivot among the doubles tried")


@pytest.mark.parametrize("divx,divy,alpha,option", CASES)
def test_values_lines_and_table_are_the_tools(divx, divy, alpha, option):
    args = ["--divx", divx, "--divy", divy, "--alpha", repr(alpha),
            "--option", "on" if option else "off"]
    s = membrane.solve(divx, divy, alpha, option=option)
    exact = tool(*args, "--exact").splitlines()[1:]
    cells = [float(c) for line in exact for c in line.split("\t") if c]
    assert s.values.tobytes() == np.array(cells).tobytes()  # bit for bit, NaN too
    assert s.report_lines() == tool(*args, "--list").splitlines()
    assert s.table() == tool(*args)
    assert s.finite == bool(np.all(np.isfinite(s.values)))


def test_vanishing_pivot_is_flagged():
    alpha = vanishing_pivot_alpha()
    s = membrane.solve(2, 1, alpha)
    assert not s.finite and s.first_zero_pivot == 3 and s.modes_below == 1
    assert np.isnan(s.values[2])
    row = tool("--divx", 2, "--divy", 1, "--sweep", f"{alpha!r}:1:2").splitlines()[1]
    assert row == f"{alpha!r},nan,1,3"


def test_grid_and_coordinates():
    s = membrane.solve(4, 2, 1.5)
    assert s.w.shape == (5, 3) and s.values.shape == (15,)
    assert np.shares_memory(s.w, s.values)
    assert s.w[1, 2] == s.values[1 * 3 + 2]  # node (i, j) is i (divy + 1) + j + 1
    np.testing.assert_array_equal(s.x, [0.0, 3.75, 7.5, 11.25, 15.0])
    np.testing.assert_array_equal(s.y, [0.0, 2.5, 5.0])
    # Solution and Shape alike: y from the rows, x from the columns, on a mesh where they differ.
    for result in (membrane.solve(6, 4, 1.0), membrane.shape(6, 4, 1)):
        np.testing.assert_array_equal(result.x, np.arange(7) * 15.0 / 6)
        np.testing.assert_array_equal(result.y, np.arange(5) * 5.0 / 4)
    with pytest.raises(ValueError):
        s.w[0, 0] = 2.0  # the values are the solution's, not to be changed
    w = s.w
    del s
    assert w[0, 0] == 4.0  # the peak 4, 5, 4 of two divisions; the array keeps the result alive
    assert repr(membrane.solve(2, 1, 0.1, option=False)) == (
        "<membrane.Solution divx=2 divy=1 alpha=0.1 option=False: 6 nodes, max |W| 1, "
        "coarse: 8.38 points per wavelength>")


def test_sweep_and_modes_are_the_tools():
    rows = membrane.sweep(12, 5, 0.5, 2.5, 9)
    text = tool("--divx", 12, "--divy", 5, "--sweep", "0.5:2.5:9").splitlines()
    assert text[0] == ",".join(rows.dtype.names)
    for row, line in zip(rows, text[1:], strict=True):
        alpha, max_abs_w, below, pivot = line.split(",")
        assert (row["alpha"], row["max_abs_w"]) == (float(alpha), float(max_abs_w))
        assert (row["modes_below"], row["first_zero_pivot"]) == (int(below), int(pivot))
    one = membrane.sweep(12, 5, 0.5, 2.5, 9, threads=1)
    assert one.tobytes() == rows.tobytes()

    modes = membrane.modes(7, 3, 24, threads=2)
    lines = tool("--divx", 7, "--divy", 3, "--modes", 24).splitlines()
    assert [f"{k}\t{a!r}" for k, a in enumerate(modes, 1)] == lines
    index, alphas = membrane.modes_in(20, 8, -2.0, 3.0, return_index=True)
    lines = tool("--divx", 20, "--divy", 8, "--modes-in", "-2:3").splitlines()
    assert [f"{k}\t{a!r}" for k, a in zip(index, alphas)] == lines
    assert membrane.modes_in(20, 8, 0.2, 0.2001).size == 0


def test_shapes_and_details_are_the_tools():
    s = membrane.shape(12, 4, 7)
    exact = tool("--divx", 12, "--divy", 4, "--shape", 7, "--exact").splitlines()[1:]
    cells = [float(c) for line in exact for c in line.split("\t") if c]
    assert s.values.tobytes() == np.array(cells).tobytes()
    assert np.shares_memory(s.phi, s.values) and s.phi.shape == (13, 5)
    assert s.phi[s.phi.shape[0] // 2].max() > 0 and np.all(s.phi[0] == 0)

    for option, flag in [(True, "on"), (False, "off")]:
        rows = membrane.modes(9, 3, 6, details=True, option=option)
        text = tool("--divx", 9, "--divy", 3, "--option", flag, "--modes", 6, "--details")
        lines = text.splitlines()
        assert lines[0] == ",".join(rows.dtype.names)
        for row, line in zip(rows, lines[1:], strict=True):
            assert ",".join(repr(v.item()) if isinstance(v, np.floating) else str(v)
                            for v in row) == line
    rows = membrane.modes_in(9, 3, -0.3, 0.3, details=True, option=False)
    assert rows["alpha"][0] < 0 and rows["alpha_continuum"][0] < 0


@pytest.mark.parametrize("call,message", [
    (lambda: membrane.solve(0, 30), "divx must be a whole number of at least 1, not 0"),
    (lambda: membrane.solve(10, 0), "divy must be a whole number of at least 1, not 0"),
    (lambda: membrane.solve(2.5, 3), "divx must be a whole number of at least 1, not 2.5"),
    (lambda: membrane.solve(60000, 30000), "a 60000 x 30000 mesh needs .* more than half"),
    (lambda: membrane.modes(60000, 30000, 1, threads=1), "a 60000 x 30000 mesh needs .* for its 2"),
    (lambda: membrane.solve(True, 3), "divx must be a whole number"),
    (lambda: membrane.modes(1, 5, 1), "the 1 x 5 mesh has no resonance"),
    (lambda: membrane.modes(2, 1, 3), "n must be a whole number from 1 to 2, not 3"),
    (lambda: membrane.modes_in(2, 1, 1.0, 0.5), "a0 must not exceed a1"),
    (lambda: membrane.modes_in(2, 1, 0.0, np.inf), "a1 must be finite, not inf"),
    (lambda: membrane.sweep(2, 1, 0.0, 1.0, 1), "n must be at least 2"),
    (lambda: membrane.solve(2**31, 1), "divx must be a whole number from 1 to 2147483647, not "
                                       "2147483648"),
    (lambda: membrane.sweep(2, 1, 0.0, 1.0, 1000001),
     "n must be a whole number from 1 to 1000000, not 1000001"),
    (lambda: membrane.sweep(2, 1, 0.0, 1.0, 5, threads=0), "threads must be from 1 to 1024"),
    (lambda: membrane.shape(1, 3, 1), "the 1 x 3 mesh has no resonance"),
    (lambda: membrane.shape(2, 1, 3), "k must be a whole number from 1 to 2, not 3"),
])
def test_errors_say_what_to_change(call, message):
    with pytest.raises(ValueError, match=message.replace("(", r"\(")):
        call()


@pytest.mark.parametrize("call,message", [
    (lambda: membrane.solve(9, 3, "2"), "alpha takes a float, not str: '2'"),
    (lambda: membrane.solve("90", 30, 5.0), "divx takes an int, not str: '90'"),
    (lambda: membrane.solve(None, 30), "divx takes an int, not NoneType: None"),
    (lambda: membrane.modes(9, 3, "2"), "n takes an int, not str"),
    (lambda: membrane.solve(9, 3, True), "alpha takes a float, not bool: True"),
    (lambda: membrane.solve(9, 3, option=None), "option takes True or False, not NoneType: None"),
    (lambda: membrane.shape(9, 3, 1, option="yes"), "option takes True or False, not str"),
    (lambda: membrane.modes_in(9, 3, None, 1.0), "a0 takes a float, not NoneType"),
    (lambda: membrane.modes(9, 3, 2, details=None), "details takes True or False"),
    (lambda: membrane.study(alpha="2"), "alpha takes a float, not str"),
    (lambda: membrane.solve(9, 3).to_csv(3), "path takes a str or an os.PathLike, not int"),
])
def test_wrong_types_name_the_argument(call, message):
    with pytest.raises(TypeError, match=message.replace("(", r"\(")):
        call()


def test_notebook_pictures_files_and_pickles_are_the_tools(tmp_path):
    """The picture, the files and the table of a Solution and of a Shape are the bytes
    membrane-solve writes; the coordinates plot the right way up; both survive a pickle."""
    import pickle
    s = membrane.solve(12, 4, 2.5, option=False)
    sh = membrane.shape(12, 4, 3)
    for name, result, args in [("solution", s, ["--alpha", "2.5", "--option", "off"]),
                               ("shape", sh, ["--shape", "3"])]:
        files = {ext: tmp_path / f"{name}-tool.{ext}" for ext in ("png", "csv", "vtk")}
        table = tool("--divx", 12, "--divy", 4, *args, "--quiet" if name == "solution" else "--exact",
                     "--figure", files["png"], "--csv", files["csv"], "--vtk", files["vtk"])
        assert result._repr_png_() == files["png"].read_bytes()
        assert result.figure() == files["png"].read_bytes()
        result.to_csv(tmp_path / "m.csv")
        result.to_vtk(str(tmp_path / "m.vtk"))
        assert (tmp_path / "m.csv").read_bytes() == files["csv"].read_bytes()
        assert (tmp_path / "m.vtk").read_bytes() == files["vtk"].read_bytes()
        result.figure(tmp_path / "m.pdf")
        assert (tmp_path / "m.pdf").read_bytes().startswith(b"%PDF-")
        assert result.figure(format="svg").startswith(b"<?xml")
        again = pickle.loads(pickle.dumps(result))
        assert repr(again) == repr(result) and again.figure() == result.figure()
        grid = getattr(result, "w" if name == "solution" else "phi")
        X, Y = np.meshgrid(result.x, result.y, indexing="ij")
        assert np.array_equal(result.X, X) and np.array_equal(result.Y, Y)
        assert result.X.shape == result.Y.shape == grid.shape
        if name == "solution":
            result.to_table(tmp_path / "t.txt")
            assert (tmp_path / "t.txt").read_text() == table == again.table()
            assert again.report_lines() == result.report_lines()
    for bad, message in [(lambda: s.figure(tmp_path / "x.jpg"), "as .png, .pdf or .svg"),
                         (lambda: s.figure(format="gif"), "format takes 'png', 'pdf' or 'svg'"),
                         (lambda: s.figure(tmp_path / "a.png", format="pdf"), "disagrees")]:
        with pytest.raises(ValueError, match=message):
            bad()
    with pytest.raises(OSError):
        s.to_csv(tmp_path / "no-such-folder" / "m.csv")
    import matplotlib.pyplot as plt
    plt.pcolormesh(s.X, s.Y, s.w)
    plt.contourf(s.X, s.Y, s.w)
    plt.close("all")


def test_import_loads_no_qt_until_a_picture_is_asked_for():
    def qt_loaded(code):
        done = subprocess.run([sys.executable, "-c", "import membrane; " + code],
                              capture_output=True, check=True,
                              env={**os.environ, "LD_DEBUG": "libs"})
        return "libQt6" in done.stderr.decode()
    assert not qt_loaded("membrane.solve(4, 2).table()")
    assert qt_loaded("membrane.solve(4, 2)._repr_png_()")


# Beyond the dialog's limits the module solves by the solver the tool takes for the same
# problem: the band elimination below 100 divisions along y, the sparse LDL^T from there on,
# each named one by "solver". The resonances below alpha come from the factors that solved it,
# and the band's own count, the sweep's, is their oracle.
@pytest.mark.parametrize("divx,divy,alpha,option,solver", [
    (120, 40, 2.5, False, "auto"),
    (150, 100, 5.0, True, "auto"),
    (150, 100, 5.0, True, "band"),
    (101, 100, 1.25, False, "sparse"),
])
def test_beyond_the_dialogs_limits_the_tools_values(divx, divy, alpha, option, solver):
    s = membrane.solve(divx, divy, alpha, option=option, solver=solver)
    assert s.w.shape == (divx + 1, divy + 1) and s.finite
    args = ["--divx", divx, "--divy", divy, "--alpha", alpha, "--option",
            "on" if option else "off", "--solver", solver, "--quiet"]
    exact = tool(*args, "--exact")
    cells = [float(c) for line in exact.splitlines()[1:] for c in line.split("\t") if c]
    assert s.values.tobytes() == np.array(cells).tobytes()
    assert s.table() == tool(*args)
    swept = tool("--divx", divx, "--divy", divy, "--sweep", f"{alpha}:{alpha}:2").splitlines()
    assert s.modes_below == int(swept[1].split(",")[2])
    assert s.first_zero_pivot == 0


def test_the_solver_is_refused_in_the_tools_words():
    with pytest.raises(ValueError,
                       match="^solver takes band, sparse, separable or auto, not 'fast'$"):
        membrane.solve(120, 40, 1.0, solver="fast")
    with pytest.raises(ValueError, match="^solver 'sparse' applies beyond the dialog's 90 x 30"):
        membrane.solve(90, 30, 1.0, solver="sparse")
    with pytest.raises(TypeError, match="^solver takes a str, not NoneType: None$"):
        membrane.solve(solver=None)
    for args in (["--solver", "fast", "--divx", 120, "--divy", 40],
                 ["--solver", "sparse"]):
        done = subprocess.run([SOLVE, *map(str, args)], capture_output=True, check=False)
        assert done.returncode == 2
    done = subprocess.run([SOLVE, "--solver", "fast"], capture_output=True, check=False)
    assert done.stderr.decode() == \
        "membrane-solve: --solver takes band, sparse, separable or auto, not 'fast'\n"


def test_study_is_the_tools_and_the_repr_says_a_mesh_is_coarse():
    rows = membrane.study(2.0, ladder=[(15, 5), (30, 10), (60, 20)])
    lines = tool("--study", "--alpha", 2, "--option", "off", "--ladder",
                 "15x5,30x10,60x20").splitlines()
    assert lines[0] == ",".join(rows.dtype.names)
    for row, line in zip(rows, lines[1:], strict=True):
        cells = line.split(",")
        assert [int(c) for c in cells[:2]] == [row["divx"], row["divy"]]
        assert [float(c) if c else np.nan for c in cells[2:]] == pytest.approx(
            [row[f] for f in rows.dtype.names[2:]], rel=0, abs=0, nan_ok=True)
    modes = membrane.study(modes=2, ladder=[(15, 5), (30, 10)], threads=1)
    assert modes["kx"].tolist() == [1, 1, 2, 2] and np.isnan(modes["order"][0])
    with pytest.raises(ValueError, match="alpha .* or modes"):
        membrane.study()
    s = membrane.solve(option=False)
    assert s.points_per_wavelength == pytest.approx(2 * np.pi / (5.0 / 6.0))
    assert repr(s).endswith(", coarse: 7.54 points per wavelength>")
    assert "coarse" not in repr(membrane.solve(alpha=2.0))


def test_the_edges_no_abort_no_lost_file_no_silent_nan(tmp_path, capfd, monkeypatch):
    """Every pickle protocol, any name open() takes, "-" as a file, counts above alpha^2's
    overflow, and a study that says what its rows lack."""
    import pickle
    import warnings
    for result in (membrane.solve(10, 5, 3.0), membrane.shape(10, 5, 2)):
        for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
            again = pickle.loads(pickle.dumps(result, protocol=protocol))
            assert repr(again) == repr(result), protocol
            assert again.to_csv is not None and again.x.tobytes() == result.x.tobytes()
    s = membrane.solve(2, 1, 0.5)
    monkeypatch.chdir(tmp_path)
    s.to_csv("-")
    s.figure("a\udcff.png")
    assert capfd.readouterr().out == ""
    assert (tmp_path / "-").read_bytes() == tool_bytes("--divx", 2, "--divy", 1, "--alpha", 0.5,
                                                       "--csv", "-")
    assert os.path.getsize(os.fsencode(tmp_path) + b"/a\xff.png") > 0
    with pytest.raises(OSError):
        s.to_csv("no-such-folder/a\udcff.csv")

    assert membrane.modes_in(2, 1, 0.0, 1e160).tobytes() == membrane.modes(2, 1, 2).tobytes()
    assert membrane.sweep(10, 5, 0.0, 1e160, 3)["modes_below"].tolist() == [0, 54, 54]
    rows = membrane.study(0.0, ladder=[(15, 5), (30, 10)])
    assert np.all(rows["max_nodal_error"] < 1e-14) and np.all(np.isfinite(rows["l2_error"]))
    with pytest.warns(RuntimeWarning, match="^the solves of the 15 x 5, 30 x 10 meshes are not "
                                            "finite, and so are their errors$"):
        rows = membrane.study(1e308, ladder=[(15, 5), (30, 10)])
    assert np.all(np.isnan(rows["max_nodal_error"]))
    with pytest.warns(UserWarning, match="the 15 x 5 mesh has 84 and the 30 x 10 mesh 319"):
        membrane.study(modes=1000, ladder=[(15, 5), (30, 10)], threads=1)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        membrane.study(modes=3, ladder=[(15, 5), (30, 10)], threads=1)


def test_whole_floats_and_numpy_integers_are_counts():
    expected = membrane.solve(6, 3, 1.25).values
    for divx, divy in [(6.0, 3.0), (np.int64(6), np.int32(3))]:
        assert membrane.solve(divx, divy, np.float32(1.25)).values.tobytes() == expected.tobytes()


def test_threads_solve_side_by_side():
    expected = membrane.solve(90, 30, 3.3).values.tobytes()
    results = []

    def work():
        for _ in range(20):
            results.append(membrane.solve(90, 30, 3.3).values.tobytes())

    threads = [threading.Thread(target=work) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert len(results) == 80 and all(r == expected for r in results)


def test_docstrings():
    for f in (membrane.solve, membrane.modes, membrane.modes_in, membrane.sweep, membrane.shape):
        assert f.__doc__.startswith(f.__name__ + "(")
        assert "Parameters\n----------" in f.__doc__ and "Returns\n-------" in f.__doc__
    tried = doctest.testmod(membrane, extraglobs={"membrane": membrane})
    assert tried.failed == 0 and tried.attempted >= 7


def test_example(tmp_path):
    example = os.path.join(os.environ["MEMBRANE_EXAMPLES"], "near_resonance.py")
    done = subprocess.run([sys.executable, example], capture_output=True, cwd=tmp_path,
                          env=dict(os.environ, MPLBACKEND="Agg"), check=False)
    assert done.returncode == 0, done.stderr.decode()
    assert (tmp_path / "near_resonance.png").read_bytes().startswith(b"\x89PNG")


@pytest.mark.parametrize("divx,divy", [(60, 20), (30, 101)])
def test_either_scheme_gives_the_tools_bits(divx, divy):
    """Within the dialog's limits and beyond 100 divisions along y, in either scheme."""
    for scheme in ("standard", "low-dispersion"):
        s = membrane.solve(divx, divy, 2.5, scheme=scheme)
        assert s.scheme == scheme
        exact = tool("--divx", divx, "--divy", divy, "--alpha", "2.5", "--exact",
                     "--scheme", scheme).splitlines()[1:]
        cells = [float(c) for line in exact for c in line.split("\t") if c]
        assert s.values.tobytes() == np.array(cells).tobytes(), scheme
        alphas = membrane.modes(divx, divy, 3, scheme=scheme, threads=1)
        lines = tool("--modes", 3, "--divx", divx, "--divy", divy, "--scheme", scheme)
        assert [float(line.split("\t")[1]) for line in lines.splitlines()] == alphas.tolist()
        shape = membrane.shape(divx, divy, 2, scheme=scheme)
        assert shape.scheme == scheme
        assert ("low-dispersion" in repr(shape)) == (scheme != "standard")
    low = membrane.solve(divx, divy, 2.5, scheme="low-dispersion")
    assert not np.array_equal(low.w, membrane.solve(divx, divy, 2.5).w)


def test_the_scheme_in_studies_pickles_and_refusals():
    import pickle
    rows = membrane.study(2.0, ladder=[(15, 5), (30, 10)], scheme="both")
    lines = tool("--study", "--alpha", 2, "--option", "off", "--ladder", "15x5,30x10",
                 "--scheme", "both").splitlines()
    assert lines[0] == ",".join(rows.dtype.names) and rows.dtype.names[-1] == "scheme"
    assert [line.split(",")[-1] for line in lines[1:]] == rows["scheme"].tolist()
    assert rows["scheme"].tolist() == ["standard"] * 2 + ["low-dispersion"] * 2
    assert "scheme" not in membrane.study(2.0, ladder=[(15, 5), (30, 10)]).dtype.names
    for result in (membrane.solve(20, 8, 2.5, scheme="low-dispersion"),
                   membrane.shape(20, 8, 3, scheme="low-dispersion")):
        again = pickle.loads(pickle.dumps(result))
        assert again.scheme == "low-dispersion" and repr(again) == repr(result)
        # A result pickled before the scheme was kept reads back as the standard scheme's.
        state = result.__getstate__()
        old = type(result).__new__(type(result))
        old.__setstate__(state[:-1])
        assert old.scheme == "standard"
    with pytest.raises(ValueError, match="^scheme takes standard or low-dispersion, not 'both'$"):
        membrane.modes(10, 5, 2, scheme="both")
    with pytest.raises(TypeError, match="^scheme takes a str, not int: 1$"):
        membrane.sweep(10, 5, 0.1, 1.0, 2, scheme=1)


def test_the_separable_solver_gives_the_tools_bits():
    for scheme in ("standard", "low-dispersion"):
        s = membrane.solve(150, 100, 2.5, solver="separable", scheme=scheme)
        exact = tool("--divx", 150, "--divy", 100, "--alpha", "2.5", "--exact", "--solver",
                     "separable", "--scheme", scheme).splitlines()[1:]
        cells = [float(c) for line in exact for c in line.split("\t") if c]
        assert s.values.tobytes() == np.array(cells).tobytes(), scheme
        sparse = membrane.solve(150, 100, 2.5, solver="sparse", scheme=scheme)
        assert np.max(np.abs(s.w - sparse.w)) < 1e-9 * np.max(np.abs(sparse.w))
        assert s.modes_below == sparse.modes_below
    with pytest.raises(ValueError, match="^solver 'separable' applies beyond the dialog's"):
        membrane.solve(90, 30, solver="separable")
