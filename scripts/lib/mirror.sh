# Sourced: the Debian archive that every download goes to (the one apt here
# uses, or VULM_DEBIAN_MIRROR), whether it serves a release, and source
# packages from it. Downloads only; installs nothing.

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
    debian_source_files "$@" && dpkg-source --no-check -x "$3/$2"_*.dsc "$3/$2" >/dev/null
}

# The same source package's files (.dsc and archives) only, in DIR.
# usage: debian_source_files SUITE PACKAGE DIR
debian_source_files() {
    mkdir -p "$3/apt/lists/partial"
    echo "deb-src $(debian_mirror) $1 main" >"$3/apt/sources.list"
    apt_private="-o Dir::Etc::SourceList=$3/apt/sources.list -o Dir::Etc::SourceParts=/nonexistent
        -o Dir::State::Lists=$3/apt/lists -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
        -o APT::Sandbox::User=root"
    # shellcheck disable=SC2086
    apt-get -qq $apt_private update && (cd "$3" && apt-get -qq $apt_private source --download-only "$2")
}
