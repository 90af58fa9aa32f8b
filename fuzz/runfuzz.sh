#!/usr/bin/env bash
# Seeds the corpus and runs gprfuzz for a fixed time; fails on any crash,
# hang, memory blow-up or sanitizer report.
#   fuzz/runfuzz.sh BUILDDIR SECONDS [more libFuzzer options]
# BUILDDIR holds gprfuzz and sch2gpr. The seeds are the examples, the
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
