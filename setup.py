"""The build of the Python package by the project's own CMake, for pip and python3 -m build.

Only the module and its drawing library are built (MEMBRANE_PYTHON_PACKAGE), with the project's
compiler options: -ffp-contract=off and no fast-math on every target, as in every other build.
The package `membrane` is a folder whose __init__ is the compiled module, with its type stub as
__init__.pyi, py.typed, and membrane-figures.so beside it where Qt 6 was found to build it; the
figures load Qt from the system's libraries when the first one is drawn. Everything the build
writes goes under build/python-package.
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
WORK = ROOT / "build" / "python-package"


def project_version():
    """The version of CMakeLists.txt's project(), the one place it is written."""
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(membrane VERSION ([0-9.]+)", text).group(1)


class CMakeModule(Extension):
    def __init__(self):
        super().__init__("membrane.__init__", sources=[])


class BuildWithCMake(build_ext):
    """Configures and builds the module alone, for the Python that runs this build."""

    def build_extension(self, ext):
        cmake_dir = WORK / f"cmake-{sys.implementation.cache_tag}"
        import pybind11  # a build requirement: in an isolated build, pip's own

        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(cmake_dir),
                        "-DCMAKE_BUILD_TYPE=Release", "-DMEMBRANE_PYTHON_PACKAGE=ON",
                        "-DMEMBRANE_BUILD_BENCH=OFF", f"-DMEMBRANE_PYTHON={sys.executable}",
                        f"-Dpybind11_DIR={pybind11.get_cmake_dir()}"],
                       check=True)
        targets = (cmake_dir / "package-targets.txt").read_text(encoding="utf-8").split(";")
        figures = "membrane_figures" in targets
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", str(os.cpu_count() or 1))
        subprocess.run(["cmake", "--build", str(cmake_dir), "-j", jobs, "--target", *targets],
                       check=True)
        module = Path(self.get_ext_fullpath(ext.name))
        package = module.parent
        package.mkdir(parents=True, exist_ok=True)
        built = next((cmake_dir / "python").glob("membrane.*.so"))
        shutil.copyfile(built, module)
        shutil.copyfile(cmake_dir / "python" / "membrane.pyi", package / "__init__.pyi")
        (package / "py.typed").write_text("", encoding="utf-8")
        if figures:
            shutil.copyfile(cmake_dir / "membrane-figures.so", package / "membrane-figures.so")


WORK.mkdir(parents=True, exist_ok=True)
setup(
    version=project_version(),
    ext_modules=[CMakeModule()],
    cmdclass={"build_ext": BuildWithCMake},
    options={"build": {"build_base": str(WORK / "setuptools")},
             "egg_info": {"egg_base": str(WORK)},
             "bdist_wheel": {"bdist_dir": str(WORK / "wheel")}},
    zip_safe=False,
)
