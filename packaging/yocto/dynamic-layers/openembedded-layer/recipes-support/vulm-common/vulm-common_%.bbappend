# The test suite as the ptest package (DISTRO_FEATURES ptest), built
# against meta-oe's googletest and installed where ptest-runner looks for
# it; its runner, run-tests, is run-ptest. Read only where meta-oe is in
# the build (BBFILES_DYNAMIC).
inherit ptest

PTEST_OECMAKE = "-DBUILD_TESTING=ON -DVULM_TESTS_INSTALLDIR=${PTEST_PATH} -DVULM_TESTS_METADIR="
EXTRA_OECMAKE:append = "${@bb.utils.contains('PTEST_ENABLED', '1', ' ${PTEST_OECMAKE}', '', d)}"
DEPENDS:append = "${@bb.utils.contains('PTEST_ENABLED', '1', ' googletest', '', d)}"
# the country-code tests read iso-codes' ISO 3166 table
RDEPENDS:${PN}-ptest += "iso-codes"

do_install_ptest() {
    DESTDIR=${D} cmake --install ${B} --component tests
    ln -sf run-tests ${D}${PTEST_PATH}/run-ptest
}
