#!/usr/bin/env bash
# compare.sh - the differential check: does maxnpv still write exactly what
# revision REV writes?
#
# usage: bench/compare.sh REV [BUILD]
#   REV    any git revision (HEAD, a branch, a commit); its maxnpv is built
#          in a temporary git worktree (Release, MAXNPV_TESTS=OFF, only the
#          target maxnpv).
#   BUILD  a build folder of the current working tree holding maxnpv and
#          gprgen; without it both are built from the working tree into a
#          temporary folder.
#
# The instance sets are made once, with the current gprgen, and both solvers
# run on every set under several answer sets, each run in a fresh temporary
# folder, through the console dialogue as a researcher runs it: the five
# answers (first problem, last problem, percentage of negative cash flows,
# deadline slack, interest rate) on standard input, under `setsid -w` so
# that there is no controlling terminal and the final key wait returns at
# once. Compared byte for byte: output.txt, info.out, standard output,
# standard error and the exit status. Only the solve times are masked:
#   output.txt  the last field of a solved record "%5d %5d %8.2lf %11.4f"
#               (problem, passes, npv, seconds) and both numbers of the
#               statistics record " Average computation time (seconds)    :
#               %8.3f  (standard deviation : %8.3f)";
#   stdout      the time of the result text "   optimal  %8.2lf %10.3f" and
#               the same statistics line.
#
# Sets: the bundled examples (D1..D5), the bad-input files of the tests
# (tests/badinput/*.gpr, as D1..Dn), and generated sets: random networks with
# maximal lags (10-200 activities), dense (up to 400), sparse (up to 1000),
# window (small, medium and two of 1000 activities) and adversarial (4000
# small instances of every odd kind, often unsolvable). Every problem range reaches past the files on at
# least one side, so missing files are compared too. Answer sets mix the
# percentage of negative cash flows 0/50/100, deadline slacks 0/10/negative/
# huge and interest rates 0.01/0.1/0.000001/0; the examples run under all 48
# combinations.
#
# Prints per set and in total the instances x answer sets compared and the
# differences, then the first few differences in full. Exit status: 0 with no
# difference, 1 with differences (or a run that did not end within
# COMPARE_TIMEOUT seconds, default 900), 2 for a bad command line or a
# failed build. Takes about 3 to 4 minutes on 2 cores, builds included
# (31,000 problem runs per binary, most of the time in the 4000 adversarial
# instances and the windows of 1000 activities). COMPARE_KEEP=1 keeps the
# temporary folder; an interrupted check ends the runs it started.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ "${1:-}" = "--help" ]; then
    sed -n '2,/^set -euo/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2
    exit 2
fi
rev=$1
root=$(cd "$(dirname "$0")/.." && pwd)
timeout_s=${COMPARE_TIMEOUT:-900}
jobs=2
shown_max=5

if ! commit=$(git -C "$root" rev-parse --verify --quiet "$rev^{commit}"); then
    echo "compare: '$rev' is not a revision of $root" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/maxnpv-compare.XXXXXX")
worktree=$work/rev
cleanup() {
    local f
    for f in "$work"/runs/*/*.session; do
        if [ -f "$f" ] && [ ! -f "${f%.session}/status" ]; then
            kill -TERM -- "-$(cat "$f")" 2>/dev/null || true
        fi
    done
    if [ -d "$worktree" ]; then
        git -C "$root" worktree remove --force "$worktree" >/dev/null 2>&1 || true
    fi
    git -C "$root" worktree prune >/dev/null 2>&1 || true
    if [ "${COMPARE_KEEP:-0}" = 1 ]; then
        echo "compare: kept $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(date +%s)

# ---- the two solvers and the generator ----
build() { # source folder, build folder, targets...
    local src=$1 dir=$2
    shift 2
    cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DMAXNPV_TESTS=OFF >"$dir.log" 2>&1 &&
        cmake --build "$dir" -j "$jobs" --target "$@" >>"$dir.log" 2>&1
}

echo "compare: building maxnpv of $rev (${commit:0:12})" >&2
git -C "$root" worktree add --detach "$worktree" "$commit" >/dev/null 2>&1 || {
    echo "compare: cannot check out $rev into a worktree" >&2
    exit 2
}
if ! build "$worktree" "$work/build-rev" maxnpv; then
    echo "compare: the build of $rev failed; see below" >&2
    tail -20 "$work/build-rev.log" >&2
    exit 2
fi
oldbin=$work/build-rev/maxnpv

if [ $# -ge 2 ]; then
    curbuild=$(cd "$2" && pwd)
else
    echo "compare: building maxnpv and gprgen of the working tree" >&2
    curbuild=$work/build-cur
    if ! build "$root" "$curbuild" maxnpv gprgen; then
        echo "compare: the build of the working tree failed; see below" >&2
        tail -20 "$curbuild.log" >&2
        exit 2
    fi
fi
newbin=$curbuild/maxnpv
gprgen=$curbuild/gprgen
for f in "$newbin" "$gprgen"; do
    if [ ! -x "$f" ]; then
        echo "compare: $f is missing" >&2
        exit 2
    fi
done

# ---- instance sets ----
sets=$work/sets
mkdir -p "$sets"
gen() { # set name, gprgen options...
    local name=$1
    shift
    "$gprgen" --out "$sets/$name" "$@" >/dev/null
}

mkdir -p "$sets/examples"
cp "$root"/examples/D*.gpr "$sets/examples/"
mkdir -p "$sets/badinput"
nbad=0
for f in "$root"/tests/badinput/*.gpr; do
    nbad=$((nbad + 1))
    cp "$f" "$sets/badinput/D$nbad.gpr"
done
gen random --seed 101 --count 150 --min-act 10 --max-act 200 --maxlag 30
gen randomfs --seed 102 --count 30 --min-act 10 --max-act 200 --maxlag 60 --relations fs
gen dense --seed 103 --shape dense --count 60 --min-act 10 --max-act 120
gen denselarge --seed 109 --shape dense --count 10 --min-act 150 --max-act 400
gen sparse --seed 104 --shape sparse --count 60 --min-act 10 --max-act 1000
gen window --seed 105 --shape window --count 60 --min-act 2 --max-act 60
gen windowmid --seed 106 --shape window --count 8 --min-act 200 --max-act 500
gen window1000 --seed 107 --shape window --count 2 --act 1000
gen adversarial --seed 108 --shape adversarial --count 4000

# Answer sets: pctneg slack interest. The examples run under every
# combination of these values.
cross_answers=()
for pctneg in 0 50 100; do
    for slack in 0 10 -7 2000000000; do
        for interest in 0.01 0.1 0.000001 0; do
            cross_answers+=("$pctneg $slack $interest")
        done
    done
done
all_answers=("50 10 0.01" "0 0 0.1" "100 -3 0.000001" "50 2000000000 0" "100 0 0.01"
    "0 10 0" "50 -1000000 0.1")
few_answers=("50 10 0.01" "100 -3 0.000001" "0 2000000000 0.1")
# Measured: these keep the 1000-activity windows to seconds per run; a
# deadline slack above 0 takes minutes there.
window_answers=("50 0 0.01" "100 0 0.01" "0 10 0.1")
# Dense networks of a few hundred activities with only negative cash flows
# take millions of passes (one of 320 activities: 35 million, 12 minutes).
dense_answers=("50 10 0.01" "0 0 0.1" "100 -3 0.000001" "50 2000000000 0" "0 10 0"
    "50 -1000000 0.1")

# Every run: set, first, last, answers. The ranges reach past the files.
runs=()
addruns() { # set first last answer...
    local name=$1 first=$2 last=$3
    shift 3
    local a
    for a in "$@"; do runs+=("$name|$first|$last|$a"); done
}
addruns examples 0 6 "${cross_answers[@]}"
addruns badinput 1 $((nbad + 1)) "${few_answers[@]}"
addruns random 1 152 "${all_answers[@]}"
addruns randomfs -1 30 "${few_answers[@]}"
addruns dense 1 61 "${all_answers[@]}"
addruns denselarge 1 11 "${dense_answers[@]}"
addruns sparse 1 61 "${all_answers[@]}"
addruns window 0 60 "${all_answers[@]}"
addruns windowmid 1 9 "${all_answers[@]}"
addruns window1000 1 3 "${window_answers[@]}"
addruns adversarial 1 4001 "${all_answers[@]}"

# ---- running and comparing ----
mask_output() { # output.txt: the time of solved records and the statistics
    sed -E -e 's/^( *-?[0-9]+ +[0-9]+ +[^ ]+) +[0-9]+\.[0-9]{4}$/\1 <time>/' \
        -e 's/(Average computation time \(seconds\) +:) +[^ ]+ +\(standard deviation : +[^)]*\)/\1 <time>  (standard deviation : <time>)/' \
        "$1"
}
mask_stdout() { # console: the time after the npv of a result, and the statistics
    sed -E -e 's/(   optimal  +[^ ]+) +[0-9]+\.[0-9]{3}/\1 <time>/g' \
        -e 's/(Average computation time \(seconds\) +:) +[^ ]+ +\(standard deviation : +[^)]*\)/\1 <time>  (standard deviation : <time>)/' \
        "$1"
}

# Runs one binary in a fresh folder holding the set's files (hard links);
# leaves output.txt, info.out, stdout, stderr and status there.
runone() { # binary, set, folder, first, last, pctneg, slack, interest
    local bin=$1 name=$2 dir=$3
    mkdir -p "$dir"
    if compgen -G "$sets/$name/*.gpr" >/dev/null; then
        cp -l "$sets/$name"/*.gpr "$dir/" 2>/dev/null || cp "$sets/$name"/*.gpr "$dir/"
    fi
    local status=0
    # The session's id goes to a file first, so that an interrupted check
    # can end exactly the sessions it started.
    (cd "$dir" && printf '%s\n%s\n%s\n%s\n%s\n' "$4" "$5" "$6" "$7" "$8" |
        setsid -w sh -c 'echo $$ >"$1"; exec timeout "$2" "$3"' sh "$dir.session" \
            "$timeout_s" "$bin" >stdout 2>stderr) || status=$?
    echo "$status" >"$dir/status"
    rm -f "$dir"/*.gpr
}

declare -A set_runs set_instances set_diffs
setorder=()
total_runs=0
total_instances=0
total_diffs=0
shown=0
report=$work/differences.txt
: >"$report"
runnr=0
for run in "${runs[@]}"; do
    IFS='|' read -r name first last answers <<<"$run"
    read -r pctneg slack interest <<<"$answers"
    runnr=$((runnr + 1))
    dir=$work/runs/$runnr
    runone "$oldbin" "$name" "$dir/old" "$first" "$last" "$pctneg" "$slack" "$interest" &
    runone "$newbin" "$name" "$dir/new" "$first" "$last" "$pctneg" "$slack" "$interest" &
    wait

    if [ -z "${set_runs[$name]+x}" ]; then
        setorder+=("$name")
        set_runs[$name]=0
        set_instances[$name]=0
        set_diffs[$name]=0
    fi
    count=$((last - first + 1))
    set_runs[$name]=$((set_runs[$name] + 1))
    set_instances[$name]=$((set_instances[$name] + count))
    total_runs=$((total_runs + 1))
    total_instances=$((total_instances + count))

    differing=""
    for what in output.txt info.out stdout stderr status; do
        a=$dir/old/$what b=$dir/new/$what
        case $what in
        output.txt)
            [ -f "$a" ] && mask_output "$a" >"$a.masked" || : >"$a.masked"
            [ -f "$b" ] && mask_output "$b" >"$b.masked" || : >"$b.masked"
            [ -f "$a" ] || echo "(missing)" >>"$a.masked"
            [ -f "$b" ] || echo "(missing)" >>"$b.masked"
            a=$a.masked b=$b.masked
            ;;
        stdout)
            mask_stdout "$a" >"$a.masked"
            mask_stdout "$b" >"$b.masked"
            a=$a.masked b=$b.masked
            ;;
        info.out)
            [ -f "$a" ] || echo "(missing)" >"$a"
            [ -f "$b" ] || echo "(missing)" >"$b"
            ;;
        esac
        if ! cmp -s "$a" "$b"; then
            differing="$differing $what"
            if [ $shown -lt $shown_max ]; then
                shown=$((shown + 1))
                {
                    echo "---- difference $shown: set $name, problems $first..$last," \
                        "answers $pctneg / $slack / $interest: $what ($rev < > working tree)"
                    diff "$a" "$b" | head -20 || true
                } >>"$report"
            fi
        fi
    done
    for side in old new; do
        if [ "$(cat "$dir/$side/status")" = 124 ]; then
            differing="$differing timeout($side)"
        fi
    done
    if [ -n "$differing" ]; then
        set_diffs[$name]=$((set_diffs[$name] + 1))
        total_diffs=$((total_diffs + 1))
        echo "compare: set $name, problems $first..$last, answers $answers:$differing" >&2
    else
        rm -rf "$dir"
    fi
done

elapsed=$(($(date +%s) - started))
echo
echo "maxnpv differential check: $rev (${commit:0:12}) against the working tree" \
    "(${curbuild})"
printf '%-12s %10s %8s %14s %12s\n' set instances answers "inst x answ" differences
for name in "${setorder[@]}"; do
    runs_n=${set_runs[$name]}
    printf '%-12s %10d %8d %14d %12d\n' "$name" $((set_instances[$name] / runs_n)) "$runs_n" \
        "${set_instances[$name]}" "${set_diffs[$name]}"
done
printf '%-12s %10s %8d %14d %12d\n' total "" "$total_runs" "$total_instances" "$total_diffs"
echo "(instances: problem numbers of the range, missing files included; differences: runs"
echo " whose output.txt, info.out, stdout, stderr or exit status differ, or that timed out)"
echo "time: ${elapsed} s"
if [ "$total_diffs" -gt 0 ]; then
    echo
    echo "first differences:"
    cat "$report"
    exit 1
fi
echo "no differences"
exit 0
