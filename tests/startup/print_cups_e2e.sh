#!/usr/bin/env bash
# The real pellomare printing all pages through CUPS to its PDF printer (cups-pdf): each page goes to
# the queue as the engine's own PDF, and the printed files hold the pages' text, headers included.
# Needs root to add the printer (and start cupsd when it isn't running); skips otherwise (77).
set -euo pipefail
[ "$(id -u)" -eq 0 ] && command -v lpadmin >/dev/null && [ -x /usr/lib/cups/backend/cups-pdf ] ||
    { echo "SKIP: needs root, CUPS and cups-pdf"; exit 77; }
built_app=$1 queue=tavlo-test-pdf work=$(mktemp -d) cupsd=
out=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF # where cups-pdf writes the job's user's files
trap 'lpadmin -x $queue 2>/dev/null; [ -z "$cupsd" ] || kill $cupsd; rm -rf "$work" "$out"/tavlo-print-*' EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/stderr" >&2 2>/dev/null; exit 1; }

# lpstat -r says whether the scheduler runs, but exits 0 either way.
running() { lpstat -r 2>/dev/null | grep -q "is running"; }
if ! running; then
    cupsd -f &
    cupsd=$!
    for _ in $(seq 40); do running && break; sleep 0.25; done
fi
lpadmin -p $queue -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || fail "no PDF printer"
rm -f "$out"/tavlo-print-*
cp -r "$built_app" "$work/app"
printf 'Print test<<$$>>one##<h1>Harbour lights</h1><p>The quay at dusk.</p>~two##<p>Lighthouse keeper.</p>' \
    >"$work/app/tessavanetavlo.tavlo"
export HOME=$work QTWEBENGINE_DISABLE_SANDBOX=1 PRINTER=$queue APP=$work/app WORK=$work OUT=$out QUEUE=$queue
unset QT_QPA_PLATFORM

# Print all (Ctrl+Shift+P, then OK on its message) to the default printer, until the queue is done.
cat >"$work/session.sh" <<'SESSION'
"$APP/pellomare" 2>"$WORK/stderr" &
sleep 8
xdotool windowfocus --sync "$(xdotool search --class pellomare | tail -1)" key ctrl+shift+p sleep 2 key Return
for _ in $(seq 120); do
    [ "$(ls "$OUT"/tavlo-print-*.pdf 2>/dev/null | wc -l)" -ge 2 ] && [ -z "$(lpstat -o "$QUEUE")" ] && break
    sleep 0.5
done
kill %1
SESSION
xvfb-run -a bash "$work/session.sh" >/dev/null 2>&1
text=$(for f in "$out"/tavlo-print-*.pdf; do pdftotext "$f" -; done) && echo "$text"
for words in "page 1" "Harbour lights" "The quay at dusk." "page 2" "Lighthouse keeper."; do
    grep -qF "$words" <<<"$text" || fail "\"$words\" is not text of the printed pages"
done
echo "PASS"
