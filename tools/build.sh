#!/usr/bin/env bash
# Sets up, configures and builds into build/ (or the folder given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build_dir=${1:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
