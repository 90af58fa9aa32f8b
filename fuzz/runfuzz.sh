#!/usr/bin/env bash
# Seeds the corpora and runs gprfuzz, then verifyfuzz, each for a fixed time;
# fails on any crash, hang, memory blow-up or sanitizer report.
#   fuzz/runfuzz.sh BUILDDIR SECONDS [more libFuzzer options]
# BUILDDIR holds gprfuzz, verifyfuzz, sch2gpr and maxnpv. The options go to
# both targets but a -dict=, which is gprfuzz's; verifyfuzz takes json.dict.
# verifyfuzz's seeds (in BUILDDIR/corpus-verify) are the certified documents
# of the examples and a few cash-flow files. For gprfuzz: The seeds are the examples, the
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

# verifyfuzz: the first byte 'j' (below 128) makes the rest a result
# document, 0x80 a cash-flow file.
vcorpus=$build/corpus-verify
mkdir -p "$vcorpus"
for f in "$root"/examples/*.gpr; do
    for method in fast classic; do
        { printf 'j'; "$build/maxnpv" solve "$f" --pctneg 50 --slack 10 --interest 0.01 \
            --method "$method" --json --certificate 2>/dev/null || true; } \
            >"$vcorpus/seed-$method-$(basename "$f" .gpr).json"
    done
done
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
