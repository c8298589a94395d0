"""The module's signatures, written once in the binding, against its type stub and its docstring:
mypy's stubtest for what it sees of the built module, and the parameters of every function
(names, kinds, defaults) read from pybind11's signature line and from the stub alike."""

import ast
import os
import subprocess
import sys

import pytest

import membrane

STUB = os.environ["MEMBRANE_STUB"]
FUNCTIONS = ["solve", "modes", "modes_in", "sweep", "shape", "study"]


def parameters(node):
    """(name, kind, default) of every parameter of a function definition."""
    args = node.args
    plain = args.args
    defaults = [None] * (len(plain) - len(args.defaults)) + args.defaults
    listed = [(a.arg, "positional", d) for a, d in zip(plain, defaults)]
    listed += [(a.arg, "keyword", d) for a, d in zip(args.kwonlyargs, args.kw_defaults)]
    return [(name, kind, None if d is None else ast.unparse(d)) for name, kind, d in listed]


def runtime_parameters(function):
    """The parameters of pybind11's own signature, the first line of the docstring."""
    line = function.__doc__.splitlines()[0]
    return parameters(ast.parse(f"def {line}: pass").body[0])


def stub_definitions():
    tree = ast.parse(open(STUB, encoding="utf-8").read())
    found = {}
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            found.setdefault(node.name, []).append(node)
    return found


def test_stubtest_finds_the_stub_true_to_the_module():
    allowlist = os.path.join(os.path.dirname(STUB), "stubtest-allowlist.txt")
    done = subprocess.run([sys.executable, "-m", "mypy.stubtest", "membrane",
                           "--allowlist", allowlist],
                          capture_output=True, text=True, check=False,
                          env=dict(os.environ, MYPYPATH=os.path.dirname(STUB)))
    assert done.returncode == 0, done.stdout + done.stderr


@pytest.mark.parametrize("name", FUNCTIONS)
def test_every_signature_is_the_stubs(name):
    runtime = runtime_parameters(getattr(membrane, name))
    for stub in stub_definitions()[name]:  # every overload
        for (rname, rkind, rdefault), (sname, skind, sdefault) in zip(
                runtime, parameters(stub), strict=True):
            assert (rname, rkind) == (sname, skind), name
            if sdefault is not None:  # an overload may leave out a default it narrows
                assert rdefault == sdefault, (name, rname)


def test_option_is_keyword_only_everywhere():
    for name in FUNCTIONS:
        kinds = {n: k for n, k, _ in runtime_parameters(getattr(membrane, name))}
        assert kinds.get("option", "keyword") == "keyword", name
    with pytest.raises(TypeError):
        membrane.solve(2, 1, 0.1, False)


def test_module_docstring_lists_every_function():
    listed = {line.split()[0] for line in membrane.__doc__.split("---------\n")[1].splitlines()
              if line.strip()}
    public = {n for n in dir(membrane) if callable(getattr(membrane, n))
              and not n.startswith("_") and not isinstance(getattr(membrane, n), type)}
    assert listed == public
