#!/usr/bin/env bash
# Start to first page painted: the real pellomare against a bare Qt WebEngine program showing the
# same page HTML, whole processes under a virtual X server, alternated, RUNS times each (default 7).
# Prints both medians and their ratio (goal: 1.1 or less).
#   bench/startup.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-${BUILD_DIR:-build-bench}}
if [ ! -x "$build_dir/bench/tavlo_firstpaint" ]; then
    tools/setup.sh
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build_dir" -j"$(nproc)" --target pellomare tavlo_bareview tavlo_firstpaint tavlo-book >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build_dir/app" "$work/app"
"$build_dir/bin/tavlo-book" show "$work/app/tessavanetavlo.tavlo" 0 --app-dir "$work/app" > "$work/page.html"
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM

cat > "$work/runs.sh" <<RUNS
#!/usr/bin/env bash
set -u
# One start of each first, unmeasured: the system's caches are warm for both.
"$build_dir/bench/tavlo_firstpaint" 60000 "$work/app/pellomare" >/dev/null 2>&1
"$build_dir/bench/tavlo_firstpaint" 60000 "$build_dir/bench/tavlo_bareview" "$work/page.html" "$work/app" >/dev/null 2>&1
for _ in \$(seq ${RUNS:-7}); do
    echo "reader \$("$build_dir/bench/tavlo_firstpaint" 60000 "$work/app/pellomare" 2>/dev/null)"
    echo "bare \$("$build_dir/bench/tavlo_firstpaint" 60000 "$build_dir/bench/tavlo_bareview" "$work/page.html" "$work/app" 2>/dev/null)"
done
RUNS
chmod +x "$work/runs.sh"
xvfb-run -a -s "-screen 0 1280x800x24 -wr" "$work/runs.sh" > "$work/times"
awk '
    function median(a, n,   i, j, t) {
        for (i = 2; i <= n; ++i) for (j = i; j > 1 && a[j - 1] > a[j]; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
    $2 != "" { if ($1 == "reader") r[++nr] = $2; else b[++nb] = $2 }
    END {
        if (nr == 0 || nb == 0) { print "start to first page: no measure (" nr " reader, " nb " bare runs)"; exit 1 }
        mr = median(r, nr); mb = median(b, nb)
        printf "start to first page painted: pellomare %.0f ms, bare Qt WebEngine view %.0f ms (medians of %d): ratio %.2f (goal <= 1.1)\n", mr, mb, nr, mr / mb
    }' "$work/times"
