# Sourced: Debian roots made by mmdebstrap from the archive of mirror.sh,
# the tracked tree copied into them, and their removal. Needs mmdebstrap
# (the commands install it) and, for a root mode, root.
. scripts/lib/mirror.sh

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

# The tracked files of the tree, as they are in the work tree, copied into
# DIR (made if missing); fails where any step fails (outside a checkout,
# say). usage: tracked_tree DIR
tracked_tree() {
    mkdir -p "$1" && git ls-files -z >"$1/.tracked" && tar --null -T "$1/.tracked" -cf "$1/.tracked.tar" &&
        tar -xf "$1/.tracked.tar" -C "$1" && rm "$1/.tracked" "$1/.tracked.tar"
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
