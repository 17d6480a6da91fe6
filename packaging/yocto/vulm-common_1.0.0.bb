SUMMARY = "General-purpose building blocks for gateway programs"
DESCRIPTION = "libvulm-common: text conversions, bit fields, CRCs, country codes, \
ZigBee attribute types, a semaphore and a lock token."
LICENSE = "Proprietary"
NO_GENERIC_LICENSE[Proprietary] = "debian/copyright"
LIC_FILES_CHKSUM = "file://debian/copyright;md5=0d485f79bf86e05e1d71dd5a78cc809f"

# The library's own checkout, two levels above this recipe; a layer that
# copies the recipe sets EXTERNALSRC (or EXTERNALSRC:pn-vulm-common in
# local.conf) to it.
inherit cmake pkgconfig externalsrc ptest
EXTERNALSRC ?= "${THISDIR}/../.."
EXTERNALSRC_BUILD = "${WORKDIR}/build"

# The shared object (-dev: its link, the headers, the CMake package and the
# pkg-config files) and the static archive (-staticdev).
EXTRA_OECMAKE = ""

# ptest: the test suite built against the target's GoogleTest and installed
# where ptest-runner looks for it; its runner, run-tests, is run-ptest.
PTEST_OECMAKE = "-DBUILD_TESTING=ON -DVULM_TESTS_INSTALLDIR=${PTEST_PATH} -DVULM_TESTS_METADIR="
EXTRA_OECMAKE:append = "${@bb.utils.contains('PTEST_ENABLED', '1', ' ${PTEST_OECMAKE}', '', d)}"
DEPENDS:append = "${@bb.utils.contains('PTEST_ENABLED', '1', ' googletest', '', d)}"
RDEPENDS:${PN}-ptest += "iso-codes"

do_install_ptest() {
    DESTDIR=${D} cmake --install ${B} --component tests
    ln -sf run-tests ${D}${PTEST_PATH}/run-ptest
}
