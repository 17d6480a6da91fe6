SUMMARY = "General-purpose building blocks for gateway programs"
DESCRIPTION = "libvulm-common: text conversions, bit fields, CRCs, country codes, \
ZigBee attribute types, a semaphore and a lock token."
LICENSE = "Proprietary"
LIC_FILES_CHKSUM = "file://debian/copyright;md5=0d485f79bf86e05e1d71dd5a78cc809f"

# The source: a release archive that scripts/release makes from a commit,
# served where your builds fetch from, named with its checksum (local.conf
# or a bbappend):
#   VULM_COMMON_ARCHIVE = "https://your.server/vulm-common-1.0.0.tar.gz"
#   VULM_COMMON_SHA256 = "<the checksum that scripts/release prints>"
# or a checkout, through externalsrc from local.conf:
#   INHERIT += "externalsrc"
#   EXTERNALSRC:pn-vulm-common = "/path/to/libvulm-common"
VULM_COMMON_ARCHIVE ??= ""
VULM_COMMON_SHA256 ??= ""
SRC_URI = "${VULM_COMMON_ARCHIVE}"
SRC_URI[sha256sum] = "${VULM_COMMON_SHA256}"
S = "${WORKDIR}/vulm-common-${PV}"

python () {
    if not d.getVar('EXTERNALSRC') and not d.getVar('VULM_COMMON_ARCHIVE'):
        raise bb.parse.SkipRecipe("no source: set VULM_COMMON_ARCHIVE and VULM_COMMON_SHA256, or EXTERNALSRC")
}

inherit cmake

# The shared object (-dev: its link, the headers, the CMake package and the
# pkg-config files) and the static archive (-staticdev). The test suite, as
# the ptest package, comes with meta-oe (its googletest): the append in
# dynamic-layers/openembedded-layer.
EXTRA_OECMAKE = ""
