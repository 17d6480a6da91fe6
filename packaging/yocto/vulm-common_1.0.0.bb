SUMMARY = "General-purpose building blocks for gateway programs"
DESCRIPTION = "libvulm-common: text conversions, bit fields, CRCs, country codes, \
ZigBee attribute types, a semaphore and a lock token."
LICENSE = "Proprietary"
NO_GENERIC_LICENSE[Proprietary] = "debian/copyright"
LIC_FILES_CHKSUM = "file://debian/copyright;md5=0d485f79bf86e05e1d71dd5a78cc809f"

# The library's own checkout, two levels above this recipe; a layer that
# copies the recipe sets EXTERNALSRC (or EXTERNALSRC:pn-vulm-common in
# local.conf) to it.
inherit cmake externalsrc
EXTERNALSRC ?= "${THISDIR}/../.."
EXTERNALSRC_BUILD = "${WORKDIR}/build"

# The shared object (-dev: its link, the headers, the CMake package and the
# pkg-config files) and the static archive (-staticdev).
EXTRA_OECMAKE = ""
