#!/usr/bin/env bash
# Holds the sources to the house style: clang-format finds nothing to change, and clang-tidy (with
# the checks of .clang-tidy) finds nothing in src/ and tools/.
#   tools/check-style.sh [BUILD_DIR]     (default: build; configured with compile commands)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build_dir=${1:-build}

mapfile -t sources < <(git ls-files -- '*.cpp' '*.h')
echo "clang-format: ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

cmake -S . -B "$build_dir" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# The generated sources (moc, resources) must exist for the files that include them.
cmake --build "$build_dir" -j"$(nproc)" >/dev/null
echo "clang-tidy: src/ and tools/"
if ! report=$(run-clang-tidy -p "$build_dir" -quiet -j "$(nproc)" "^$PWD/(src|tools)/.*\.cpp$" 2>/dev/null); then
    grep -E "(warning|error):" <<<"$report" >&2 || echo "$report" >&2
    echo "clang-tidy: not clean" >&2
    exit 1
fi
echo "style: clean"
