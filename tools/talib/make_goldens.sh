#!/bin/sh
# Builds TA-Lib from the C sources inside the npm package "talib" and writes the
# reference values of the indicator tests (tests/lumon/formula/goldens/*.txt),
# with the fixture series they are computed on. Run by hand when the goldens are
# to be made again; the build and CI never run it. The libraries it leaves in
# build/talib/ let the indicator benchmark compare itself with TA-Lib.
set -eu

root=$(cd "$(dirname "$0")/../.." && pwd)
version=${TALIB_NPM_VERSION:-1.1.6}
out="$root/tests/lumon/formula/goldens"
lib="$root/build/talib"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$work"
npm pack "talib@$version" >/dev/null
tar xzf "talib-$version.tgz"
src="$work/package/src/lib"

mkdir -p "$lib/obj" "$lib/include" "$out"
for f in "$src"/src/ta_common/*.c "$src"/src/ta_func/*.c; do
    cc -O2 -fPIC -w -c -I"$src/include" -I"$src/src/ta_common" -I"$src/src/ta_func" \
        -o "$lib/obj/$(basename "$f" .c).o" "$f"
done
rm -f "$lib/libta_lib.a"
ar rcs "$lib/libta_lib.a" "$lib"/obj/*.o
cc -shared -o "$lib/libta_lib.so" "$lib"/obj/*.o -lm
cp "$src"/include/*.h "$lib/include/"

cc -O2 -Wall -I"$lib/include" -o "$work/goldens" "$root/tools/talib/goldens.c" "$lib/libta_lib.a" -lm
"$work/goldens" "$out"
echo "goldens written to $out; TA-Lib in $lib"
