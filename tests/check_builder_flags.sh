#!/bin/sh
# usage: tests/check_builder_flags.sh SOURCE DIR CXX
# The builder's hardening choice wins: the library configured with the
# builder's own fortify level and no stack protector compiles every source
# with those as the last word on each, none of its own after them.
set -eu
rm -rf "$2"
cmake -S "$1" -B "$2" -DCMAKE_CXX_COMPILER="$3" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=3 -fno-stack-protector" >/dev/null
grep '"command": .*/src/[a-z_0-9]*\.cpp' "$2/compile_commands.json" >"$2/commands" || true
sources=$(wc -l <"$2/commands")
status=0
# PATTERN:FLAG: the last match of PATTERN on every command is FLAG.
for rule in '-[DU]_FORTIFY_SOURCE[=0-9]*:-D_FORTIFY_SOURCE=3' '-f[a-z-]*stack-protector[a-z-]*:-fno-stack-protector'; do
    last=$(sed -n "s/.*\\(${rule%:*}\\).*/\\1/p" "$2/commands" | grep -cx -e "${rule#*:}" || true)
    [ "$sources" -gt 0 ] && [ "$last" -eq "$sources" ] ||
        { echo "the builder's ${rule#*:} is the last word in $last of $sources compile commands"; status=1; }
done
exit $status
