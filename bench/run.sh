#!/usr/bin/env bash
# Builds the benchmarks optimised, runs them and prints each measure as a ratio to its baseline of
# the same run (the machines are shared, so absolute times say little).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-bench}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target tavlo_bench_book >/dev/null

csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
"$build_dir/bench/tavlo_bench_book" --benchmark_repetitions="${REPETITIONS:-5}" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv "$@" >"$csv"

# Medians in milliseconds by benchmark name; ParsingImage's label gives its number of distinct
# picture names, that is of replace-all passes.
awk -F, '
    $1 ~ /_median"?$/ { name = $1; gsub(/"|_median/, "", name); t[name] = $3
                        if (name == "BM_ParsingImage" && match($0, /distinct=[0-9]+/))
                            distinct = substr($0, RSTART + 9, RLENGTH - 9) }
    END {
        if (distinct == "") distinct = 0
        printf "%-44s %10s  %-36s %10s %7s\n", "measure", "ms", "baseline", "ms", "ratio"
        row("load book file (100 MB, 20,000 pages)", "BM_LoadBookFile", "memchr scan of its bytes", "BM_MemchrScan", 1)
        row("load book file", "BM_LoadBookFile", "read the file + memchr scan", "BM_ReadAndMemchrScan", 1)
        row("cut the book in memory", "BM_CutBook", "memchr scan of its bytes", "BM_MemchrScan", 1)
        row("ParsingImage (1 MB page, 2,000 pictures)", "BM_ParsingImage", "one replace-all pass x " distinct, "BM_ReplaceAllPass", distinct)
        row("ParsingImage", "BM_ParsingImage", "replace-all of every name (QString)", "BM_ReplaceAllEveryName", 1)
    }
    function row(label, measured, baseLabel, base, times) {
        if (!(measured in t) || !(base in t)) return
        printf "%-44s %10.2f  %-36s %10.2f %7.2f\n", label, t[measured], baseLabel, t[base] * times, t[measured] / (t[base] * times)
    }' "$csv"
