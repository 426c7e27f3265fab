#!/usr/bin/env bash
# Sets up, configures and builds. Usage: tools/build.sh BUILD_DIR [CMAKE_ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
