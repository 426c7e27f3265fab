#!/usr/bin/env bash
# Builds and runs the check of a 1 GB book of 200,000 pages in the real reader window, headless.
# Needs about 1 GB free in the folder given (default: the system's temporary folder).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build_dir=${BUILD_DIR:-build-bench}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target tavlo_bigbook >/dev/null
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    "$build_dir/bench/tavlo_bigbook" "${1:-${TMPDIR:-/tmp}}" 2> >(grep -vE '^(GL|Surface|QSG|Using|qt\.webenginecontext|$)' >&2)
