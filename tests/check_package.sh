#!/bin/sh
# usage: EMULATOR=... PKG_CONFIG=... check_package.sh SOURCE_DIR PREFIX CXX [CMAKE_ARG...]
# Builds the example client against the library installed under PREFIX
# twice, through the CMake package and through pkg-config, and runs both
# builds (through EMULATOR, "env" for a native one). Without pkg-config
# (PKG_CONFIG empty or not found) it exits 77 after the CMake client: skipped.
set -eu
src=$1 prefix=$2 cxx=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$src/examples" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" "$@" >/dev/null
cmake --build "$work/cmake" >/dev/null
$EMULATOR "$work/cmake/vulm-common-example" >"$work/cmake.out"

case $PKG_CONFIG in
*-NOTFOUND | "") echo "package: the CMake client ran; no pkg-config here, its client skipped"; exit 77 ;;
esac
pc_dir=$(dirname "$(find "$prefix" -name vulm-common.pc)")
flags=$(PKG_CONFIG_PATH=$pc_dir "$PKG_CONFIG" --cflags --libs vulm-common)
libdir=$(PKG_CONFIG_PATH=$pc_dir "$PKG_CONFIG" --variable=libdir vulm-common)
case $flags in
*-D_TIME_BITS=64*-D_FILE_OFFSET_BITS=64*) ;;
*) echo "pkg-config lacks the 64-bit time and offset definitions: $flags"; exit 1 ;;
esac
# shellcheck disable=SC2086
$cxx -std=c++17 -Wall -Wextra -Werror -Wno-psabi "$src/examples/example.cpp" -o "$work/pc-example" \
    $flags -Wl,-rpath,"$libdir"
$EMULATOR "$work/pc-example" >"$work/pc.out"

cmp "$work/cmake.out" "$work/pc.out"
grep -q . "$work/cmake.out"
echo "package: CMake and pkg-config clients built and ran"
