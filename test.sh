#!/usr/bin/env bash
# Sets up, builds and runs every test.
#   ./test.sh              the whole suite, in build/
#   ./test.sh --sanitize   the suite under AddressSanitizer and UndefinedBehaviorSanitizer, in
#                          build-sanitize/, except the tests that start the web engine
set -euo pipefail
cd "$(dirname "$0")"

export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

case "${1:-}" in
"")
    tools/build.sh build
    ctest --test-dir build --output-on-failure -j2
    ;;
--sanitize)
    flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    tools/build.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVLO_WARNINGS_AS_ERRORS=ON "-DCMAKE_CXX_FLAGS=$flags" \
        "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
        "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" \
        "-DCMAKE_MODULE_LINKER_FLAGS=-fsanitize=address,undefined"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
    ctest --test-dir build-sanitize --output-on-failure -j2 -LE webengine
    ;;
*)
    echo "usage: $0 [--sanitize]" >&2
    exit 2
    ;;
esac
