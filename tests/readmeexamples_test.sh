#!/usr/bin/env bash
# The check of the README's example blocks catches a block that drifted from
# what its command prints, lets masked parts vary, and --write puts the
# block right. Runs tools/readmeexamples.py on a README of its own, with the
# bundled examples beside it.
#   tests/readmeexamples_test.sh PYTHON SOURCE_DIR MAXNPV
set -euo pipefail
python=$1
src=$(cd "$2" && pwd)
maxnpv=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$src/examples" "$work/examples"
check() { "$python" "$src/tools/readmeexamples.py" "$@" --maxnpv "$maxnpv" "$work/README.md"; }

# D1.gpr's second line is "0 0 3 2 1 3 0 3 1 3 0 4 1 3 0"; the block says otherwise.
cat > "$work/README.md" <<'TEXT'
The worked example:

<!-- example: run='cat examples/D1.gpr' lines=1:2 -->
```
5 1 10
0 0 3 2 1 3 0 3 1 3 0 4 1 3 1
...
```

<!-- example: mask='[0-9]+\.[0-9]{4}$' -->
```
$ echo 1.2345; echo 0.5
9.9999
0.5
```
TEXT
if check > "$work/diff" 2> "$work/err"; then
    echo "a block that differs passed the check" >&2
    exit 1
fi
grep -q '^-0 0 3 2 1 3 0 3 1 3 0 4 1 3 1$' "$work/diff"
grep -q '^+0 0 3 2 1 3 0 3 1 3 0 4 1 3 0$' "$work/diff"
grep -q '1 of 2 example blocks differ' "$work/err"
# The masked time does not count: only the first block was wrong.
if grep -q '9.9999' "$work/diff"; then
    echo "a masked part was compared" >&2
    exit 1
fi
check --write > /dev/null
check > /dev/null
grep -qx '0 0 3 2 1 3 0 3 1 3 0 4 1 3 0' "$work/README.md"
grep -qx '9.9999' "$work/README.md" # a block that agrees is left as it was
# A command that ends with another status than asked is no example.
printf '<!-- example: run="maxnpv solve missing.gpr --pctneg 1 --slack 1 --interest 0" -->\n```\n```\n' \
    > "$work/README.md"
status=0
check > /dev/null 2> "$work/err" || status=$?
[ "$status" = 2 ] || { echo "a failing command gave status $status" >&2; exit 1; }
grep -q 'ended with status 2, not 0' "$work/err"
echo "readmeexamples: the check catches drift"
