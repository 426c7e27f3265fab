#!/usr/bin/env bash
# The real pellomare printing through CUPS to a PDF printer (cups-pdf): print all hands each page to
# the print queue as the engine's own PDF, and the PDF printer's files hold the pages' text, header
# included, as text. Needs root to add the printer (and to start cupsd when it is not running); skips
# otherwise (77).
set -euo pipefail

built_app=$1
queue=tavlo-test-pdf
[ "$(id -u)" -eq 0 ] && command -v lpadmin >/dev/null && [ -f /usr/lib/cups/backend/cups-pdf ] || {
    echo "SKIP: needs root, CUPS and cups-pdf"
    exit 77
}
work=$(mktemp -d)
started_cupsd=
cleanup() {
    kill ${pid:-} 2>/dev/null || true
    lpadmin -x "$queue" 2>/dev/null || true
    [ -n "$started_cupsd" ] && kill "$started_cupsd" 2>/dev/null
    rm -f "${out:-/nonexistent}"/tavlo-print-*.pdf*
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/stderr" >&2 2>/dev/null; exit 1; }

if ! lpstat -r >/dev/null 2>&1; then
    cupsd -f &
    started_cupsd=$!
    for _ in $(seq 40); do lpstat -r >/dev/null 2>&1 && break; sleep 0.25; done
fi
lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null ||
    fail "the PDF printer could not be added"
# cups-pdf writes into the folder PDF of the home of the job's user.
out=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
mkdir -p "$out"
rm -f "$out"/tavlo-print-*.pdf*

mkdir -p "$work/app" "$work/home"
cp -r "$built_app"/. "$work/app"/
printf 'Print test<<$$>>one##<h1>Harbour lights</h1><p>The quay at dusk.</p>~two##<h1>Second page</h1><p>Lighthouse keeper.</p>' \
    >"$work/app/tessavanetavlo.tavlo"
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM

# Print all (Ctrl+Shift+P, then OK on its message) to the queue as the default printer.
cat > "$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
PRINTER=$QUEUE "$APP/pellomare" 2>"$WORK/stderr" &
pid=$!
for _ in $(seq 60); do window=$(xdotool search --class pellomare | tail -1) && [ -n "$window" ] && break; sleep 0.5; done
sleep 5
xdotool windowfocus --sync "$window"
xdotool key ctrl+shift+p
sleep 2
xdotool key Return
# Both pages handed over, and the queue done with them.
for _ in $(seq 120); do
    [ "$(ls "$OUT"/tavlo-print-*.pdf 2>/dev/null | wc -l)" -ge 2 ] && [ -z "$(lpstat -o "$QUEUE")" ] && break
    sleep 0.5
done
kill $pid
SESSION
chmod +x "$work/session.sh"
APP=$work/app WORK=$work OUT=$out QUEUE=$queue xvfb-run -a -s "-screen 0 1280x800x24" "$work/session.sh" >/dev/null 2>&1

files=("$out"/tavlo-print-*.pdf)
[ ${#files[@]} -eq 2 ] && [ -f "${files[0]}" ] || fail "the PDF printer wrote ${#files[@]} files, not 2"
text=$(for f in "${files[@]}"; do pdftotext "$f" -; done)
echo "$text"
for words in "page 1" "Harbour lights" "The quay at dusk." "page 2" "Lighthouse keeper."; do
    grep -qF "$words" <<<"$text" || fail "\"$words\" is not text of the printed pages"
done
echo "PASS"
