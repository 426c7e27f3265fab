#!/usr/bin/env bash
# Builds the benchmarks optimised, runs them and prints each measure as a ratio to its baseline of
# the same run (the machines are shared, so absolute times say little).
#   bench/run.sh [BENCHMARK_FILTER]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build_dir=${BUILD_DIR:-build-bench}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target tavlo_bench_book tavlo_bench_lookup tavlo_bench_search \
    tavlo_bench_view tavlo_bench_import tavlo_bench_contents >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
csv=$work/results.csv
run() {
    "$@" --benchmark_repetitions="${REPETITIONS:-5}" --benchmark_report_aggregates_only=true \
        --benchmark_format=csv ${FILTER:+--benchmark_filter="$FILTER"} 2>/dev/null | grep '_median' >>"$csv" || true
}
run "$build_dir/bench/tavlo_bench_book"
run "$build_dir/bench/tavlo_bench_lookup"
run "$build_dir/bench/tavlo_bench_search"
run "$build_dir/bench/tavlo_bench_import"
QT_QPA_PLATFORM=offscreen run "$build_dir/bench/tavlo_bench_contents"
# The view benchmark registers the control in a config folder of its own, and runs headless.
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    run "$build_dir/bench/tavlo_bench_view" --benchmark_min_time=1
# The reader with a book of 464 MB against the sample, whole processes under a virtual X server.
if [ -z "${FILTER:-}" ]; then
    bench/bigbookstart.sh "$build_dir" >>"$csv"
fi

# Medians by benchmark name, with their unit; ParsingImage's label gives its number of distinct
# picture names, that is of replace-all passes.
awk -F, '
    { name = $1; gsub(/"|_median|\/real_time|\/manual_time/, "", name); t[name] = $3; u[name] = $5; gsub(/"/, "", u[name])
      if (name == "BM_ParsingImage" && match($0, /distinct=[0-9]+/))
          distinct = substr($0, RSTART + 9, RLENGTH - 9) }
    END {
        if (distinct == "") distinct = 0
        printf "%-42s %12s  %-38s %12s %8s  %s\n", "measure", "time", "baseline", "time", "ratio", "goal"
        row("start to first page shown (reader)", "BM_ReaderFirstPage", "bare web view, same HTML", "BM_BareViewFirstPage", 1, "<= 1.3")
        row("first page, 464 MB book (whole reader)", "BM_BigBookFirstPage", "the sample book", "BM_SampleFirstPage", 1, "<= 1.3")
        row("private memory, 464 MB book (reader)", "BM_BigBookMemory", "the sample book", "BM_SampleMemory", 1, "<= 1.3")
        row("page turn, Next to load finished", "BM_ReaderTurn", "bare web view set-and-load", "BM_BareViewTurn", 1, "<= 1.2")
        row("load book file (100 MB, 20,000 pages)", "BM_LoadBookFile", "memchr scan of its bytes", "BM_MemchrScan", 1, "<= 2 (3)")
        row("load book file", "BM_LoadBookFile", "read the file + memchr scan", "BM_ReadAndMemchrScan", 1, "")
        row("cut the book in memory", "BM_CutBook", "memchr scan of its bytes", "BM_MemchrScan", 1, "")
        row("link lookup, 200,000 pages (index)", "BM_LinkLookupIndex", "plain search of every record", "BM_LinkLookupLinear", 1, "< 1 ms")
        row("ParsingImage (1 MB page, 2,000 pictures)", "BM_ParsingImage", "one replace-all pass", "BM_ReplaceAllPass", 1, "<= 10")
        row("ParsingImage", "BM_ParsingImage", "one replace-all pass x " distinct, "BM_ReplaceAllPass", distinct, "<= 1")
        row("ParsingImage", "BM_ParsingImage", "replace-all of every name (QString)", "BM_ReplaceAllEveryName", 1, "")
        row("ParsingImage, a page of 50,000 pictures", "BM_PagePictures/50000", "5,000 pictures x 10", "BM_PagePictures/5000", 10, "<= 2")
        row("check, a page of 50,000 pictures", "BM_CheckPictures/50000", "5,000 pictures x 10", "BM_CheckPictures/5000", 10, "<= 2")
        row("find in book, word on 1% of pages", "BM_BookSearch/rare", "grep -c -i WORD, same file", "BM_GrepCount/rare", 1, "<= 2")
        row("  its first result", "BM_BookSearchFirstResult/rare", "grep -c -i WORD, same file", "BM_GrepCount/rare", 1, "< 100 ms")
        row("  on one thread", "BM_SearchBookOneThread/rare", "grep -c -i WORD, same file", "BM_GrepCount/rare", 1, "")
        row("find in book, word on every page", "BM_BookSearch/common", "grep -c -i WORD, same file", "BM_GrepCount/common", 1, "<= 2")
        row("  its first result", "BM_BookSearchFirstResult/common", "grep -c -i WORD, same file", "BM_GrepCount/common", 1, "< 100 ms")
        row("  on one thread", "BM_SearchBookOneThread/common", "grep -c -i WORD, same file", "BM_GrepCount/common", 1, "")
        row("import a site (2,000 pages, 5,000 files)", "BM_ImportSite", "cp -rL of the same site", "BM_CopySite", 1, "<= 3")
        row("import a manual (1,500 pages, Sphinx-like)", "BM_ImportManual", "cp -rL of the same manual", "BM_CopyManual", 1, "<= 3")
        row("import an API reference (rustdoc-like)", "BM_ImportReference", "cp -rL of the same reference", "BM_CopyReference", 1, "<= 3")
        row("check of the reference book", "BM_CheckReference", "its import", "BM_ImportReference", 1, "<= 1")
        row("read the titles of 20,000 pages (worker)", "BM_ReadContents/20000", "read their names (link index)", "BM_ReadPageNames/20000", 1, "")
        row("F9 to the contents, first, 20,000 pages", "BM_ContentsFirstShown/20000/iterations:5", "read their names (link index)", "BM_ReadPageNames/20000", 1, "< 300 ms")
        row("F9 to the contents, again", "BM_ContentsShownAgain/20000", "read their names (link index)", "BM_ReadPageNames/20000", 1, "< 30 ms")
        row("filter 6,000 entries, two words", "BM_FilterContents/6000", "one word in each title, any case", "BM_FindOneWordInTitles/6000", 1, "< 50 ms")
        row("  typed in the panel, listed", "BM_FilterTyped/6000", "one word in each title, any case", "BM_FindOneWordInTitles/6000", 1, "< 50 ms")
        row("page turn while 200,000 pages found come", "BM_TurnDuringSearch/iterations:5", "the same turn alone", "BM_TurnAlone/iterations:5", 1, "< 100 ms")
        if ("BM_BuildPageIndex" in t)
            printf "\nbuilding the page index of 200,000 pages (once, off the window thread): %.1f %s\n", t["BM_BuildPageIndex"], u["BM_BuildPageIndex"]
    }
    function row(label, measured, baseLabel, base, times, goal) {
        if (!(measured in t) || !(base in t)) return
        printf "%-42s %9.3f %-2s  %-38s %9.3f %-2s %8.3g  %s\n", label, t[measured], u[measured], baseLabel, t[base] * times, u[base], t[measured] / (t[base] * times), goal
    }' "$csv"

# Start to first page painted, whole processes under a virtual X server.
if [ -z "${FILTER:-}" ]; then
    echo
    bench/startup.sh "$build_dir"
fi
