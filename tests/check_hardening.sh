#!/bin/sh
# usage: tests/check_hardening.sh LIBRARY READELF [musl]
# Fails unless the shared object has full RELRO with immediate binding, a
# stack protector, fortified C library calls (not on musl), a non-executable
# stack, and is position-independent without text relocations.
set -eu
lib=$1 readelf=$2
headers=$($readelf -W -h -l -d --dyn-syms "$lib")
fail=0
# check WHAT PATTERN: PATTERN must be found; !PATTERN must not be.
check() {
    case $2 in
    !*) ! echo "$headers" | grep -Eq "${2#!}" ;;
    *) echo "$headers" | grep -Eq "$2" ;;
    esac && echo "ok:      $1" || { echo "MISSING: $1"; fail=1; }
}
check "position-independent shared object" "Type:[[:space:]]+DYN"
check "RELRO segment" "GNU_RELRO"
check "immediate binding (BIND_NOW)" "\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW"
check "non-executable stack" "GNU_STACK[[:space:]].* RW "
check "stack protector" "UND __stack_chk_fail"
# musl has no fortified functions: "musl" as third argument leaves that out.
[ "${3:-}" = musl ] || check "fortified C library calls" "UND __[a-z0-9]+_chk(@| |$)"
check "no text relocations" "!TEXTREL"
exit $fail
