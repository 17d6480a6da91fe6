# Sourced: an armhf toolchain that reads nothing of the build machine's own
# armhf files. Debian's cross GCC searches /usr/arm-linux-gnueabihf before
# any --sysroot; the wrappers made here keep every header, start file and
# library inside the sysroot in effect (the one given with --sysroot, else
# the one made here), which is what Buildroot and Yocto expect of a cross
# toolchain.
. scripts/lib/roots.sh

# Debian 12's armhf PACKAGES (comma-separated) unpacked into DIR and laid out
# as a classic toolchain's sysroot: libraries in lib/ and usr/lib/, headers
# in usr/include/, no multiarch folders, every link relative and inside it.
# usage: classic_sysroot DIR PACKAGES
classic_sysroot() {
    mkdir -p "$(dirname "$1")"
    extract armhf bookworm "$1" "$2"
    rm -rf "$1/dev" "$1/tmp" "$1/var" "$1/etc/ld.so.conf.d" "$1/etc/ld.so.conf"
    for dir in lib usr/lib usr/include; do
        [ -d "$1/$dir/arm-linux-gnueabihf" ] || continue
        tar -C "$1/$dir/arm-linux-gnueabihf" -c . | tar -C "$1/$dir" -x
        rm -rf "${1:?}/$dir/arm-linux-gnueabihf"
    done
    # Links that point across the moved folders, or out of the sysroot.
    find "$1" -type l | while read -r link; do
        [ -e "$link" ] && case $(readlink "$link") in /*) ;; *) continue ;; esac
        target=$(readlink "$link")
        case $target in
            /*) target=$1$target ;;
            *) target=$(realpath -m -s "$(dirname "$link")/$target") ;;
        esac
        target=$(echo "$target" | sed 's,/\(lib\|include\)/arm-linux-gnueabihf\(/\|$\),/\1\2,')
        ln -sfn "$(realpath -m -s --relative-to="$(dirname "$link")" "$target")" "$link"
    done
    sed -i 's,/arm-linux-gnueabihf/,/,g' "$1/usr/lib/libc.so"
    # CMake and pkg-config files moved out of the multiarch folder: they name
    # it, and CMake's files find their prefix a level nearer now.
    for file in "$1"/usr/lib/cmake/*/*.cmake "$1"/usr/lib/pkgconfig/*.pc; do
        [ -e "$file" ] || continue
        sed -i -e 's,/lib/arm-linux-gnueabihf\([/" ]\|$\),/lib\1,g' -e 's,/\.\./\.\./\.\./\.\./",/../../../",' \
            -e '0,/^get_filename_component(_IMPORT_PREFIX "${_IMPORT_PREFIX}" PATH)$/{//d}' "$file"
    done
}

# Wrappers in DIR/bin, named arm-linux-gnueabihf-*, of Debian's armhf cross
# GCC (12) over the sysroot SYSROOT by default; binutils linked as they are.
# usage: sysroot_toolchain DIR SYSROOT
sysroot_toolchain() {
    mkdir -p "$1/bin"
    for tool in /usr/bin/arm-linux-gnueabihf-*; do
        case ${tool##*/} in *-gcc | *-g++ | *-cpp | *-[0-9]*) continue ;; esac
        ln -sfn "$tool" "$1/bin/"
    done
    for tool in gcc g++ cpp; do
        sed "s|@SYSROOT@|$2|; s|@TOOL@|$tool|" >"$1/bin/arm-linux-gnueabihf-$tool" <<'WRAPPER'
#!/bin/sh
# Debian's arm-linux-gnueabihf-@TOOL@ with the sysroot in effect as its only
# source of headers, start files and libraries.
sysroot=@SYSROOT@
last=
for arg; do
    [ "$last" = --sysroot ] && sysroot=$arg
    case $arg in --sysroot=*) sysroot=${arg#--sysroot=} ;; esac
    last=$arg
done
# What the compiler reports of its configuration says where it looks now.
if [ "$*" = -v ]; then
    /usr/bin/arm-linux-gnueabihf-@TOOL@ -v 2>&1 | sed "s| --with-sysroot=/ | --with-sysroot=$sysroot |" >&2
    exit 0
fi
gcclib=$sysroot/usr/lib/gcc/arm-linux-gnueabihf/12
cxx=
[ @TOOL@ = g++ ] && cxx="-nostdinc++ -idirafter $sysroot/usr/include/c++/12 -idirafter $sysroot/usr/include/c++/12/backward"
# shellcheck disable=SC2086
exec /usr/bin/arm-linux-gnueabihf-@TOOL@ --sysroot="$sysroot" -nostdinc $cxx \
    -idirafter "$gcclib/include" -idirafter "$sysroot/usr/include" \
    -B"$gcclib/" -B"$sysroot/usr/lib/" -L"$gcclib" -L"$sysroot/usr/lib" -L"$sysroot/lib" "$@"
WRAPPER
        chmod 755 "$1/bin/arm-linux-gnueabihf-$tool"
    done
}
