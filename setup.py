"""Builds the extension of the maxnpv Python package: python/_maxnpv.cpp and
the solver library's sources (everything under src/ but the command line's
main), compiled into one module. The package's metadata is in pyproject.toml.

    pip install .                                  # with a package index
    pip install --no-build-isolation .             # offline, with setuptools,
                                                   # pybind11 and numpy installed
"""

import glob
import os

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension, build_ext
from setuptools import setup

# The command line's entry point; the rest of src/ is the library.
MAIN = os.path.join("src", "driver", "main.cpp")

SOURCES = sorted(
    path for path in glob.glob(os.path.join("src", "**", "*.cpp"), recursive=True)
    if path != MAIN
)

# Sources compile on as many jobs as MAXNPV_BUILD_JOBS says (default 2).
ParallelCompile("MAXNPV_BUILD_JOBS", default=2).install()

setup(
    ext_modules=[
        Pybind11Extension(
            "maxnpv._maxnpv",
            [os.path.join("python", "_maxnpv.cpp")] + SOURCES,
            include_dirs=["include", "src"],
            cxx_std=17,
        )
    ],
    cmdclass={"build_ext": build_ext},
)
