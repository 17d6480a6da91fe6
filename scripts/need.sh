# Sourced by the scripts: installs Debian packages that are missing, and only
# those. usage: need PACKAGE...   (package names as Debian calls them)
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

# The object checks of a build's shared object and static archive, from the
# top of the tree: exported names, hardening, nothing run at load, no
# mutable global state, runtime version ceilings. Returns 1 on the first
# failure, whatever the caller's shell options.
# usage: check_objects BUILD_DIR TOOL-PREFIX   (prefix "" for the host)
check_objects() {
    sh tests/check_exports.sh "$1/libvulm-common.so.1.0.0" "${2}nm" "${2}readelf" tests/exports.txt &&
        sh scripts/check-hardening "$1/libvulm-common.so.1.0.0" "${2}readelf" &&
        python3 scripts/check-object "$1/libvulm-common.so.1.0.0" "$2" abi/platform.txt &&
        python3 scripts/check-object "$1/libvulm-common.a" "$2" abi/platform.txt
}

# The Debian archive that every download here goes to: VULM_DEBIAN_MIRROR if
# set, else the one that apt on this machine is configured with (its
# sources' Debian origin, a suite of no dash: not -updates or -security).
# apt's own proxy settings apply to every download. usage: debian_mirror
debian_mirror() {
    if [ -n "${VULM_DEBIAN_MIRROR:-}" ]; then
        echo "${VULM_DEBIAN_MIRROR%/}/"
        return
    fi
    found=$(debian_origin)
    if [ -z "$found" ]; then  # a machine whose package lists were never fetched
        ${sudo:-} apt-get update -qq || true
        found=$(debian_origin)
    fi
    [ -n "$found" ] || { echo "==> apt's sources name no Debian archive: set VULM_DEBIAN_MIRROR" >&2; exit 1; }
    echo "$found"
}
debian_origin() {
    apt-get indextargets --format '$(ORIGIN) $(RELEASE) $(REPO_URI)' 2>/dev/null |
        awk '$1 == "Debian" && $2 !~ /-/ { print $3; exit }'
}

# mmdebstrap from the Debian archive above, through apt's proxy settings;
# options, then SUITE and TARGET last, as mmdebstrap takes them.
# usage: mmdebstrap_mirrored OPTION... SUITE TARGET
mmdebstrap_mirrored() {
    mirror=$(debian_mirror)
    for scheme in http https; do
        proxy=$(apt-config shell value "Acquire::$scheme::Proxy" | sed -n "s/^value='\(.*\)'$/\1/p")
        [ -z "$proxy" ] || set -- "--aptopt=Acquire::$scheme::Proxy \"$proxy\"" "$@"
    done
    mmdebstrap "$@" "$mirror"
}

# Whether the Debian archive above serves a release, asked through apt's own
# downloader and proxy settings. One it lacks (or an archive that does not
# answer) fails the run, naming the release and the archive; but Debian 11,
# which Debian is retiring, is skipped: in one line, which is also added to
# the file $VULM_SKIPPED names (.ci/run repeats it at its end), and the
# answer is no. usage: served SUITE WHAT-IS-SKIPPED
served() {
    release_file=$(mktemp)
    answer=$(/usr/lib/apt/apt-helper -o APT::Sandbox::User=root download-file \
        "$(debian_mirror)dists/$1/InRelease" "$release_file" 2>&1) && status=0 || status=$?
    rm -f "$release_file"
    [ "$status" -eq 0 ] && return 0
    case $1:$answer in
    bullseye:*" 404 "*)
        skipped="$2: Debian 11 is not served by $(debian_mirror)"
        echo "==> skipped: $skipped"
        [ -z "${VULM_SKIPPED:-}" ] || echo "$skipped" >>"$VULM_SKIPPED"
        return 1 ;;
    esac
    echo "==> the Debian archive $(debian_mirror) does not serve $1 (dists/$1/InRelease):" >&2
    echo "$answer" >&2
    exit 1
}

# A source package of a Debian release, fetched by apt (which checks the
# archive's signatures and the files' checksums) from the archive above
# with lists of its own, and
# unpacked into DIR/PACKAGE. usage: debian_source SUITE PACKAGE DIR
debian_source() {
    mkdir -p "$3/apt/lists/partial"
    echo "deb-src $(debian_mirror) $1 main" >"$3/apt/sources.list"
    apt_private="-o Dir::Etc::SourceList=$3/apt/sources.list -o Dir::Etc::SourceParts=/nonexistent
        -o Dir::State::Lists=$3/apt/lists -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
        -o APT::Sandbox::User=root"
    # shellcheck disable=SC2086
    apt-get -qq $apt_private update && (cd "$3" && apt-get -qq $apt_private source --download-only "$2") &&
        dpkg-source --no-check -x "$3/$2"_*.dsc "$3/$2" >/dev/null
}

# Removes a work folder that a stopped run may have left with something
# mounted below it (a root's /proc, /dev, /sys): those mounts, its own only,
# deepest first, then the folder, never crossing into a mount.
# usage: remove_tree DIR
remove_tree() {
    [ -e "$1" ] || return 0
    dir=$(cd "$1" && pwd -P)
    awk -v d="$dir" '$5 == d || index($5, d "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r |
        while read -r mounted; do
            echo "==> unmounting $mounted, left by a stopped run"
            umount -l "$mounted"
        done
    rm -rf --one-file-system "$dir"
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

# Downloads Debian's armhf kernel (the package linux-image-armmp points to)
# and busybox-static into DIR unless they are there, without installing
# them (enabling Debian's armhf architecture); sets $kernel to the kernel's
# package name. usage: armhf_boot_debs DIR
armhf_boot_debs() {
    need_arch "to download its kernel and busybox" armhf
    mkdir -p "$1"
    # Package lists older than the archive name a kernel it no longer has:
    # a failed download refreshes them once and tries again.
    boot_debs_from_lists "$1" || {
        echo "==> download failed; refreshing the package lists once"
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        ${sudo:-} apt-get update -qq || echo "==> apt-get update reported a failure; trying anyway"
        boot_debs_from_lists "$1"
    }
}
boot_debs_from_lists() {
    kernel=$(apt-cache depends linux-image-armmp:armhf | sed -n 's/^ *Depends: \(linux-image-[^:]*\).*/\1/p' | head -n 1)
    [ -n "$kernel" ] || { echo "==> no armhf kernel package found (is the armhf architecture enabled?)" >&2; exit 1; }
    # Each package is downloaded beside the cache and moved in when whole.
    for pkg in "$kernel" busybox-static; do
        ls "$1/${pkg}_"*.deb >/dev/null 2>&1 && continue
        rm -rf "$1/partial" && mkdir -p "$1/partial"
        (cd "$1/partial" && apt-get download -q -o APT::Sandbox::User=root "$pkg:armhf") || return 1
        mv "$1/partial/${pkg}_"*.deb "$1/"
    done
}

# ARM programs run by the kernel through qemu-user's interpreter: mounts
# binfmt_misc where it is not, and registers qemu-user-static's qemu-arm
# there when the kernel has no interpreter for ARM programs. Needs root and
# qemu-user-static. usage: arm_binfmt
arm_binfmt() {
    # Mounted first: the kernel may hold an ARM interpreter already, which
    # only the mounted folder shows.
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    if ! [ -e /proc/sys/fs/binfmt_misc/qemu-arm ] && ! [ -e /proc/sys/fs/binfmt_misc/arm ]; then
        echo "==> registering qemu-arm-static for ARM programs with the kernel's binfmt_misc"
        cat /usr/lib/binfmt.d/qemu-arm.conf >/proc/sys/fs/binfmt_misc/register
    fi
}

# Runs an armhf program of the cross toolchain's runtimes under qemu-user
# (LD_LIBRARY_PATH=/lib keeps them in use where multiarch armhf libraries are
# installed too, as the toolchain file says).
QEMU_ARM="qemu-arm -L /usr/arm-linux-gnueabihf -E LD_LIBRARY_PATH=/lib"

# The tracked files of the tree, as they are in the work tree, copied into
# DIR (made if missing). usage: tracked_tree DIR
tracked_tree() {
    mkdir -p "$1" && git ls-files -z | tar --null -T - -c | tar -x -C "$1"
}

# An unpacked Debian root (mmdebstrap's extract variant: nothing runs
# inside), its downloads kept in /var/cache/vulm-common/ for the next run.
# usage: extract ARCH SUITE DIR PACKAGES   (packages comma-separated)
extract() {
    cache=/var/cache/vulm-common/sdk-$2-$1
    mkdir -p "$cache"
    mmdebstrap_mirrored --quiet --variant=extract --arch="$1" --include="$4" \
        --setup-hook="mkdir -p \"\$1\"/var/cache/apt/archives" \
        --setup-hook="sync-in $cache /var/cache/apt/archives" \
        --customize-hook="sync-out /var/cache/apt/archives $cache" "$2" "$3"
}
