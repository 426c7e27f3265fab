#!/usr/bin/env bash
# Builds the Debian package of a build folder into OUT_DIR as OUT_DIR/pellomare.deb, and unpacks it
# into OUT_DIR/root for the checks that look at its files.
# Usage: builddeb.sh BUILD_DIR OUT_DIR
set -euo pipefail
build_dir=$1
out=$2
rm -rf "$out"
mkdir -p "$out"

if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$out/cpack" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
fi
debs=("$out"/cpack/pellomare_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "no single pellomare .deb in: $(ls "$out/cpack")"; exit 1; }
echo "built $(basename "${debs[0]}")"
mv "${debs[0]}" "$out/pellomare.deb"
rm -rf "$out/cpack"
dpkg-deb -x "$out/pellomare.deb" "$out/root"
