#!/usr/bin/env bash
# The benchmark of `make bench`: maxnpv beside the LP solver GLPK (gprlp, an
# independent LP model of the same problem) on generated sets.
#
# usage: bench/run.sh [BUILD]
#   BUILD  the Release build folder holding maxnpv, gprgen, solvebench and
#          gprlp (default: build). Everything is written under BUILD/bench/,
#          which is emptied first.
# environment:
#   BENCH_SETS  names of the sets to run, blank-separated (default: all; see
#               the list below), e.g. BENCH_SETS="dense sparse"
#   BENCH_TIME  the GNU time program for the peak memory (default /usr/bin/time,
#               Debian package "time")
#
# For every set, made by gprgen with a fixed seed:
#   - maxnpv batch runs over the whole set as a researcher would run it
#     (stdin from /dev/null, output.txt and info.out written, --csv for the
#     full-precision npv); the whole-run wall time (process start, reading,
#     solving, writing) divided by the instance count is the smallest of
#     REPS runs; the first run is made under GNU time for the peak memory;
#   - solvebench loads and solves every instance in-process REPS times and
#     keeps the smallest load and solve time of each instance;
#   - gprlp solves every instance once as a linear program with GLPK; its
#     optimum is compared with maxnpv's npv.
# Per-instance figures are kept in BUILD/bench/<set>/; the tables are printed
# and also written as Markdown to BUILD/bench/tables.md.
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
if ! build=$(cd "${1:-$root/build}" 2>/dev/null && pwd); then
    echo "bench: build folder ${1:-$root/build} not found; build first (make build)" >&2
    exit 1
fi
work=$build/bench
pctneg=50
slack=10
interest=0.01

# The sets: name | instances | repetitions | --max-activities | seed | gprgen
# shape options. The window networks are hard for the search (a 500-activity
# one takes from a few tenths of a second to a few seconds, the 1000-activity
# one below close to a minute), so those sets are small and repeated less.
# Random networks of 50,000 activities are left out of the scale sets: GLPK
# needs several minutes for one of them.
setlist='
dense      20 3   1000 501   --shape dense --act 500
sparse     20 3   1000 502   --shape sparse --min-act 400 --max-act 1000
random100  20 3   1000 20340 --shape random --act 100
random200  20 3   1000 20440 --shape random --act 200
random500  20 3   1000 20740 --shape random --act 500
random1000 20 3   1000 21240 --shape random --act 1000
window200  10 3   1000 7     --shape window --act 200
window500  5  2   1000 7     --shape window --act 500
window1000 1  1   1000 7     --shape window --act 1000
sparse10k  3  3 100000 510   --shape sparse --act 10000
sparse50k  3  3 100000 550   --shape sparse --act 50000
random10k  3  3 100000 610   --shape random --act 10000
'
scalesets=" sparse10k sparse50k random10k "
allsets=$(printf '%s\n' "$setlist" | awk 'NF { printf "%s ", $1 }')
wanted=${BENCH_SETS:-$allsets}
for name in $wanted; do
    case " $allsets " in
    *" $name "*) ;;
    *)
        echo "bench: unknown set '$name' in BENCH_SETS (sets: $allsets)" >&2
        exit 2
        ;;
    esac
done

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
if [ -x "$timebin" ] && "$timebin" -v true >/dev/null 2>&1; then
    havetime=1
else
    echo "bench: $timebin (GNU time, Debian package \"time\") is missing; no peak memory" \
        "figures" >&2
fi

# Microseconds of the wall clock, without starting a process (bash 5).
now_us() {
    if [ -n "${EPOCHREALTIME:-}" ]; then
        local t=$EPOCHREALTIME
        echo "${t/./}"
    else
        date +%s%6N
    fi
}

benchstart=$(now_us)
loadstart=$(cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo '?')
rm -rf "$work"
mkdir -p "$work"
summary=$work/summary.txt
: >"$summary"
: >"$work/mismatches.txt"

runset() {
    local name=$1 count=$2 reps=$3 maxact=$4 seed=$5
    shift 5
    local dir=$work/$name
    "$build/gprgen" "$@" --count "$count" --first 1 --seed "$seed" --out "$dir" >/dev/null
    local last=$count

    # maxnpv batch: the first run under GNU time (peak memory), then plain
    # runs; the smallest wall time counts.
    local best=-1 r t0 t1 rc
    for ((r = 1; r <= reps; r++)); do
        rc=0
        cd "$dir"
        t0=$(now_us)
        if [ "$r" = 1 ] && [ $havetime = 1 ]; then
            "$timebin" -v -o time.txt "$build/maxnpv" batch --first 1 --last "$last" \
                --pctneg $pctneg --slack $slack --interest $interest --max-activities "$maxact" \
                --csv result.csv </dev/null >console.txt 2>stderr.txt || rc=$?
        else
            "$build/maxnpv" batch --first 1 --last "$last" --pctneg $pctneg --slack $slack \
                --interest $interest --max-activities "$maxact" --csv result.csv \
                </dev/null >console.txt 2>stderr.txt || rc=$?
        fi
        t1=$(now_us)
        cd "$root"
        if [ $rc != 0 ]; then
            echo "bench: maxnpv batch ended with status $rc on set $name (see $dir/stderr.txt)" >&2
        fi
        if [ $best -lt 0 ] || [ $((t1 - t0)) -lt $best ]; then best=$((t1 - t0)); fi
    done
    local peak=-
    if [ $havetime = 1 ]; then
        peak=$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$dir/time.txt")
    fi

    # In-process: load and solve separately, smallest of reps.
    "$build/solvebench" --repeat "$reps" --pctneg $pctneg --dlextra $slack --interest $interest \
        "$dir" >"$dir/solvebench.txt"

    # GLPK, one run per instance: number, optimum (or the reason), glpk time,
    # exact check time, rounds, wall time of the gprlp process in ms.
    : >"$dir/lp.txt"
    local n out value glpk exact rounds
    if [ $havelp = 1 ]; then
        for ((n = 1; n <= count; n++)); do
            t0=$(now_us)
            out=$("$build/gprlp" "$dir/D$n.gpr" $pctneg $slack $interest 2>>"$dir/lp-stderr.txt") || true
            t1=$(now_us)
            value=$(printf '%s\n' "$out" | sed -n '1{s/ /_/g;p}')
            glpk=$(printf '%s\n' "$out" | awk '/^glpk time/ { print $3 }')
            exact=$(printf '%s\n' "$out" | awk '/^exact check/ { print $3 }')
            rounds=$(printf '%s\n' "$out" | awk '/^rounds/ { print $2 }')
            echo "$n ${value:-none} ${glpk:--} ${exact:--} ${rounds:--}" \
                "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1000 }')" \
                >>"$dir/lp.txt"
        done
    fi

    # Successor entries of the files (the relations as written, before any
    # reverse arc of a maximal lag), over all instances of the set.
    local relperact
    relperact=$(cat "$dir"/D*.gpr | awk 'BEGIN { RS = "[ \t\r\n]+" }
        NF == 0 { next }
        { tok[++k] = $1 }
        END {
            i = 1
            while (i <= k) {
                n = tok[i]; r = tok[i + 1]; i += 2 + r; acts += n
                for (a = 1; a <= n && i <= k; a++) {
                    i += 1 + r; m = tok[i]; i += 1 + 4 * m; total += m
                }
            }
            printf("%.3f\n", acts > 0 ? total / acts : 0)
        }')

    # One summary line per set (fields in the order of the printf below).
    awk -v name="$name" -v count="$count" -v reps="$reps" -v wallus="$best" -v peak="$peak" \
        -v havelp=$havelp -v mism="$work/mismatches.txt" -v relperact="$relperact" '
        function abs(x) { return x < 0 ? -x : x }
        FILENAME ~ /lp\.txt$/ {
            lpv[$1] = $2; lpt[$1] = $3; lpx[$1] = $4; lpr[$1] = $5; lpw[$1] = $6; next
        }
        FILENAME ~ /solvebench\.txt$/ {
            if ($1 == "summary") {
                for (i = 1; i <= NF; i++) {
                    if ($i == "load" && $(i - 1) == "mean") load = $(i + 1)
                    if ($i == "solve" && $(i - 1) == "mean") solve = $(i + 1)
                    if ($i == "solve" && $(i - 1) == "max") solvemax = $(i + 1)
                }
            }
            next
        }
        # result.csv: problem,status,passes,npv,seconds,activities,relations
        FNR == 1 { next }
        {
            split($0, f, ",")
            acts = f[6] + 0
            if (amin == "" || acts < amin) amin = acts
            if (acts > amax) amax = acts
            if (f[2] != "solved") {
                if (havelp && lpv[f[1]] ~ /^-?[0-9]+(\.[0-9]+)?$/)
                    printf("%s D%s: maxnpv %s, GLPK %s\n", name, f[1], f[2], lpv[f[1]]) >> mism
                next
            }
            solved++; passes += f[3]; csvms = f[5] * 1000; csvsum += csvms
            if (csvms > csvmax) csvmax = csvms
            p = f[1]
            if (!havelp) next
            if (lpt[p] != "-") { lpn++; lpsum += lpt[p] * 1000; lpxsum += lpx[p] * 1000
                                 lprsum += lpr[p]; lpwsum += lpw[p] }
            if (lpv[p] ~ /^-?[0-9]+(\.[0-9]+)?$/) {
                d = abs(f[4] - lpv[p]); m = abs(lpv[p]) > abs(f[4]) ? abs(lpv[p]) : abs(f[4])
                rel = d / (m > 1 ? m : 1)
                if (rel > maxrel) maxrel = rel
                if (rel <= 1e-6) matched++
                else printf("%s D%s: maxnpv %s, GLPK %s, relative difference %.3g\n",
                    name, p, f[4], lpv[p], rel) >> mism
            } else {
                v = lpv[p]; gsub("_", " ", v)
                printf("%s D%s: maxnpv %s, GLPK %s\n", name, p, f[4], v) >> mism
            }
        }
        END {
            s = solved > 0 ? solved : 1; l = lpn > 0 ? lpn : 1
            acts = (amin == amax) ? amin : amin "-" amax
            wallms = wallus / 1000 / count
            lpms = "-"; mx = -1; mw = -1; mr = -1
            if (lpn > 0) { lpms = sprintf("%.3f", lpsum / l); mx = lpxsum / l; mw = lpwsum / l
                           mr = lprsum / l }
            nm = havelp ? matched + 0 : -1
            ra = relperact
            printf("%s %s %d %d %.1f %.3f %.3f %.3f %.3f %s %s %d %.3g %.1f %.3f %.3f %.3f %.3f %.2f %.1f %d\n",
                name, acts, solved, count, passes / s, wallms, load, solve, solvemax, lpms, peak,
                nm, maxrel + 0, ra, csvsum / s, csvmax, mx, mw, mr, wallus / 1000, reps)
        }' "$dir/lp.txt" "$dir/solvebench.txt" "$dir/result.csv" >>"$summary"
    echo "bench: set $name done ($count instances)" >&2
}

while read -r name count reps maxact seed shapeargs; do
    [ -n "$name" ] || continue
    case " $wanted " in *" $name "*) ;; *) continue ;; esac
    # shellcheck disable=SC2086
    runset "$name" "$count" "$reps" "$maxact" "$seed" $shapeargs
done <<<"$setlist"
benchend=$(now_us)
loadend=$(cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo '?')

machine="$(date '+%Y-%m-%d %H:%M'), $(nproc) cores of $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
if [ -r /etc/debian_version ]; then machine="$machine, Debian $(cat /etc/debian_version)"; fi
total=$(awk -v a="$benchstart" -v b="$benchend" 'BEGIN { printf "%.0f", (b - a) / 1e6 }')

# The tables: plain text on standard output, Markdown in tables.md.
tables() {
    local md=$1
    awk -v md="$md" -v scale="$scalesets" '
        function row(a, n,   i, s) {
            if (md) { s = "|"; for (i = 1; i <= n; i++) s = s " " a[i] " |"; print s; return }
            s = sprintf("%-10s", a[1])
            for (i = 2; i <= n; i++) s = s sprintf(" %" w[i] "s", a[i])
            print s
        }
        function rule(n,   i, s) {
            if (!md) return
            s = "|"; for (i = 1; i <= n; i++) s = s "---|"; print s
        }
        function ratio(a, b,   q) {
            if (a == "-" || b <= 0) return "-"
            q = a / b
            return q >= 1 ? sprintf("%.1f", q) : sprintf("%.2g", q)
        }
        BEGIN {
            split("10 9 7 8 11 8 8 9 8 8 8 7", w, " ")
            nh = split("set activities solved passes wall_ms load_ms solve_ms LP_ms LP/wall LP/in-proc peak_MB optima", h, " ")
        }
        { lines[++nl] = $0; if (index(scale, " " $1 " ") > 0) hasscale = 1 }
        END {
            for (part = 1; part <= 1 + hasscale; part++) {
                if (part == 2) { print ""; if (!md) print "scale (maxnpv batch --max-activities 100000):"; else print "Scale sets (`maxnpv batch --max-activities 100000`):"; print "" }
                n = 0
                for (k = 1; k <= nl; k++) {
                    split(lines[k], f, " ")
                    isscale = index(scale, " " f[1] " ") > 0
                    if ((part == 2) != isscale) continue
                    if (n++ == 0) {
                        for (i = 1; i <= nh; i++) hh[i] = h[i]
                        if (md) for (i = 1; i <= nh; i++) gsub("_", " ", hh[i])
                        row(hh, nh); rule(nh)
                    }
                    a[1] = f[1]; a[2] = f[2]; a[3] = f[3] "/" f[4]
                    a[4] = f[5] >= 10000 ? sprintf("%.0f", f[5]) : f[5]
                    a[5] = sprintf("%.3f", f[6]); a[6] = sprintf("%.3f", f[7])
                    a[7] = sprintf("%.3f", f[8]); a[8] = f[10]
                    a[9] = ratio(f[10], f[6]); a[10] = ratio(f[10], f[7] + f[8])
                    a[11] = f[11]; a[12] = f[12] < 0 ? "-" : f[12] "/" f[3]
                    row(a, nh)
                }
            }
            print ""
            if (!md) print "details:"; else print "Details:"
            print ""
            nd = split("set rel/act solve_max_ms csv_solve_ms csv_max_ms LP_exact_ms LP_rounds gprlp_ms max_rel_diff reps", dh, " ")
            split("10 8 12 12 10 11 9 9 12 10", w, " ")
            for (i = 1; i <= nd; i++) { hh[i] = dh[i]; if (md) gsub("_", " ", hh[i]) }
            row(hh, nd); rule(nd)
            for (k = 1; k <= nl; k++) {
                split(lines[k], f, " ")
                a[1] = f[1]; a[2] = sprintf("%.1f", f[14]); a[3] = sprintf("%.3f", f[9])
                a[4] = sprintf("%.3f", f[15]); a[5] = sprintf("%.3f", f[16])
                a[6] = f[17] < 0 ? "-" : sprintf("%.3f", f[17])
                a[7] = f[19] < 0 ? "-" : sprintf("%.2f", f[19])
                a[8] = f[18] < 0 ? "-" : sprintf("%.1f", f[18])
                a[9] = f[12] < 0 ? "-" : sprintf("%.1e", f[13]); a[10] = f[21]
                row(a, nd)
            }
        }' "$summary"
}

legend() {
    cat <<EOF
set: generated by gprgen (fixed seed) under $work/; activities include both dummies.
solved: instances maxnpv solved / instances in the set. passes: mean search passes.
wall_ms: whole maxnpv batch run over the set (process start, reading, solving, writing
  output.txt, info.out and the CSV) divided by the instance count; smallest of reps runs.
load_ms, solve_ms: maxnpv in-process (solvebench), mean per instance of the smallest of
  reps repetitions; load = reading, cash flows and earliest starts; solve = initial tree
  and search.
LP_ms: GLPK's time per instance (mean, one run): gprlp's "glpk time", building the LPs and
  solving them with the simplex (gprlp does not report the solve alone); its exact check and
  the reading of the file are not included.
LP/wall = LP_ms / wall_ms; LP/in-proc = LP_ms / (load_ms + solve_ms); above 1: maxnpv is faster.
peak_MB: maximum resident set of the first batch run (GNU time -v).
optima: instances whose maxnpv npv (full precision, from --csv) equals GLPK's optimum within
  relative 1e-6 (of the larger magnitude, at least 1) / instances solved.
details: rel/act: successor entries of the files per activity (before maximal lags get their
  reverse arcs); solve_max_ms: in-process, slowest instance;
  csv_solve_ms / csv_max_ms: the batch run's own solve times (CSV, mean / max);
  LP_exact_ms: GLPK's exact simplex confirming the optimum (mean); LP_rounds: trust-region LPs
  per instance (mean); gprlp_ms: wall time of the whole gprlp process (mean); max_rel_diff:
  largest relative difference of the npv to GLPK's optimum; reps: batch runs over the set and
  solvebench repetitions per instance.
EOF
}

{
    echo "maxnpv benchmark: pctneg $pctneg, deadline slack $slack, interest $interest"
    echo "$machine"
    echo "bench total run time: $total s; load average (1 minute) at the start $loadstart, at the end $loadend"
    echo
    tables 0
    echo
    legend
} >"$work/report.txt"
{
    echo "maxnpv benchmark: pctneg $pctneg, deadline slack $slack, interest $interest;"
    echo "$machine; bench total run time $total s; load average (1 minute) at the start $loadstart,"
    echo "at the end $loadend."
    echo
    tables 1
} >"$work/tables.md"

echo
cat "$work/report.txt"
if [ -s "$work/mismatches.txt" ]; then
    echo
    echo "optima that do not match:"
    cat "$work/mismatches.txt"
fi
echo
echo "files: $work/report.txt, $work/tables.md, per set: result.csv, solvebench.txt, lp.txt"
