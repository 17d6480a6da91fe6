# Sourced: Debian packages and architectures. need installs what is
# missing (root, or sudo; apt's sources and proxy), need_arch enables a
# foreign architecture; the package sets and architecture lists the
# commands share.

# Installs the Debian packages that are missing, and only those.
# usage: need PACKAGE...   (package names as Debian calls them)
need() {
    missing=
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" ||
            missing="$missing $pkg"
    done
    [ -z "$missing" ] && return 0
    echo "==> installing missing packages:$missing"
    sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    # A mirror in mid-sync can make 'update' fail although the install works;
    # what counts is whether the packages are installed afterwards.
    $sudo apt-get update -qq || echo "==> apt-get update reported a failure; trying the install anyway"
    # Say what the install would remove (qemu-user-static replaces
    # qemu-user-binfmt, say) before it does.
    removed=$(apt-get install -s -qq --no-install-recommends $missing 2>/dev/null | sed -n 's/^Remv \([^ ]*\).*/\1/p')
    [ -z "$removed" ] || echo "==> installing them removes, as they conflict:" $removed
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing ||
        true
    for pkg in $missing; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
            echo "==> could not install $pkg" >&2
            exit 1
        fi
    done
}

# What building and running the test suite needs on the host (qemu-user
# runs the armhf test programs).
TEST_PACKAGES="cmake ninja-build g++ libgtest-dev pkg-config iso-codes qemu-user"

# The Debian architectures built and tested besides the host's amd64 and
# the target's armhf, each under qemu-user: presets of these names.
PORTS="arm64 armel i386 mips mipsel mips64el powerpc ppc64el s390x"

# The GNU triplet of a Debian architecture: triplet armhf -> arm-linux-gnueabihf
# (-f: the name given wins over exported DEB_HOST_* variables). dpkg's
# messages are shown only when it fails: it warns that the host's compiler
# is not the target's.
triplet() {
    dpkg-architecture -f -a"$1" -qDEB_HOST_GNU_TYPE 2>/dev/null ||
        dpkg-architecture -f -a"$1" -qDEB_HOST_GNU_TYPE >/dev/null
}

# Enables foreign Debian architectures (for downloads and multiarch
# packages) that are not yet, with one update of the package lists.
# usage: need_arch WHY ARCH...
need_arch() {
    why=$1
    shift
    added=
    for arch in "$@"; do
        dpkg --print-foreign-architectures | grep -qx "$arch" && continue
        echo "==> enabling Debian's $arch architecture $why"
        sudo=
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        $sudo dpkg --add-architecture "$arch"
        added=yes
    done
    [ -z "$added" ] && return 0
    $sudo apt-get update -qq || echo "==> apt-get update reported a failure; trying anyway"
}
