# Sourced: the checks of a built shared object and static archive, run by
# the checkers under tests/. Installs nothing.

# The object checks of a build's shared object and static archive, from the
# top of the tree: exported names, hardening, nothing run at load, no
# mutable global state, runtime version ceilings. Returns 1 on the first
# failure, whatever the caller's shell options.
# usage: check_objects BUILD_DIR TOOL-PREFIX   (prefix "" for the host)
check_objects() {
    sh tests/check_exports.sh "$1/libvulm-common.so.1.0.0" "${2}nm" "${2}readelf" tests/exports.txt &&
        sh tests/check_hardening.sh "$1/libvulm-common.so.1.0.0" "${2}readelf" &&
        python3 tests/check_object.py "$1/libvulm-common.so.1.0.0" "$2" abi/platform.txt &&
        python3 tests/check_object.py "$1/libvulm-common.a" "$2" abi/platform.txt
}
