#!/usr/bin/env bash
# The resource part of the benchmark: maxnpv solve --resources on the public
# ProGen/max sets UBO10, UBO20, UBO100 and UBO500 and on generated sets, beside a
# time-indexed MIP (HiGHS through scipy) as the yardstick; every schedule that
# maxnpv returns is checked by rcheck against the raw file. bench/run.sh runs it
# after its own sets; it also runs alone.
#
# usage: bench/resources.sh [BUILD]
#   BUILD  the Release build folder holding maxnpv, gprgen and rcheck (default:
#          build). Everything is written under BUILD/bench/resources/, which is
#          emptied first.
# environment:
#   BENCH_RESOURCES       0: skip this part
#   BENCH_RC_DATA         the folder of testset_ubo10 ... testset_ubo500 (default:
#                         ../shared/data/rcpsp-max beside the repository, or
#                         beside the main checkout from a git worktree)
#   BENCH_RC_MIP          the MIP script (default /work/shared/tools/rcpspnpv_mip.py);
#                         it runs under /usr/bin/python3, which needs scipy
#   BENCH_RC_PARTS        the parts to run (default all: "ubo10 ubo20 gen ubo100 big
#                         quality")
#   BENCH_RC_UBO20_STEP   UBO20: every n-th instance (default 3; 1: all 90)
#   BENCH_RC_UBO100_STEP  UBO100 at 10 s: every n-th instance (default 2)
#   BENCH_RC_UBO500_STEP  UBO500 at 30 s: every n-th instance (default 5)
#   BENCH_RC_GEN          generated instances of 30 and of 50 activities each
#                         (default 10)
#   BENCH_RC_BIG          generated instances of 200 and of 1000 activities each
#                         (default 6)
#   BENCH_RC_QUALITY      instances per set of the 60 s quality-over-time runs
#                         (default 6)
#   BENCH_RC_JOBS         time-limited maxnpv processes at a time (default 2)
#   BENCH_RC_MIPJOBS      MIP processes at a time (default 2)
#
# The parts (cash flows 50 % negative, magnitudes 1..500, interest 0.01; the
# deadline 1.25 x the published makespan, its upper bound where it is open, the
# critical path where the set lists no schedule, 1.5 x the critical path rounded
# up for sets without published makespans and for generated sets):
#   ubo10    every instance, maxnpv (one process after the other) and the MIP
#            without a limit: proven answers, the same optima, total times
#   ubo20    a subset, the MIP at 120 s: where the MIP proves, maxnpv proves too,
#            total times on those
#   gen      gprgen random networks of 30 and 50 real activities, 5 resources:
#            maxnpv 10 s against the MIP 60 s, npv and the gap to the better bound
#   ubo100   UBO100 (and gprgen networks of 200 activities) at 10 s: schedules
#            and gaps (bound - npv)
#   big      UBO500 and gprgen networks of 1000 activities at 30 s: the end of
#            every run within the limit and a second, schedules, gaps, peak memory
#   quality  subsets of UBO100, UBO500 and the 1000 set, one 60 s run each with
#            --progress: schedules and gaps at 1, 10, 30 and 60 s
# Gaps are shown as a share of the sum of the cash flows' magnitudes. The target
# lines, the rcheck count and the quality table go to standard output and to
# BUILD/bench/resources/report.txt; per-instance figures to
# BUILD/bench/resources/*.tsv and the result files beside them.
set -euo pipefail
export LC_ALL=C

if [ "${BENCH_RESOURCES:-1}" = 0 ]; then
    echo "Resources: skipped (BENCH_RESOURCES=0)"
    exit 0
fi
root=$(cd "$(dirname "$0")/.." && pwd)
if ! build=$(cd "${1:-$root/build}" 2>/dev/null && pwd); then
    echo "bench: build folder ${1:-$root/build} not found; build first (make build)" >&2
    exit 1
fi
for tool in maxnpv gprgen rcheck; do
    if [ ! -x "$build/$tool" ]; then
        echo "bench: $build/$tool is missing; build first (make build)" >&2
        exit 1
    fi
done
data=${BENCH_RC_DATA:-$root/../shared/data/rcpsp-max}
if [ -z "${BENCH_RC_DATA:-}" ] && [ ! -d "$data" ]; then
    # in a git worktree: beside the main checkout
    common=$(git -C "$root" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
    if [ -n "$common" ] && [ -d "$common/../../shared/data/rcpsp-max" ]; then
        data=$common/../../shared/data/rcpsp-max
    fi
fi
if [ ! -d "$data/testset_ubo10" ]; then
    echo "Resources: skipped: no ProGen/max sets in $data (set BENCH_RC_DATA to the folder of" \
        "testset_ubo10 ... testset_ubo500)"
    exit 0
fi
data=$(cd "$data" && pwd)
mip=${BENCH_RC_MIP:-/work/shared/tools/rcpspnpv_mip.py}
if [ ! -r "$mip" ]; then
    echo "Resources: skipped: the MIP script $mip cannot be read (set BENCH_RC_MIP)"
    exit 0
fi
if ! /usr/bin/python3 -c 'import scipy.optimize, numpy' 2>/dev/null; then
    echo "Resources: skipped: /usr/bin/python3 has no scipy (apt-get install python3-scipy)"
    exit 0
fi
if ! /usr/bin/time -f %M true >/dev/null 2>&1; then
    echo "bench: /usr/bin/time (GNU time, Debian package \"time\") is missing" >&2
    exit 1
fi
work=$build/bench/resources
rm -rf "$work"
mkdir -p "$work"
echo
/usr/bin/python3 "$root/bench/resources.py" "$build" "$data" "$work" "$mip"
