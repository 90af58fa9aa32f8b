#!/bin/sh
# Recreates the generated examples D2.gpr .. D5.gpr (10, 100, 500 and 1000
# activities); D1.gpr is the hand-made worked example and stays as it is.
# Needs build/gprgen (make build); another gprgen can be given as GPRGEN.
set -eu
cd "$(dirname "$0")"
gprgen=${GPRGEN:-../build/gprgen}
if [ ! -x "$gprgen" ]; then
    echo "regenerate.sh: $gprgen is missing; run 'make build' first" >&2
    exit 1
fi
"$gprgen" --seed 2024 --first 2 --count 1 --act 10 --maxlag 20 --relations mixed --resources 1 --out . --force
"$gprgen" --seed 2024 --first 3 --count 1 --act 100 --maxlag 20 --relations mixed --resources 1 --out . --force
"$gprgen" --seed 2024 --first 4 --count 1 --act 500 --maxlag 20 --relations mixed --resources 1 --out . --force
"$gprgen" --seed 2024 --first 5 --count 1 --act 1000 --maxlag 20 --relations mixed --resources 1 --out . --force
