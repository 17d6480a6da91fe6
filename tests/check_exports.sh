#!/bin/sh
# usage: check_exports.sh LIBRARY NM READELF EXPECTED
# Fails unless the SONAME is libvulm-common.so.1.0.0 and the defined dynamic
# symbols are exactly those of EXPECTED ("name type [size]" per line; the
# size is given, in bytes, for data objects only).
set -eu
lib=$1 nm=$2 readelf=$3 expected=$4

soname=$("$readelf" -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = "libvulm-common.so.1.0.0" ] || { echo "SONAME is '$soname'"; exit 1; }

actual=$(mktemp)
trap 'rm -f "$actual" "$actual.expected" "$actual.built"' EXIT
"$nm" -D --defined-only -S --format=posix "$lib" |
while read -r name type value size; do
    case $type in
    [RDBV]) echo "$name $type $(printf '%d' "0x${size:-0}")" ;;
    *) echo "$name $type" ;;
    esac
done >"$actual"

# A libc++ build's names carry its inline namespace, std::__1: both lists
# are then compared demangled, that namespace folded into std.
names() { sort; }
grep -q 'NSt3__1' "$actual" && names() { c++filt | sed 's/std::__1::/std::/g' | sort; }
grep -v '^#' "$expected" | names >"$actual.expected"
names <"$actual" >"$actual.built"
if ! diff -u "$actual.expected" "$actual.built"; then
    echo "exported symbols differ from $expected (- expected, + built)"
    exit 1
fi
echo "exported symbols: $(wc -l <"$actual") as expected"
