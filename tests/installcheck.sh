#!/usr/bin/env bash
# Installs the library from a fresh Release build of the source tree into a
# scratch prefix, builds the consumer of examples/consumer against it with
# find_package(maxnpv), runs it and checks its optimum of the worked example
# at slack 10 (356 e^-0.02 + 366 e^-0.05 - 239 e^-0.15 = 491.39149). The
# companion tools are installed beside maxnpv, gprlp where GLPK is found.
#   tests/installcheck.sh SOURCE_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DMAXNPV_TESTS=OFF >"$work/log" 2>&1 ||
    { cat "$work/log"; exit 1; }
tools="sch2gpr gprgen"
if grep -q '^GLPK_LIBRARY:FILEPATH=/' "$work/build/CMakeCache.txt"; then tools="$tools gprlp"; fi
# shellcheck disable=SC2086
cmake --build "$work/build" -j 2 --target maxnpvlib maxnpv $tools >"$work/log" 2>&1 ||
    { cat "$work/log"; exit 1; }
cmake --install "$work/build" --prefix "$work/prefix" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
test -f "$work/prefix/include/maxnpv/maxnpv.h"
for tool in maxnpv $tools; do
    test -x "$work/prefix/bin/$tool" || { echo "$tool is not installed" >&2; exit 1; }
done
"$work/prefix/bin/gprgen" --help >/dev/null
cmake -S "$src/examples/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" \
    >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
cmake --build "$work/consumer" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
out=$("$work/consumer/consumer")
echo "$out"
grep -Eq '^slack 10: deadline 15, npv 491.39149 after [0-9]+ passes; starts 0 12 0 1 15$' <<<"$out"
