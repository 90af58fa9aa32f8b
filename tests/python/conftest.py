"""Shared fixtures of the Python module's tests.

Run through CTest (Python.Suite), which sets PYTHONPATH to the module of the
build folder, MAXNPV_BINARY to the command line built beside it and
MAXNPV_SOURCE to the source tree. By hand:

    PYTHONPATH=build/python MAXNPV_BINARY=build/maxnpv /usr/bin/python3 -m pytest tests/python
"""

import json
import math
import os
import pathlib
import subprocess

import pytest

SOURCE = pathlib.Path(os.environ.get("MAXNPV_SOURCE", pathlib.Path(__file__).resolve().parents[2]))
TESTDATA = SOURCE / "tests"
EXAMPLES = SOURCE / "examples"

# The worked example of the README: five activities, cash flows of their own.
WORKED_DURATIONS = [0, 3, 2, 4, 0]
WORKED_RELATIONS = [
    (0, 1, "FS", 0), (0, 2, "FS", 0), (0, 3, "FS", 0),
    (1, 4, "FS", 0), (2, 3, "SS", 1), (3, 4, "FS", 0),
]
WORKED_CASHFLOWS = [0, -239, 356, 366, 0]


def worked_npv(deadline, rate=0.01):
    """The worked example's optimum by hand: activity 2 (index 2) at 0, 3 at 1
    (its SS lag), the negative activity 1 as late as the deadline allows."""
    return (356 * math.exp(-rate * 2) + 366 * math.exp(-rate * 5)
            - 239 * math.exp(-rate * deadline))


@pytest.fixture
def worked():
    import maxnpv
    return maxnpv.Network(durations=WORKED_DURATIONS, relations=WORKED_RELATIONS)


@pytest.fixture(scope="session")
def cli():
    """Runs `maxnpv solve FILE ARGS --json` and returns its document."""
    binary = os.environ.get("MAXNPV_BINARY")
    if not binary or not os.access(binary, os.X_OK):
        pytest.skip("MAXNPV_BINARY does not name the built maxnpv program")

    binary = os.path.abspath(binary)

    def run(path, *args):
        done = subprocess.run([binary, "solve", str(path), *args, "--json"],
                              capture_output=True, text=True, check=False)
        assert done.returncode in (0, 1), done.stderr
        return json.loads(done.stdout)

    return run
