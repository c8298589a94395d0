#!/bin/bash
# pip_check.sh SOURCE MEMBRANE_SOLVE: the Python package as its users get it. A clean copy of the
# source is installed with pip into a fresh virtual environment (Debian's NumPy through
# --system-site-packages), then used from outside the tree: its values are the tool's bit for
# bit, mypy finds its stub, and pip uninstall leaves nothing. A wheel built from the same copy
# by python3 -m build installs into a second environment and passes the same check; its tags
# are the interpreter's and it links nothing of the build.
set -euo pipefail
src=$1 solve=$2
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "pip check: $*" >&2; exit 1; }

# The files of the source as git knows them, committed or not, without any build.
mkdir "$work/source" "$work/elsewhere"
git -C "$src" ls-files -z --cached --others --exclude-standard |
    (cd "$src" && tar --null -T - -cf -) | tar -xf - -C "$work/source"

# check VENV: imports the installed module from outside the tree and holds it to the tool.
check() {
    local venv=$1
    (cd "$work/elsewhere" && "$venv/bin/python" - "$solve" "$venv" <<'PY'
import subprocess, sys
import numpy as np
import membrane
solve, venv = sys.argv[1], sys.argv[2]
assert membrane.__file__.startswith(venv), membrane.__file__
for divx, divy, alpha, option in [(12, 4, 2.5, True), (90, 30, 5.0, False), (120, 40, 3.7, True)]:
    s = membrane.solve(divx, divy, alpha, option=option)
    csv = subprocess.run([solve, "--divx", str(divx), "--divy", str(divy), "--alpha", str(alpha),
                          "--option", "on" if option else "off", "--quiet", "--csv", "-"],
                         capture_output=True, check=True).stdout.decode().splitlines()[1:]
    tool = np.array([float(line.split(",")[5]) for line in csv])
    assert tool.tobytes() == s.values.tobytes(), (divx, divy)
assert membrane.solve(6, 2).figure().startswith(b"\x89PNG"), "the figures are in the package"
PY
    ) || fail "the module in $venv is not the tool's"
    cat >"$work/elsewhere/typed.py" <<'PY'
import membrane

s = membrane.solve(12, 4, 2.5)
divisions: int = s.divx
PY
    cat >"$work/elsewhere/mistyped.py" <<'PY'
import membrane

divisions: str = membrane.solve(12, 4, 2.5).divx
PY
    (cd "$work/elsewhere" &&
        "$venv/bin/python" -m mypy --no-incremental --cache-dir=/dev/null typed.py >/dev/null) ||
        fail "mypy does not pass a script that uses the module right"
    if (cd "$work/elsewhere" &&
        "$venv/bin/python" -m mypy --no-incremental --cache-dir=/dev/null mistyped.py >/dev/null); then
        fail "mypy did not find the stub: a wrong type passed"
    fi
}

# 1. pip install of the source, then uninstall.
$python -m venv --system-site-packages "$work/venv"
(cd "$work/source" && "$work/venv/bin/pip" install -q --no-build-isolation --no-index .) ||
    fail "pip install failed"
check "$work/venv"
"$work/venv/bin/pip" uninstall -q -y membrane
left=$(find "$work/venv" -iname '*membrane*')
[ -z "$left" ] || fail "pip uninstall left: $left"

# 2. A wheel, into a second environment.
(cd "$work/source" && $python -m build --wheel --no-isolation --outdir "$work/dist" . >/dev/null) ||
    fail "python3 -m build --wheel failed"
wheel=$(ls "$work"/dist/membrane-*.whl)
$python - "$wheel" <<'PY' || fail "the wheel's tags are not this interpreter's"
import sys
from packaging.tags import sys_tags
from packaging.utils import parse_wheel_filename
_, _, _, tags = parse_wheel_filename(sys.argv[1].rsplit("/", 1)[1])
supported = set(sys_tags())
assert tags and all(t in supported and t.interpreter == "cp311" for t in tags), tags
PY
$python -m venv --system-site-packages "$work/wheel-venv"
"$work/wheel-venv/bin/pip" install -q --no-index "$wheel" || fail "the wheel does not install"
check "$work/wheel-venv"
for so in "$work"/wheel-venv/lib/python3*/site-packages/membrane/*.so; do
    if readelf -d "$so" | grep -Eq 'RPATH|RUNPATH'; then fail "$so carries a library path"; fi
    if ldd "$so" | grep -E "$work|not found"; then fail "$so links what is not installed"; fi
done
echo "pip check: the package installs, is the tool's, is typed and uninstalls cleanly"
