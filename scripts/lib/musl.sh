# Sourced: a toolchain for arm-linux-musleabihf made from Debian 12's
# archive alone, the folder cmake/arm-linux-musleabihf.cmake names:
#   sysroot/         musl-dev, musl and linux-libc-dev (armhf) unpacked and
#                    laid out as a classic sysroot, with libc++, libc++abi
#                    and libunwind (shared, and static with libc++abi inside
#                    libc++.a) built from Debian's llvm-toolchain-16 source,
#                    the version of the installed clang-16
#   clang-resource/  clang 16's headers and libclang-rt-16-dev:armhf's
#                    builtins and start files
#   bin/             arm-linux-musleabihf-clang and -clang++
# Made once per set of package versions and kept in
# /var/cache/vulm-common/musl/. Installs what is missing (clang-16, lld-16,
# CMake, Ninja, armhf binutils); downloads the armhf packages and the
# source package; needs root for the cache folder.
. scripts/lib/packages.sh
. scripts/lib/mirror.sh

# The toolchain's folder, made if the cache lacks it. usage: musl_toolchain
musl_toolchain() {
    need clang-16 lld-16 cmake ninja-build binutils-arm-linux-gnueabihf >&2
    need_arch "to download musl's armhf packages" armhf >&2
    debs="musl-dev:armhf musl:armhf linux-libc-dev:armhf libclang-rt-16-dev:armhf"
    llvm=$(dpkg-query -W -f '${Version}' clang-16)
    # shellcheck disable=SC2086
    key=$( (echo "$llvm"; apt-cache policy $debs | grep Candidate; cat scripts/lib/musl.sh cmake/arm-linux-musleabihf.cmake) |
        sha256sum | cut -c1-16)
    root=/var/cache/vulm-common/musl/$key
    if ! [ -e "$root/done" ]; then
        echo "==> making the musl toolchain in $root (clang $llvm)" >&2
        rm -rf /var/cache/vulm-common/musl && mkdir -p "$root/debs" "$root/unpacked"
        # shellcheck disable=SC2086
        (cd "$root/debs" && apt-get download -q -o APT::Sandbox::User=root $debs) >&2
        for deb in "$root"/debs/*.deb; do dpkg-deb -x "$deb" "$root/unpacked"; done
        dpkg-deb -f "$root"/debs/musl-dev_*.deb Version >"$root/musl-version"
        musl_sysroot "$root/unpacked" "$root/sysroot"
        mkdir -p "$root/clang-resource/lib/linux"
        ln -s /usr/lib/llvm-16/lib/clang/16/include "$root/clang-resource/include"
        find "$root/unpacked" -name 'libclang_rt.builtins-armhf.a' -o -name 'clang_rt.crt*-armhf.o' |
            xargs cp -t "$root/clang-resource/lib/linux"
        musl_compilers "$root/bin"
        musl_runtimes "$root" "$llvm" >"$root/runtimes.log" 2>&1 ||
            { tail -n 30 "$root/runtimes.log" >&2; echo "==> the C++ runtimes did not build" >&2; exit 1; }
        rm -rf "$root/debs" "$root/unpacked" "$root/source" "$root/runtimes"
        touch "$root/done"
    fi
    echo "$root"
}

# musl's headers and libraries from the unpacked packages in UNPACKED as a
# classic sysroot: usr/include, usr/lib, and the loader /lib/ld-musl-armhf.so.1.
# usage: musl_sysroot UNPACKED SYSROOT
musl_sysroot() {
    mkdir -p "$2/usr/include" "$2/usr/lib" "$2/lib"
    cp -a "$1/usr/include/arm-linux-musleabihf/." "$1/usr/include/linux" "$1/usr/include/asm-generic" "$2/usr/include/"
    cp -a "$1/usr/include/arm-linux-gnueabihf/asm" "$2/usr/include/asm"
    cp -a "$1/usr/lib/arm-linux-musleabihf/." "$2/usr/lib/"
    cp -a "$1/lib/arm-linux-musleabihf/libc.so" "$2/usr/lib/"
    ln -s ../usr/lib/libc.so "$2/lib/ld-musl-armhf.so.1"
}

# clang 16 as the target's C and C++ compilers, in DIR, finding the sysroot
# and resource folder beside DIR: --gcc-toolchain keeps clang off the build
# machine's cross GCCs (their glibc headers and start files), and
# -stdlib++-isystem off the build machine's libc++ headers, which it would
# take before the sysroot's. The link flags only where there is a link.
# usage: musl_compilers DIR
musl_compilers() {
    mkdir -p "$1"
    for tool in clang clang++; do
        cxx= link=
        [ $tool = clang++ ] && cxx=' -stdlib++-isystem "$root/sysroot/usr/include/c++/v1"' link=' -stdlib=libc++'
        sed "s|@TOOL@|$tool|; s|@CXX@|$cxx|; s|@LINK@|$link|" >"$1/arm-linux-musleabihf-$tool" <<'WRAPPER'
#!/bin/sh
# clang 16 for arm-linux-musleabihf, with the sysroot, compiler-rt and the
# LLVM C++ runtimes of the folder above this one.
root=$(cd "$(dirname "$0")/.." && pwd)
link=" -fuse-ld=lld-16 --rtlib=compiler-rt --unwindlib=libunwind@LINK@"
for arg; do
    case $arg in -c | -S | -E | -M | -MM | -fsyntax-only) link= ;; esac
done
# shellcheck disable=SC2086
exec @TOOL@-16 --target=arm-linux-musleabihf --sysroot="$root/sysroot" -resource-dir="$root/clang-resource" \
    --gcc-toolchain="$root/sysroot"@CXX@ $link "$@"
WRAPPER
        chmod 755 "$1/arm-linux-musleabihf-$tool"
    done
}

# libunwind, libc++abi and libc++ for the target, from the runtime folders
# of Debian's llvm-toolchain-16 source of VERSION, installed into the
# sysroot under ROOT. usage: musl_runtimes ROOT VERSION
musl_runtimes() {
    debian_source_files bookworm "llvm-toolchain-16=$2" "$1/source" || return 1
    top=$(echo "$2" | sed 's/^[0-9]*://; s/-[^-]*$//')
    top=llvm-toolchain-16_$top
    tar -C "$1/source" -xf "$1"/source/llvm-toolchain-16_*.orig.tar.xz \
        "$top/runtimes" "$top/libcxx" "$top/libcxxabi" "$top/libunwind" "$top/cmake" "$top/llvm/cmake" \
        "$top/llvm/utils/llvm-lit" || return 1
    # The toolchain's own compilers and file; no C++ runtime or unwinder to
    # link with yet (the last --unwindlib wins; the runtimes' build adds
    # -nostdlib++ itself).
    cmake -S "$1/source/$top/runtimes" -B "$1/runtimes" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DLLVM_ENABLE_RUNTIMES="libunwind;libcxxabi;libcxx" -DCMAKE_INSTALL_PREFIX="$1/sysroot/usr" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/arm-linux-musleabihf.cmake" -DVULM_MUSL_ROOT="$1" \
        -DCMAKE_EXE_LINKER_FLAGS=--unwindlib=none -DCMAKE_SHARED_LINKER_FLAGS=--unwindlib=none \
        -DCMAKE_AR=/usr/bin/arm-linux-gnueabihf-ar -DCMAKE_RANLIB=/usr/bin/arm-linux-gnueabihf-ranlib \
        -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY \
        -DLIBCXX_HAS_MUSL_LIBC=ON -DLIBCXX_HAS_ATOMIC_LIB=OFF -DLIBCXX_ENABLE_STATIC_ABI_LIBRARY=ON \
        -DLIBCXXABI_HAS_CXA_THREAD_ATEXIT_IMPL=OFF -DLIBCXXABI_USE_LLVM_UNWINDER=ON \
        -DLIBCXX_USE_COMPILER_RT=ON -DLIBCXXABI_USE_COMPILER_RT=ON -DLIBUNWIND_USE_COMPILER_RT=ON \
        -DLIBCXX_INCLUDE_TESTS=OFF -DLIBCXXABI_INCLUDE_TESTS=OFF -DLIBUNWIND_INCLUDE_TESTS=OFF \
        -DLIBCXX_INCLUDE_BENCHMARKS=OFF -DLLVM_INCLUDE_TESTS=OFF -DLLVM_INCLUDE_DOCS=OFF &&
        cmake --build "$1/runtimes" && cmake --install "$1/runtimes"
}
