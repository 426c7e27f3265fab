#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs one of them with libFuzzer.
#   tests/fuzz/run-fuzzers.sh TARGET [SECONDS] [libFuzzer options...]
# TARGET is bookload, showpage, hostpath, linklookup, appfile, pagetext, pageimport, places, sitelacks or
# htmlreading;
# SECONDS defaults to 900. The corpus grows in
# build-fuzz/fuzz/TARGET/corpus, starting from tests/fuzz/corpus/TARGET; inputs that fail land in
# build-fuzz/fuzz/TARGET/artifacts. Copy those into tests/fuzz/findings/TARGET once mended.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
target=${1:?usage: $0 TARGET [SECONDS] [libFuzzer options...]}
seconds=${2:-900}
shift $(($# < 2 ? $# : 2))

build=$root/build-fuzz
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -DTAVLO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice -n 10 cmake --build "$build" --target "fuzz_$target" -j2

work=$build/fuzz/$target
mkdir -p "$work/corpus" "$work/artifacts"
cd "$work"
exec nice -n 10 "$build/tests/fuzz/fuzz_$target" \
    -max_total_time="$seconds" -max_len=65536 -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$root/tests/fuzz/corpus/$target"
