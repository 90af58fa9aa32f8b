#!/usr/bin/env bash
# Seeds the corpora and runs gprfuzz, then verifyfuzz, each for a fixed time;
# fails on any crash, hang, memory blow-up or sanitizer report.
#   fuzz/runfuzz.sh BUILDDIR SECONDS [more libFuzzer options]
# BUILDDIR holds gprfuzz, verifyfuzz, sch2gpr and maxnpv. The options go to
# both targets but a -dict=, which is gprfuzz's; verifyfuzz takes json.dict.
# verifyfuzz's seeds (in BUILDDIR/corpus-verify) are the certified documents
# of the examples, tampered ones, altered results and a few cash-flow files. For gprfuzz: The seeds are the examples, the
# crafted instances of fuzz/seeds (degenerate and maximal-lag networks), the
# bad-input files, the converted .sch test files (each behind two parameter
# prefixes) and the regression files (which carry their own prefix). New
# inputs accumulate in BUILDDIR/corpus; crashes land in BUILDDIR/artifacts;
# the scratch folder of the target is made under BUILDDIR/tmp.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
corpus=$build/corpus
artifacts=$build/artifacts
mkdir -p "$corpus" "$artifacts"
rm -f "$artifacts"/crash-* "$artifacts"/timeout-* "$artifacts"/oom-* "$artifacts"/leak-*

# Parameter prefixes (see fuzzparams.h): pctneg 50, dlextra 10, interest 0.01;
# pctneg 100, dlextra 0, interest 0.05.
seed() { # seed NAME FILE
    printf '\062\074\000\011' | cat - "$2" >"$corpus/seed-a-$1"
    printf '\144\062\000\061' | cat - "$2" >"$corpus/seed-b-$1"
}
shopt -s nullglob
for f in "$root"/examples/*.gpr; do seed "example-$(basename "$f")" "$f"; done
for f in "$root"/fuzz/seeds/*.gpr; do seed "crafted-$(basename "$f")" "$f"; done
for f in "$root"/tests/badinput/*.gpr; do seed "badinput-$(basename "$f")" "$f"; done
tmp=$(mktemp)
for f in "$root"/tests/sch/*.sch; do
    "$build/sch2gpr" "$f" "$tmp"
    seed "sch-$(basename "$f" .sch).gpr" "$tmp"
done
rm -f "$tmp"
for f in "$root"/tests/fuzz-regressions/*; do cp "$f" "$corpus/regression-$(basename "$f")"; done

echo "gprfuzz: $(ls "$corpus" | wc -l) inputs in $corpus, running for $seconds seconds"
status=0
mkdir -p "$build/tmp"
TMPDIR=$build/tmp "$build/gprfuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" "$corpus" ||
    status=$?
found=$(ls "$artifacts" | wc -l)
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "gprfuzz: FAILED (exit status $status); reproducer(s) in $artifacts:" >&2
    ls "$artifacts" >&2
    echo "rerun one with: $build/gprfuzz <file>" >&2
    exit 1
fi
echo "gprfuzz: no findings"

# verifyfuzz: the first byte '!' (below 64) makes the rest a result
# document, '@' (64 to 127) an altered result of the worked example, 0x80 a
# cash-flow file. The documents are the certified ones of the worked example
# (the network they are checked against) at several rates, with a subnormal
# value, a far start and tampered members among them, and those of the
# two next examples (the larger ones would only slow the runs).
vcorpus=$build/corpus-verify
mkdir -p "$vcorpus"
for f in "$root"/examples/D[123].gpr; do
    for method in fast classic; do
        for rate in 0.01 0.2; do
            { printf '!'; "$build/maxnpv" solve "$f" --pctneg 50 --slack 10 --interest "$rate" \
                --method "$method" --json --certificate 2>/dev/null || true; } \
                >"$vcorpus/seed-$method-$rate-$(basename "$f" .gpr).json"
        done
    done
done
worked=$vcorpus/seed-fast-0.01-D1.json
if [ -s "$worked" ]; then
    sed 's/"finish": 15,/"finish": 16,/' "$worked" >"$vcorpus/seed-tampered-finish.json"
    sed 's/"status": "solved"/"status": "\\u001b[31msolved"/' "$worked" >"$vcorpus/seed-escape.json"
    sed 's/"npv": [^,]*,/"npv": 1e300,/' "$worked" >"$vcorpus/seed-npv-1e300.json"
    sed 's/"value": 0,/"value": -4.9406564584124654e-324,/' "$worked" >"$vcorpus/seed-subnormal.json"
    sed 's/"start": 12,/"start": -1000000,/' "$worked" >"$vcorpus/seed-far-start.json"
fi
# Altered results: rate, slack, method and pctneg bytes, then triples of what
# to alter (npv, a value, a start, a cash flow, a discounted cash flow, an
# arc, a far start, a lag), which one, and how (NaN, infinities, subnormals,
# DBL_MAX, negated, nudged).
printf '@\000\012\000\062\000\000\000' >"$vcorpus/seed-alter-npv-nan"
printf '@\001\012\001\062\001\001\003\001\002\004' >"$vcorpus/seed-alter-value-subnormal"
printf '@\002\000\000\144\003\002\001\006\003\077' >"$vcorpus/seed-alter-cashflow-far-start"
printf '@\003\040\001\000\004\002\007\005\001\002' >"$vcorpus/seed-alter-discounted-arc"
printf '\200 0 -239 356 366 0\n' >"$vcorpus/seed-cashflows"
printf '\200# own cash flows\n0\n1.5e3 -2.25 # comment\n\t.5 0\n' >"$vcorpus/seed-cashflows-comments"
vargs=()
for a in "$@"; do [[ $a == -dict=* ]] || vargs+=("$a"); done
echo "verifyfuzz: $(ls "$vcorpus" | wc -l) inputs in $vcorpus, running for $seconds seconds"
status=0
TMPDIR=$build/tmp "$build/verifyfuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    -dict="$root/fuzz/json.dict" "${vargs[@]}" "$vcorpus" || status=$?
found=$(ls "$artifacts" | wc -l)
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "verifyfuzz: FAILED (exit status $status); reproducer(s) in $artifacts:" >&2
    ls "$artifacts" >&2
    echo "rerun one with: $build/verifyfuzz <file>" >&2
    exit 1
fi
echo "verifyfuzz: no findings"
