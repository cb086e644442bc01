#!/bin/sh
# Writes the TA-Lib reference values of the average and oscillator tests of the
# second indicator group (tests/lumon/formula/goldens/ind2_*.txt) with the
# TA-Lib that make_goldens.sh leaves in build/talib/ (built first when absent).
# Run by hand when the goldens are to be made again; the build and CI never run it.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
lib="$root/build/talib"
[ -f "$lib/libta_lib.a" ] || "$root/tools/talib/make_goldens.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -Wall -I"$lib/include" -o "$work/goldens_ind2" "$root/tools/talib/goldens_ind2.c" "$lib/libta_lib.a" -lm
"$work/goldens_ind2" "$root/tests/lumon/formula/goldens"
echo "goldens written to $root/tests/lumon/formula/goldens"
