"""Ctrl-C while a solve or a sweep runs without the GIL: Python's signal
handler runs within the call, the call ends and raises KeyboardInterrupt,
and the package works as before afterwards.

The classic search on a window network of 1000 activities takes minutes, and
so does the search under the resources of the crowded network, so a solve
that has not seen the signal within 20 s never saw it. Each case
runs Python in a process of its own, in a new session (no controlling
terminal), and sends it SIGINT once it is solving."""

import os
import pathlib
import signal
import subprocess
import sys
import time

import pytest

from conftest import worked_npv

HERE = pathlib.Path(__file__).resolve().parent
BOUND = 20  # seconds from the signal to the end of the process

CHILD = r"""
import sys
sys.path.insert(0, sys.argv[1])
import maxnpv, generated, conftest

net = generated.crowded() if sys.argv[2] == "resources" else generated.window(1, 1000)
print("ready", flush=True)
try:
    if sys.argv[2] == "solve":
        maxnpv.solve(net, pctneg=50, slack=10, interest=0.01, method="classic")
    elif sys.argv[2] == "resources":
        maxnpv.solve(net, pctneg=50, slack=20, interest=0.01, resources=True)
    else:
        maxnpv.sweep(net, pctneg=50, slack=[0, 10, 20], interest=[0.01, 0.02], method="classic")
    print("finished", flush=True)
except KeyboardInterrupt:
    worked = maxnpv.Network(conftest.WORKED_DURATIONS, conftest.WORKED_RELATIONS)
    r = maxnpv.solve(worked, cashflows=conftest.WORKED_CASHFLOWS, slack=10, interest=0.01)
    print("then", r.status, repr(r.npv), flush=True)
    raise
"""


@pytest.mark.parametrize("call", ["solve", "sweep", "resources"])
def test_ctrl_c_ends_a_long_call(call):
    child = subprocess.Popen([sys.executable, "-c", CHILD, str(HERE), call],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                             start_new_session=True, env=dict(os.environ))
    try:
        assert child.stdout.readline() == "ready\n"
        time.sleep(1)  # well into the search, which the next line starts
        child.send_signal(signal.SIGINT)
        out, err = child.communicate(timeout=BOUND)
    finally:
        if child.poll() is None:
            child.kill()
            child.communicate()
    # Python ends a program that an uncaught KeyboardInterrupt ends by SIGINT.
    assert child.returncode == -signal.SIGINT, err
    assert err.rstrip().endswith("KeyboardInterrupt")
    status, npv = out.split()[1:]
    assert status == "solved"
    assert float(npv) == pytest.approx(worked_npv(15), rel=1e-12)


def test_signal_handlers_that_do_not_raise_leave_the_solve_alone():
    # A handler that only counts runs during the solve (the library asks for
    # it about every 10 ms) and changes nothing: the result is that of a
    # solve without signals, moves and starts included.
    import generated
    import maxnpv

    net = generated.window(2, 400)
    calm = maxnpv.solve(net, pctneg=50, slack=10, interest=0.01, method="classic")
    seen = []
    earlier = signal.signal(signal.SIGALRM, lambda *_: seen.append(1))
    try:
        signal.setitimer(signal.ITIMER_REAL, 0.002, 0.002)
        busy = maxnpv.solve(net, pctneg=50, slack=10, interest=0.01, method="classic")
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, earlier)
    assert seen
    assert busy.status == calm.status == "solved"
    assert busy.passes == calm.passes and busy.npv == calm.npv
    assert busy.start.tolist() == calm.start.tolist()
