# Sourced: running armhf programs on this machine: qemu-user for the cross
# toolchain's programs, the kernel's binfmt_misc for a root's, and the
# downloads that booting Debian's ARM kernel needs.
. scripts/lib/packages.sh

# Runs an armhf program of the cross toolchain's runtimes under qemu-user
# (LD_LIBRARY_PATH=/lib keeps them in use where multiarch armhf libraries are
# installed too, as the toolchain file says).
QEMU_ARM="qemu-arm -L /usr/arm-linux-gnueabihf -E LD_LIBRARY_PATH=/lib"

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
