"""The example notebook runs headless from top to bottom, and is kept without outputs."""

import os

import nbformat
from nbclient import NotebookClient

NOTEBOOK = os.path.join(os.environ["MEMBRANE_EXAMPLES"], "convergence.ipynb")


def test_the_notebook_is_committed_without_outputs():
    nb = nbformat.read(NOTEBOOK, as_version=4)
    code = [c for c in nb.cells if c.cell_type == "code"]
    assert code and all(not c.outputs and c.execution_count is None for c in code)


def test_the_notebook_runs_and_shows_the_modules_figure(tmp_path, monkeypatch):
    # The kernel draws inline, as in a notebook server, not with the tests' Agg.
    monkeypatch.delenv("MPLBACKEND", raising=False)
    nb = nbformat.read(NOTEBOOK, as_version=4)
    NotebookClient(nb, timeout=300, kernel_name="python3",
                   resources={"metadata": {"path": str(tmp_path)}}).execute()
    outputs = [o for c in nb.cells if c.cell_type == "code" for o in c.outputs]
    assert not [o for o in outputs if o.output_type == "error"]
    images = [o for o in outputs if "image/png" in o.get("data", {})]
    assert len(images) >= 4  # the module's figure and three of matplotlib
    printed = "".join(o.get("text", "") for o in outputs if o.output_type == "stream")
    assert "points per wavelength: 7.54" in printed and " 720 x 240 " in printed
