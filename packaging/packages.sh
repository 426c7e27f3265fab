#!/usr/bin/env bash
# Makes the two packages of this source tree in OUT_DIR: the runtime, tavlo, with cpack, and the
# sample book, pellomare, with the tavlo-book of the runtime's package, unpacked beside it, as an
# author makes the package of their book.
# Usage: packages.sh BUILD_DIR OUT_DIR SAMPLE_ID
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(realpath "$1")
mkdir -p "$2"
out=$(realpath "$2")
sample_id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi
debs=("$work"/cpack/tavlo_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "no single tavlo .deb in: $(ls "$work/cpack")" >&2; exit 1; }
runtime_deb=$out/$(basename "${debs[0]}")
mv "${debs[0]}" "$runtime_deb"
echo "$runtime_deb"
dpkg-deb -x "$runtime_deb" "$work/runtime"

# The sample at the runtime's version, dated by its changelog, so that the same sources give the
# same package; named pellomare, the caption its messages have always had.
version=$(dpkg-deb -f "$runtime_deb" Version)
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Timestamp) \
    "$work/runtime/usr/bin/tavlo-book" package "$source_dir/sample" -o "$out" \
    --id "$sample_id" --name pellomare --package pellomare --version "${version%-*}" \
    --summary "Read the Pellomare book" \
    --license CC-BY-4.0 --copyright "$source_dir/packaging/sample-terms.txt" \
    --maintainer "$(dpkg-deb -f "$runtime_deb" Maintainer)"
