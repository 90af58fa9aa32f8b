#!/usr/bin/env bash
# Timings of batch runs on one and on two threads, and of a sweep against
# independent solves of its points. Prints the figures; checks nothing.
#
# usage: bench/parallel.sh [BUILD]
#   BUILD  the Release build folder holding maxnpv and gprgen (default:
#          build). Files are written under BUILD/bench-parallel/, which is
#          emptied first.
# environment:
#   PAR_COUNT   instances of the generated 500-activity set (default 90, the
#               size of a public UBO500 set)
#   PAR_POINTS  deadlines of the sweep (default 50)
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
if ! build=$(cd "${1:-$root/build}" 2>/dev/null && pwd); then
    echo "parallel: build folder ${1:-$root/build} not found; build first (make build)" >&2
    exit 1
fi
for tool in maxnpv gprgen; do
    if [ ! -x "$build/$tool" ]; then
        echo "parallel: $build/$tool is missing; build first (make build)" >&2
        exit 1
    fi
done
count=${PAR_COUNT:-90}
points=${PAR_POINTS:-50}
work=$build/bench-parallel
rm -rf "$work"
mkdir -p "$work/one" "$work/two"
"$build/gprgen" --shape dense --act 500 --count "$count" --first 1 --seed 501 \
    --out "$work/set" >/dev/null

# shellcheck source=bench/clock.sh
source "$root/bench/clock.sh"

# Wall seconds of a command, its output dropped.
wall() {
    local start end
    stamp start
    "$@" >/dev/null 2>&1 </dev/null || true
    stamp end
    awk -v us=$((end - start)) 'BEGIN { printf "%.3f", us / 1e6 }'
}

run=(batch --dir "$work/set" --first 1 --last "$count" --pctneg 50 --slack 10 --interest 0.01)
one=$(wall "$build/maxnpv" "${run[@]}" --out "$work/one" --jobs 1)
two=$(wall "$build/maxnpv" "${run[@]}" --out "$work/two" --jobs 2)
echo "batch over $count instances of 500 activities (classic method):"
echo "  --jobs 1  $one s"
echo "  --jobs 2  $two s"
awk -v a="$one" -v b="$two" 'BEGIN { if (b > 0) printf "  speed-up  %.2f\n", a / b }'
if ! cmp -s <(sed 's/ *[0-9.]*$//' "$work/one/output.txt" | grep -v Average) \
    <(sed 's/ *[0-9.]*$//' "$work/two/output.txt" | grep -v Average); then
    echo "  (the two output.txt files differ beyond the solve times)"
fi

inst=$work/set/D1.gpr
last=$((points - 1))
sweep=$(wall "$build/maxnpv" sweep "$inst" --pctneg 50 --slack "0:$last" --interest 0.01 \
    --csv "$work/sweep.csv")
stamp start
for s in $(seq 0 "$last"); do
    "$build/maxnpv" solve "$inst" --pctneg 50 --slack "$s" --interest 0.01 >/dev/null 2>&1 || true
done
stamp end
solves=$(awk -v us=$((end - start)) 'BEGIN { printf "%.3f", us / 1e6 }')
insweep=$(awk -F, 'NR > 1 { s += $6 } END { printf "%.3f", s }' "$work/sweep.csv")
echo "sweep of $points deadlines of D1 (fast method):"
echo "  maxnpv sweep             $sweep s (its solves: $insweep s)"
echo "  $points x maxnpv solve   $solves s"
awk -v a="$solves" -v b="$sweep" 'BEGIN { if (b > 0) printf "  ratio                    %.2f\n", a / b }'
