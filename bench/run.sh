#!/usr/bin/env bash
# The benchmark of `make bench`: maxnpv's two methods, classic and fast, beside
# the LP solver GLPK (gprlp, an independent LP model of the same problem) and,
# where a HiGHS yardstick script is given, HiGHS, on generated sets.
#
# usage: bench/run.sh [BUILD]
#   BUILD  the Release build folder holding maxnpv, gprgen, solvebench and
#          gprlp (default: build). Everything is written under BUILD/bench/,
#          which is emptied first.
# environment:
#   BENCH_SETS   names of the sets to run, blank-separated (default: all; see
#                the list below), e.g. BENCH_SETS="dense sparse"
#   BENCH_TIME   the GNU time program for the peak memory (default /usr/bin/time,
#                Debian package "time")
#   BENCH_HIGHS  a script run as `/usr/bin/python3 $BENCH_HIGHS DIR FIRST LAST
#                PCTNEG SLACK INTEREST` that solves DIR/D<n>.gpr with HiGHS and
#                prints "file npv seconds" per instance (seconds of the solve
#                call alone) and a total line; unset: no HiGHS figures
#   BENCH_HIGHS_PYTHON  the python running it (default /usr/bin/python3)
#   BENCH_RESOURCES  0: skip the resource part that follows the sets (bench/
#                resources.sh, which lists its own knobs; it also runs alone)
#
# For every set, made by gprgen with a fixed seed, and for each method:
#   - maxnpv batch --method M runs over the whole set as a researcher would
#     run it (stdin from /dev/null, output.txt and info.out written, --csv for
#     the full-precision npv); the whole-run wall time (process start,
#     reading, solving, writing) divided by the instance count is the
#     smallest of REPS runs; the first run is made under GNU time for the
#     peak memory. Sets with a classic limit run classic under `timeout`: a
#     run cut there is shown as "> N s" and not repeated;
#   - solvebench --method M loads and solves every instance in-process REPS
#     times and keeps the smallest load and solve time of each instance
#     (classic with --time-limit of the set's classic limit);
# then, for the fast method, `maxnpv solve` runs once per instance (smallest
# of REPS runs): the whole process of one solve, the figure that an LP
# solver's time is set against. GLPK (gprlp) solves every instance once,
# except in sets marked nolp; its optimum is compared with both methods' npv.
# HiGHS (BENCH_HIGHS) solves every instance once; an instance it cannot solve
# (no value, or an error) is counted as "yardstick failed".
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

# The sets: name | instances | repetitions | --max-activities | seed | percent
# of negative cash flows | deadline slack | interest rate | classic limit in
# seconds per run (0: none) | lp (GLPK) or nolp | gprgen shape options. The
# sets of 10,000 and 50,000 activities run twice: at the rate of the others,
# where the ends of such long projects (a sparse network of 50,000 runs some
# 97,000 time units) are discounted below what the HiGHS yardstick's LP can
# state, and at 0.0001, where it solves them. The window networks
# are hard for the classic search (a 500-activity one takes from a few tenths
# of a second to a few seconds, a 1000-activity one up to minutes), so those
# sets are small, repeated less and their classic runs limited. GLPK needs
# several minutes for one random network of 50,000 activities: that set has
# HiGHS only.
setlist='
dense        20 3    1000 501    50  10 0.01    0 lp   --shape dense --act 500
sparse       20 3    1000 502    50  10 0.01    0 lp   --shape sparse --min-act 400 --max-act 1000
random100    20 3    1000 20340  50  10 0.01    0 lp   --shape random --act 100
random200    20 3    1000 20440  50  10 0.01    0 lp   --shape random --act 200
random500    20 3    1000 20740  50  10 0.01    0 lp   --shape random --act 500
random1000   20 3    1000 21240  50  10 0.01    0 lp   --shape random --act 1000
window200    10 3    1000 7      50  10 0.01    0 lp   --shape window --act 200
window500    5  2    1000 7      50  10 0.01   60 lp   --shape window --act 500
window500s3  3  2    1000 3      50  10 0.01   60 lp   --shape window --act 500
window500s5  3  2    1000 5      50  10 0.01   60 lp   --shape window --act 500
window1000   1  1    1000 7      50  10 0.01   60 lp   --shape window --act 1000
window1000s3 1  1    1000 3      50  10 0.01   60 lp   --shape window --act 1000
window1000s5 1  1    1000 5      50  10 0.01   60 lp   --shape window --act 1000
denseneg350  10 3    1000 351   100   0 0.01   60 lp   --shape dense --act 350
denseneg500  10 3    1000 352   100   0 0.01   60 lp   --shape dense --act 500
sparse10k    3  3  100000 510    50  10 0.01    0 lp   --shape sparse --act 10000
sparse10klow 3  3  100000 510    50  10 0.0001  0 lp   --shape sparse --act 10000
sparse50k    3  3  100000 550    50  10 0.01    0 lp   --shape sparse --act 50000
sparse50klow 3  3  100000 550    50  10 0.0001  0 lp   --shape sparse --act 50000
random10k    3  3  100000 610    50  10 0.01    0 lp   --shape random --act 10000
random10klow 3  3  100000 610    50  10 0.0001  0 lp   --shape random --act 10000
random50k    2  3  100000 650    50  10 0.01    0 nolp --shape random --act 50000
random50klow 2  3  100000 650    50  10 0.0001  0 nolp --shape random --act 50000
'
scalesets=" sparse10k sparse50k random10k random50k sparse10klow sparse50klow random10klow random50klow "
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
highs=${BENCH_HIGHS:-}
highspython=${BENCH_HIGHS_PYTHON:-/usr/bin/python3}
havehighs=0
if [ -n "$highs" ]; then
    if [ ! -r "$highs" ]; then
        echo "bench: BENCH_HIGHS=$highs cannot be read" >&2
        exit 1
    fi
    if ! "$highspython" -c 'import scipy.optimize' 2>/dev/null; then
        echo "bench: $highspython has no scipy (apt-get install python3-scipy); no HiGHS" \
            "figures" >&2
    else
        havehighs=1
    fi
fi
havetimeout=0
if command -v timeout >/dev/null 2>&1; then havetimeout=1; fi
timeoutstatus=124 # the exit status of a command that timeout ended

# shellcheck source=bench/clock.sh
source "$root/bench/clock.sh"

stamp benchstart
loadstart=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo '?')
rm -rf "$work"
mkdir -p "$work"
summary=$work/summary.txt
: >"$summary"
: >"$work/mismatches.txt"

# runbatch DIR METHOD COUNT REPS MAXACT PCTNEG SLACK LIMIT: the batch runs of
# one method; writes DIR/batch-METHOD.txt: "wall_us cut peak_MB" (cut 1 when
# timeout ended a run; wall is then the limit).
runbatch() {
    local dir=$1 method=$2 count=$3 reps=$4 maxact=$5 pct=$6 sl=$7 rate=$8 limit=$9
    local best=-1 r t0 t1 rc cut=0 peak=-
    local -a pre=()
    if [ "$limit" != 0 ] && [ $havetimeout = 1 ]; then pre=(timeout "$limit"); fi
    for ((r = 1; r <= reps && cut == 0; r++)); do
        rc=0
        cd "$dir"
        stamp t0
        if [ "$r" = 1 ] && [ $havetime = 1 ]; then
            "${pre[@]}" "$timebin" -v -o "time-$method.txt" "$build/maxnpv" batch --first 1 \
                --last "$count" --pctneg "$pct" --slack "$sl" --interest "$rate" \
                --max-activities "$maxact" --method "$method" --csv "result-$method.csv" \
                </dev/null >"console-$method.txt" 2>"stderr-$method.txt" || rc=$?
        else
            "${pre[@]}" "$build/maxnpv" batch --first 1 --last "$count" --pctneg "$pct" \
                --slack "$sl" --interest "$rate" --max-activities "$maxact" --method "$method" \
                --csv "result-$method.csv" </dev/null >"console-$method.txt" \
                2>"stderr-$method.txt" || rc=$?
        fi
        stamp t1
        cd "$root"
        if [ $rc = $timeoutstatus ] && [ ${#pre[@]} -gt 0 ]; then
            # A later run cut near the limit keeps the time of an earlier one.
            if [ $best -lt 0 ]; then
                cut=1
                best=$((limit * 1000000))
            fi
            break
        fi
        if [ $rc != 0 ]; then
            echo "bench: maxnpv batch --method $method ended with status $rc on $dir" \
                "(see $dir/stderr-$method.txt)" >&2
        fi
        if [ $best -lt 0 ] || [ $((t1 - t0)) -lt $best ]; then best=$((t1 - t0)); fi
    done
    if [ $havetime = 1 ] && [ $cut = 0 ]; then
        peak=$(awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' \
            "$dir/time-$method.txt")
    fi
    echo "$best $cut $peak" >"$dir/batch-$method.txt"
}

runset() {
    local name=$1 count=$2 reps=$3 maxact=$4 seed=$5 pct=$6 sl=$7 rate=$8 limit=$9 lp=${10}
    shift 10
    local dir=$work/$name
    "$build/gprgen" "$@" --count "$count" --first 1 --seed "$seed" --out "$dir" >/dev/null

    touch "$dir/result-classic.csv" "$dir/result-fast.csv"
    runbatch "$dir" classic "$count" "$reps" "$maxact" "$pct" "$sl" "$rate" "$limit"
    runbatch "$dir" fast "$count" "$reps" "$maxact" "$pct" "$sl" "$rate" 0

    # In-process: load and solve separately, smallest of reps. The classic
    # limit is shared out among the instances, so that the set takes about as
    # long as its batch run at most; after a cut batch run the solves are not
    # repeated.
    local share creps=$reps
    share=$(awk -v l="$limit" -v c="$count" 'BEGIN { printf "%.3f", l / c }')
    if [ "$(cut -d' ' -f2 "$dir/batch-classic.txt")" = 1 ]; then creps=1; fi
    "$build/solvebench" --repeat "$creps" --pctneg "$pct" --dlextra "$sl" --interest "$rate" \
        --method classic --time-limit "$share" "$dir" >"$dir/solvebench-classic.txt"
    "$build/solvebench" --repeat "$reps" --pctneg "$pct" --dlextra "$sl" --interest "$rate" \
        --method fast "$dir" >"$dir/solvebench-fast.txt"

    # One maxnpv solve process per instance (fast): number, smallest wall
    # time of reps runs in ms, npv of the first run.
    : >"$dir/solve.txt"
    local n r t0 t1 best value
    for ((n = 1; n <= count; n++)); do
        best=-1
        for ((r = 1; r <= reps; r++)); do
            stamp t0
            "$build/maxnpv" solve "$dir/D$n.gpr" --pctneg "$pct" --slack "$sl" \
                --interest "$rate" --method fast </dev/null >"$dir/solve-out.txt" \
                2>/dev/null || true
            stamp t1
            if [ $best -lt 0 ] || [ $((t1 - t0)) -lt $best ]; then best=$((t1 - t0)); fi
            if [ "$r" = 1 ]; then
                value=$(awk '$1 == "npv" { print $2; exit }' "$dir/solve-out.txt")
            fi
        done
        echo "$n ${value:-none} $(awk -v b="$best" 'BEGIN { printf "%.3f", b / 1000 }')" \
            >>"$dir/solve.txt"
    done
    rm -f "$dir/solve-out.txt"

    # GLPK, one run per instance: number, optimum (or the reason), glpk time,
    # exact check time, rounds, wall time of the gprlp process in ms.
    : >"$dir/lp.txt"
    local out glpk exact rounds
    if [ $havelp = 1 ] && [ "$lp" = lp ]; then
        for ((n = 1; n <= count; n++)); do
            stamp t0
            out=$("$build/gprlp" "$dir/D$n.gpr" "$pct" "$sl" "$rate" \
                2>>"$dir/lp-stderr.txt") || true
            stamp t1
            value=$(printf '%s\n' "$out" | sed -n '1{s/ /_/g;p}')
            glpk=$(printf '%s\n' "$out" | awk '/^glpk time/ { print $3 }')
            exact=$(printf '%s\n' "$out" | awk '/^exact check/ { print $3 }')
            rounds=$(printf '%s\n' "$out" | awk '/^rounds/ { print $2 }')
            echo "$n ${value:-none} ${glpk:--} ${exact:--} ${rounds:--}" \
                "$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1000 }')" \
                >>"$dir/lp.txt"
        done
    fi

    # HiGHS: number, npv (or "failed"), seconds of the solve call. The script
    # runs over the rest of the set; an instance on which it stops (an error)
    # is marked failed and the run goes on after it.
    : >"$dir/highs.txt"
    if [ $havehighs = 1 ]; then
        local from=1 got
        : >"$dir/highs-raw.txt"
        while [ $from -le "$count" ]; do
            "$highspython" "$highs" "$dir" "$from" "$count" "$pct" "$sl" "$rate" \
                >"$dir/highs-part.txt" 2>>"$dir/highs-stderr.txt" || true
            cat "$dir/highs-part.txt" >>"$dir/highs-raw.txt"
            got=$(awk -v d="$dir/D" 'index($1, d) == 1 {
                    k = substr($1, length(d) + 1); sub(/\.gpr$/, "", k); if (k + 0 > m) m = k + 0
                } END { print m + 0 }' "$dir/highs-part.txt")
            awk -v d="$dir/D" 'index($1, d) == 1 {
                    k = substr($1, length(d) + 1); sub(/\.gpr$/, "", k)
                    v = ($2 ~ /^-?[0-9.]+([eE][-+]?[0-9]+)?$/) ? $2 : "failed"
                    print k + 0, v, $3
                }' "$dir/highs-part.txt" >>"$dir/highs.txt"
            if [ "$got" -lt "$count" ]; then
                if [ "$got" -lt "$from" ]; then got=$from; else got=$((got + 1)); fi
                echo "$got failed -" >>"$dir/highs.txt"
            fi
            from=$((got + 1))
        done
        rm -f "$dir/highs-part.txt"
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

    # One summary line per set: key=value fields (see the END block).
    awk -v name="$name" -v count="$count" -v reps="$reps" -v pct="$pct" -v sl="$sl" \
        -v rate="$rate" -v limit="$limit" -v uselp="$([ $havelp = 1 ] && [ "$lp" = lp ] && echo 1 || echo 0)" \
        -v usehighs=$havehighs -v mism="$work/mismatches.txt" -v relperact="$relperact" '
        function abs(x) { return x < 0 ? -x : x }
        function isnum(v) { return v ~ /^-?[0-9]+(\.[0-9]+)?([eE][-+]?[0-9]+)?$/ }
        function reldiff(a, b,   m) {
            m = abs(a) > abs(b) ? abs(a) : abs(b)
            return abs(a - b) / (m > 1 ? m : 1)
        }
        FILENAME ~ /batch-classic\.txt$/ { cwall = $1; ccut = $2; cpeak = $3; next }
        FILENAME ~ /batch-fast\.txt$/ { fwall = $1; fpeak = $3; next }
        FILENAME ~ /lp\.txt$/ {
            lpv[$1] = $2; lpt[$1] = $3; lpx[$1] = $4; lpr[$1] = $5; lpw[$1] = $6; next
        }
        FILENAME ~ /highs\.txt$/ { hv[$1] = $2; ht[$1] = $3; next }
        FILENAME ~ /solve\.txt$/ { sv[$1] = $2; st[$1] = $3; next }
        # solvebench: folder file nract load solve passes npv; then the summary
        FILENAME ~ /solvebench-(classic|fast)\.txt$/ {
            m = FILENAME ~ /classic/ ? "c" : "f"
            if ($1 == "folder" || $1 == "summary" || $4 == "-") next
            k = m; nin[k]++; load[k] += $4; solve[k] += $5; passes[k] += $6
            if ($5 > smax[k]) smax[k] = $5
            if ($7 == "limit") lim[k]++
            acts = $3 + 0
            if (amin == "" || acts < amin) amin = acts
            if (acts > amax) amax = acts
            next
        }
        # result-M.csv: problem,status,passes,npv,seconds,activities,relations
        FNR == 1 { next }
        {
            m = FILENAME ~ /classic/ ? "c" : "f"
            split($0, f, ",")
            p = f[1]
            if (f[2] != "solved") {
                if (uselp && isnum(lpv[p]))
                    printf("%s D%s %s: maxnpv %s, GLPK %s\n", name, p, m == "c" ? "classic" : "fast",
                        f[2], lpv[p]) >> mism
                next
            }
            solved[m]++; npv[m, p] = f[4]
            if (m == "f") { fsolved[p] = 1; fnpv[p] = f[4] }
            if (!uselp) next
            if (isnum(lpv[p])) {
                rel = reldiff(f[4], lpv[p])
                if (rel > maxrel) maxrel = rel
                if (rel <= 1e-6) matched[m]++
                else printf("%s D%s %s: maxnpv %s, GLPK %s, relative difference %.3g\n",
                    name, p, m == "c" ? "classic" : "fast", f[4], lpv[p], rel) >> mism
            } else {
                v = lpv[p]; gsub("_", " ", v)
                printf("%s D%s %s: maxnpv %s, GLPK %s\n", name, p, m == "c" ? "classic" : "fast",
                    f[4], v) >> mism
            }
        }
        END {
            for (p = 1; p <= count; p++) {
                if (uselp && lpt[p] != "" && lpt[p] != "-") {
                    lpn++; lpsum += lpt[p] * 1000; lpxsum += lpx[p] * 1000; lprsum += lpr[p]
                    lpwsum += lpw[p]
                    if (st[p] != "") { lpfsum += lpt[p] * 1000; lpfsolve += st[p] }
                }
                if (st[p] != "") { fsum += st[p]; if (st[p] > fmax) fmax = st[p] }
                if (!usehighs) continue
                if (!isnum(sv[p])) continue
                if (!(p in hv) || hv[p] == "failed") { hfail++; continue }
                if (reldiff(hv[p], sv[p]) > 1e-6) {
                    hdiff++
                    printf("%s D%s: maxnpv solve %s, HiGHS %s\n", name, p, sv[p], hv[p]) >> mism
                }
                hn++; hsum += ht[p] * 1000; hfsum += st[p]
                q = ht[p] * 1000 / st[p]
                if (worst == "" || q < worst) worst = q
            }
            acts = (amin == amax) ? amin : amin "-" amax
            printf("name=%s acts=%s count=%d pct=%d slack=%d rate=%s limit=%d reps=%d relperact=%s",
                name, acts, count, pct, sl, rate, limit, reps, relperact)
            printf(" csolved=%d fsolved=%d cpasses=%.1f fpasses=%.1f climited=%d",
                solved["c"], solved["f"], passes["c"] / (nin["c"] > 0 ? nin["c"] : 1),
                passes["f"] / (nin["f"] > 0 ? nin["f"] : 1), lim["c"] + 0)
            printf(" cwall=%.3f ccut=%d fwall=%.3f cpeak=%s fpeak=%s", cwall / 1000 / count,
                ccut, fwall / 1000 / count, cpeak, fpeak)
            for (k in nin) {
                printf(" %sload=%.3f %ssolve=%.3f %ssmax=%.3f", k, load[k] / nin[k], k,
                    solve[k] / nin[k], k, smax[k])
            }
            printf(" fproc=%.3f fprocmax=%.3f", fsum / count, fmax)
            if (lpn > 0)
                printf(" lp=%.3f lpx=%.3f lpr=%.2f lpw=%.1f lpf=%.3f lpfsolve=%.3f cmatch=%d fmatch=%d maxrel=%.3g",
                    lpsum / lpn, lpxsum / lpn, lprsum / lpn, lpwsum / lpn, lpfsum, lpfsolve,
                    matched["c"], matched["f"], maxrel + 0)
            if (usehighs) {
                printf(" hfail=%d hdiff=%d", hfail, hdiff)
                if (hn > 0) printf(" hn=%d highs=%.3f hfproc=%.3f hworst=%.4g", hn, hsum / hn,
                    hfsum / hn, worst)
            }
            printf("\n")
        }' "$dir/batch-classic.txt" "$dir/batch-fast.txt" "$dir/lp.txt" "$dir/highs.txt" \
        "$dir/solve.txt" "$dir/solvebench-classic.txt" "$dir/solvebench-fast.txt" \
        "$dir/result-classic.csv" "$dir/result-fast.csv" >>"$summary"
    echo "bench: set $name done ($count instances)" >&2
}

while read -r name count reps maxact seed pct sl rate limit lp shapeargs; do
    [ -n "$name" ] || continue
    case " $wanted " in *" $name "*) ;; *) continue ;; esac
    # shellcheck disable=SC2086
    runset "$name" "$count" "$reps" "$maxact" "$seed" "$pct" "$sl" "$rate" "$limit" "$lp" \
        $shapeargs
done <<<"$setlist"
stamp benchend
loadend=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo '?')

machine="$(date '+%Y-%m-%d %H:%M'), $(nproc) cores of $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
if [ -r /etc/debian_version ]; then machine="$machine, Debian $(cat /etc/debian_version)"; fi
total=$(awk -v a="$benchstart" -v b="$benchend" 'BEGIN { printf "%.0f", (b - a) / 1e6 }')

# The tables: plain text on standard output, Markdown in tables.md.
tables() {
    local md=$1
    awk -v md="$md" -v scale="$scalesets" '
        function row(a, n,   i, s) {
            if (md) { s = "|"; for (i = 1; i <= n; i++) s = s " " a[i] " |"; print s; return }
            s = sprintf("%-12s", a[1])
            for (i = 2; i <= n; i++) s = s sprintf(" %" (length(hh[i]) > 7 ? length(hh[i]) : 7) "s", a[i])
            print s
        }
        function head(names,   i, n) {
            n = split(names, hh, " ")
            if (md) for (i = 1; i <= n; i++) gsub("_", " ", hh[i])
            row(hh, n)
            if (md) { s = "|"; for (i = 1; i <= n; i++) s = s "---|"; print s }
            return n
        }
        function has(k) { return (k in v) && v[k] != "" }
        function num(x) { return x >= 10000 ? sprintf("%.0f", x) : sprintf("%.1f", x) }
        function ms(x) { return x >= 1000 ? sprintf("%.0f", x) : sprintf("%.3f", x) }
        function ratio(a, b,   q) {
            if (a == "" || b == "" || b <= 0) return "-"
            q = a / b
            return q >= 10 ? sprintf("%.0f", q) : q >= 1 ? sprintf("%.1f", q) : sprintf("%.2g", q)
        }
        function load(line,   n, i, f, kv) {
            delete v
            n = split(line, f, " ")
            for (i = 1; i <= n; i++) { split(f[i], kv, "="); v[kv[1]] = kv[2] }
        }
        function title(t) { print ""; print t; print "" }
        { lines[++nl] = $0; if (index(scale, " " substr($1, 6) " ") > 0) hasscale = 1 }
        END {
            # moves and times, classic and fast beside GLPK
            for (part = 1; part <= 1 + hasscale; part++) {
                if (part == 2) title("Scale sets (`maxnpv batch --max-activities 100000`):")
                n = 0
                for (k = 1; k <= nl; k++) {
                    load(lines[k])
                    if ((part == 2) != (index(scale, " " v["name"] " ") > 0)) continue
                    if (n++ == 0)
                        nh = head("set activities neg%/slack/rate c_passes f_moves c_wall_ms f_wall_ms c_inproc_ms f_inproc_ms f_solve_ms LP_ms LP/c_wall LP/f_solve optima_c/f")
                    cl = v["climited"] > 0 ? "> " : ""
                    a[1] = v["name"]; a[2] = v["acts"]; a[3] = v["pct"] "/" v["slack"] "/" v["rate"]
                    a[4] = cl num(v["cpasses"]); a[5] = num(v["fpasses"])
                    a[6] = v["ccut"] ? "> " v["limit"] " s" : ms(v["cwall"])
                    a[7] = ms(v["fwall"])
                    a[8] = has("cload") ? cl ms(v["cload"] + v["csolve"]) : "-"
                    a[9] = has("fload") ? ms(v["fload"] + v["fsolve"]) : "-"
                    a[10] = ms(v["fproc"])
                    a[11] = has("lp") ? ms(v["lp"]) : "-"
                    a[12] = has("lp") && !v["ccut"] ? ratio(v["lp"], v["cwall"]) : "-"
                    a[13] = has("lp") ? ratio(v["lpf"], v["lpfsolve"]) : "-"
                    a[14] = has("lp") ? v["cmatch"] "/" v["csolved"] ", " v["fmatch"] "/" v["fsolved"] : "-"
                    row(a, nh)
                }
            }
            # HiGHS
            n = 0
            for (k = 1; k <= nl; k++) {
                load(lines[k])
                if (!has("hfail")) continue
                if (n++ == 0) {
                    title("HiGHS (the solve call alone) against one whole `maxnpv solve` process (fast):")
                    nh = head("set instances HiGHS_ms f_solve_ms HiGHS/f_solve worst_instance yardstick_failed npv_differs")
                }
                a[1] = v["name"]; a[2] = v["count"]
                a[3] = has("hn") ? ms(v["highs"]) : "-"; a[4] = has("hn") ? ms(v["hfproc"]) : "-"
                a[5] = has("hn") ? ratio(v["highs"], v["hfproc"]) : "-"
                a[6] = has("hn") ? ratio(v["hworst"], 1) : "-"
                a[7] = v["hfail"]; a[8] = v["hdiff"]
                row(a, nh)
            }
            title("Details:")
            nh = head("set rel/act c_limit_s c_solve_max_ms f_solve_max_ms f_solve_proc_max_ms c_peak_MB f_peak_MB LP_exact_ms LP_rounds gprlp_ms max_rel_diff reps")
            for (k = 1; k <= nl; k++) {
                load(lines[k])
                a[1] = v["name"]; a[2] = sprintf("%.1f", v["relperact"])
                a[3] = v["limit"] > 0 ? v["limit"] : "-"
                a[4] = has("csmax") ? ms(v["csmax"]) : "-"; a[5] = has("fsmax") ? ms(v["fsmax"]) : "-"
                a[6] = ms(v["fprocmax"]); a[7] = v["cpeak"]; a[8] = v["fpeak"]
                a[9] = has("lp") ? ms(v["lpx"]) : "-"; a[10] = has("lp") ? v["lpr"] : "-"
                a[11] = has("lp") ? v["lpw"] : "-"; a[12] = has("lp") ? sprintf("%.1e", v["maxrel"]) : "-"
                a[13] = v["reps"]
                row(a, nh)
            }
        }' "$summary"
}

legend() {
    cat <<EOF2
set: generated by gprgen (fixed seed) under $work/; activities include both dummies;
  neg%/slack/rate: percentage of negative cash flows, the deadline's slack above the critical
  path and the interest rate per time unit. c_ = classic (maxnpv batch --method classic),
  f_ = fast (--method fast).
c_passes, f_moves: mean search passes of classic, mean moves of fast (tree moves, set moves,
  rounds of minimum cuts), in-process. "> " marks a set where the classic limit stopped some
  solve: the figure is then a lower bound.
c_wall_ms, f_wall_ms: whole maxnpv batch run over the set (process start, reading, solving,
  writing output.txt, info.out and the CSV) divided by the instance count; smallest of reps
  runs. "> N s": timeout ended the classic run after N seconds (not repeated).
c_inproc_ms, f_inproc_ms: in-process (solvebench), mean per instance of load + solve, each
  the smallest of reps repetitions; load = reading, cash flows and earliest starts.
f_solve_ms: one whole \`maxnpv solve FILE --method fast\` process per instance (start,
  reading, solving, printing the schedule), mean of the per-instance smallest of reps runs.
LP_ms: GLPK's time per instance (mean, one run): gprlp's "glpk time", building the LPs and
  solving them with the simplex; its exact check and the reading of the file are not
  included. LP/c_wall = LP_ms / c_wall_ms; LP/f_solve = GLPK's time over the fast solve
  processes' time, summed over the set; above 1: maxnpv is faster.
optima_c/f: instances whose npv (full precision, from --csv) equals GLPK's optimum within
  relative 1e-6 (of the larger magnitude, at least 1) / instances solved, classic, fast.
HiGHS: \$BENCH_HIGHS, HiGHS's solve call alone (one run per instance, through scipy); HiGHS/
  f_solve over the instances it solved; worst_instance: the smallest per-instance ratio
  HiGHS / f_solve; yardstick_failed: instances it gave no optimum for (it said
  "infeasible" or stopped with an error) although maxnpv solved them; npv_differs: optima
  that differ from maxnpv's by more than relative 1e-6.
details: rel/act: successor entries of the files per activity (before maximal lags get their
  reverse arcs); c_limit_s: timeout of a classic batch run; an in-process classic solve
  gets that over the instance count as its --time-limit; *_solve_max_ms: slowest instance in-process; f_solve_proc_max_ms:
  slowest maxnpv solve process; *_peak_MB: maximum resident set of the first batch run (GNU
  time -v); LP_exact_ms: GLPK's exact simplex confirming the optimum (mean); LP_rounds:
  trust-region LPs per instance (mean); gprlp_ms: wall time of the whole gprlp process
  (mean); max_rel_diff: largest relative difference of either method's npv to GLPK's
  optimum; reps: batch runs, solvebench repetitions and solve runs per instance.
EOF2
}

{
    echo "maxnpv benchmark: cash flows, slack and interest rate per set"
    echo "$machine"
    echo "bench total run time: $total s; load average (1, 5, 15 minutes) at the start $loadstart," \
        "at the end $loadend"
    tables 0
    echo
    legend
} >"$work/report.txt"
{
    echo "maxnpv benchmark: cash flows, slack and interest rate per set; $machine; bench total"
    echo "run time $total s;"
    echo "load average (1, 5, 15 minutes) at the start $loadstart, at the end $loadend."
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
echo "files: $work/report.txt, $work/tables.md, per set: result-{classic,fast}.csv,"
echo "solvebench-{classic,fast}.txt, solve.txt, lp.txt, highs.txt"

# The resource part (maxnpv solve --resources against a MIP), into
# BUILD/bench/resources/.
bash "$root/bench/resources.sh" "$build"
