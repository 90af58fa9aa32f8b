#!/usr/bin/env bash
# The benchmark of `make bench`: generates sets of 100, 200, 500 and 1000
# activities (20 instances each, fixed seeds) under <build>/bench/, runs
# maxnpv on each set as a researcher would (answers on standard input, no
# terminal), solves every instance with gprlp (GLPK) when it was built, runs
# solvebench on the same sets, and prints one table.
#
# usage: bench/run.sh [BUILD]      BUILD: the Release build folder (default build)
# BENCH_TIME: the GNU time program for the peak memory (default /usr/bin/time).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$build/bench
count=20
pctneg=50
dlextra=10
interest=0.01
sizes="100 200 500 1000"

for tool in maxnpv gprgen solvebench; do
    if [ ! -x "$build/$tool" ]; then
        echo "bench: $build/$tool is missing; build first (make build)" >&2
        exit 1
    fi
done
havelp=0
if [ -x "$build/gprlp" ]; then
    havelp=1
else
    echo "bench: $build/gprlp is missing (it needs GLPK: apt-get install libglpk-dev);" \
        "no LP times and no optimum check" >&2
fi
timebin=${BENCH_TIME:-/usr/bin/time}
havetime=0
if [ -x "$timebin" ]; then
    havetime=1
else
    echo "bench: $timebin is missing (Debian package \"time\"); no peak memory figures" >&2
fi

rm -rf "$work"
mkdir -p "$work"
summary=$work/summary.txt
: >"$summary"

for size in $sizes; do
    set_dir=$work/n$size
    "$build/gprgen" --count $count --first 1 --act "$size" --seed $((20240 + size)) \
        --maxlag 20 --relations mixed --out "$set_dir" >/dev/null
    printf '1\n%d\n%d\n%d\n%s\n' $count $pctneg $dlextra $interest >"$set_dir/answers.txt"

    # maxnpv in its own session: no terminal, so the closing key wait returns at once.
    start=$(date +%s%N)
    if [ $havetime = 1 ]; then
        (cd "$set_dir" && setsid -w "$timebin" -v -o time.txt "$build/maxnpv" \
            <answers.txt >console.txt 2>stderr.txt)
    else
        (cd "$set_dir" && setsid -w "$build/maxnpv" <answers.txt >console.txt 2>stderr.txt)
    fi
    end=$(date +%s%N)
    wallms=$(awk -v a="$start" -v b="$end" -v n=$count 'BEGIN { printf "%.3f", (b - a) / 1e6 / n }')
    peak=-
    if [ $havetime = 1 ]; then
        peak=$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' \
            "$set_dir/time.txt")
    fi

    # One line per instance: number, passes, npv and time of output.txt, then
    # the LP's optimum and time.
    : >"$set_dir/lp.txt"
    for n in $(seq 1 $count); do
        if [ $havelp = 1 ]; then
            lp=$("$build/gprlp" "$set_dir/D$n.gpr" $pctneg $dlextra $interest 2>/dev/null || true)
            value=$(printf '%s\n' "$lp" | sed -n 1p)
            glpk=$(printf '%s\n' "$lp" | awk '/^glpk time/ { print $3 }')
            echo "$n ${value:-none} ${glpk:-0}" >>"$set_dir/lp.txt"
        else
            echo "$n none 0" >>"$set_dir/lp.txt"
        fi
    done

    awk -v size="$size" -v count=$count -v wall="$wallms" -v peak="$peak" -v havelp=$havelp '
        FNR == NR { lpv[$1] = $2; lpt[$1] = $3; next }
        NF == 4 && $1 ~ /^-?[0-9]+$/ && $2 ~ /^[0-9]+$/ {
            solved++; passes += $2; ms = $4 * 1000; sum += ms; if (ms > max) max = ms
            glpk += lpt[$1] * 1000
            if (lpv[$1] != "none" && lpv[$1] ~ /^-?[0-9.]+$/) {
                d = lpv[$1] - $3; if (d < 0) d = -d
                # output.txt rounds to two decimals
                if (d <= 0.0051 + 1e-9 * (lpv[$1] < 0 ? -lpv[$1] : lpv[$1])) matched++
            }
        }
        END {
            n = solved > 0 ? solved : 1
            printf "%d %d %.3f %.3f %s %.1f %s %s %s\n", size, solved, sum / n, max, wall,
                passes / n, havelp ? sprintf("%.3f", glpk / n) : "-", peak,
                havelp ? matched + 0 : "-"
        }' "$set_dir/lp.txt" "$set_dir/output.txt" >>"$summary"
    echo "bench: set of $size activities done" >&2
done

dirs=""
for size in $sizes; do dirs="$dirs $work/n$size"; done
# shellcheck disable=SC2086
"$build/solvebench" --repeat 5 --pctneg $pctneg --dlextra $dlextra --interest $interest $dirs \
    >"$work/solvebench.txt"

echo
echo "solvebench (in-process, smallest of 5 repetitions, per instance):"
cat "$work/solvebench.txt"
echo
echo "maxnpv benchmark: $count instances per size, pctneg $pctneg, deadline slack $dlextra," \
    "interest $interest"
echo "$(date '+%Y-%m-%d %H:%M'), $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
echo
awk -v count=$count '
    FNR == NR && /^summary / {
        last = split($2, parts, "/n"); size = parts[last] + 0
        for (i = 1; i <= NF; i++) {
            if ($i == "load") inload[size] = $(i + 1)
            if ($i == "solve" && $(i - 1) == "mean") insolve[size] = $(i + 1)
            if ($i == "solve" && $(i - 1) == "max") inmax[size] = $(i + 1)
        }
        next
    }
    FNR == NR { next }
    FNR == 1 {
        printf "%-6s %-7s | %-23s | %-12s | %-21s | %-7s | %-9s | %-15s | %-7s | %-7s\n",
            "", "", "maxnpv solve, ms", "wall, ms", "in-process, ms", "", "GLPK, ms",
            "ratio GLPK to", "peak", "optima"
        printf "%-6s %-7s | %10s %12s | %12s | %10s %10s | %7s | %9s | %7s %7s | %7s | %7s\n",
            "acts", "solved", "mean", "max", "per inst.", "solve", "max", "passes", "mean",
            "maxnpv", "in-proc", "MB", "matched"
    }
    {
        size = $1
        ratio = ($7 != "-" && $3 > 0) ? sprintf("%.1f", $7 / $3) : "-"
        ratioin = ($7 != "-" && insolve[size] > 0) ? sprintf("%.1f", $7 / insolve[size]) : "-"
        matched = $9 == "-" ? "-" : $9 "/" count
        printf "%-6s %7s | %10.3f %12.3f | %12.3f | %10.3f %10.3f | %7.1f | %9s | %7s %7s | %7s | %7s\n",
            size, $2 "/" count, $3, $4, $5, insolve[size], inmax[size], $6, $7, ratio, ratioin,
            $8, matched
    }' "$work/solvebench.txt" "$summary"
echo
echo "maxnpv solve: the time field of output.txt (differences of whole-millisecond clock readings);"
echo "wall: the whole maxnpv run (start, dialogue, loading, solving, output) divided by the instance"
echo "count; in-process: solvebench's solve time, the smallest of 5 repetitions; GLPK: gprlp's time"
echo "to load and solve the LP, one run; ratio: mean GLPK time / mean maxnpv solve time (output.txt,"
echo "and in-process); optima matched: output.txt's npv (two decimals) equals gprlp's optimum"
echo "within 0.005."
