#!/usr/bin/env bash
# Start to first page painted, and the reader's private memory once it has settled, with the sample
# book and with a generated book of 464 MB, whole processes under a virtual X server, alternated, RUNS
# times each (default 5). Prints the medians as benchmark lines (name, runs, value, value, unit) for
# bench/run.sh's table.
#   bench/bigbookstart.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-${BUILD_DIR:-build-bench}}
if [ ! -x "$build_dir/bench/tavlo_firstpaint" ]; then
    tools/setup.sh
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build_dir" -j"$(nproc)" --target pellomare tavlo_firstpaint >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build_dir/app" "$work/sample"
cp -r "$build_dir/app" "$work/big"
# 86,500 pages of 5,360 bytes, each with a heading where the first page's text is looked for.
python3 - "$work/big/tessavanetavlo.tavlo" <<'PY'
import sys
words = b"the quick brown fox jumps over the lazy dog "
with open(sys.argv[1], "wb") as book:
    book.write(b"A big book<<$$>>")
    for i in range(86_500):
        head = b"p%d##<html><body><h1>page %d</h1><p><a href=\"p%d\">next</a></p><p>" % (i, i, i + 1)
        body = (words * (5_360 // len(words) + 1))[: 5_360 - len(head) - 18]
        book.write((b"~" if i else b"") + head + body + b"</p></body></html>")
PY
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM
# What the reader holds once the workers that read the whole book at the start have done.
export TAVLO_MEMORY_AFTER_MS=${SETTLE_MS:-4000}

cat > "$work/runs.sh" <<RUNS
#!/usr/bin/env bash
set -u
# One start of each first, unmeasured: the system's caches are warm for both.
"$build_dir/bench/tavlo_firstpaint" 60000 "$work/sample/pellomare" >/dev/null 2>&1
"$build_dir/bench/tavlo_firstpaint" 60000 "$work/big/pellomare" >/dev/null 2>&1
for _ in \$(seq ${RUNS:-5}); do
    echo "sample \$("$build_dir/bench/tavlo_firstpaint" 60000 "$work/sample/pellomare" 2>/dev/null)"
    echo "big \$("$build_dir/bench/tavlo_firstpaint" 60000 "$work/big/pellomare" 2>/dev/null)"
done
RUNS
chmod +x "$work/runs.sh"
xvfb-run -a -s "-screen 0 1280x800x24 -wr" "$work/runs.sh" > "$work/times"
awk '
    function median(a, n,   i, j, t) {
        for (i = 2; i <= n; ++i) for (j = i; j > 1 && a[j - 1] > a[j]; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    $3 != "" { if ($1 == "sample") { st[++ns] = $2; sm[ns] = $3 / 1024 } else { bt[++nb] = $2; bm[nb] = $3 / 1024 } }
    END {
        if (ns == 0 || nb == 0) { print "big book start: no measure (" ns " sample, " nb " big runs)" > "/dev/stderr"; exit 1 }
        printf "\"BM_SampleFirstPage_median\",%d,%.1f,%.1f,\"ms\"\n", ns, median(st, ns), median(st, ns)
        printf "\"BM_BigBookFirstPage_median\",%d,%.1f,%.1f,\"ms\"\n", nb, median(bt, nb), median(bt, nb)
        printf "\"BM_SampleMemory_median\",%d,%.1f,%.1f,\"MB\"\n", ns, median(sm, ns), median(sm, ns)
        printf "\"BM_BigBookMemory_median\",%d,%.1f,%.1f,\"MB\"\n", nb, median(bm, nb), median(bm, nb)
    }' "$work/times"
