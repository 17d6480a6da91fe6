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
trap 'rm -f "$actual"' EXIT
"$nm" -D --defined-only -S --format=posix "$lib" |
while read -r name type value size; do
    case $type in
    [RDBV]) echo "$name $type $(printf '%d' "0x${size:-0}")" ;;
    *) echo "$name $type" ;;
    esac
done | sort >"$actual"

if ! grep -v '^#' "$expected" | sort | diff -u - "$actual"; then
    echo "exported symbols differ from $expected (- expected, + built)"
    exit 1
fi
echo "exported symbols: $(wc -l <"$actual") as expected"
