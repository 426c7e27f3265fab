#!/usr/bin/env bash
# The real pellomare as a screen reader sees it: in a private D-Bus session with the desktop's
# accessibility switched on (AT-SPI), under a virtual X server, the seven picture buttons are
# pressable buttons, the first page's headings and links are in the tree, the band reads where the
# reader is, a press is answered at once, even one that shows a message, and the new page is told, and the pages that find in
# the whole book lists are named by what they say.
set -euo pipefail

built_app=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$built_app"/. "$work/app"/ 2>/dev/null || { mkdir -p "$work/app"; cp -r "$built_app"/. "$work/app"/; }
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
unset QT_QPA_PLATFORM

cat > "$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
# Accessibility on, as a desktop's settings switch it on for a screen reader.
for _ in $(seq 40); do
    dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.freedesktop.DBus.Properties.Set \
        string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null 2>&1 && break
    sleep 0.25
done
"$APP/pellomare" 2>"$WORK/stderr" &
pid=$!
/usr/bin/python3 "$HERE/atspiwalk.py" 90 >"$WORK/tree" 2>"$WORK/walk-errors"
kill $pid $launcher 2>/dev/null
wait $pid 2>/dev/null
exit 0
SESSION
chmod +x "$work/session.sh"
APP=$work/app WORK=$work HERE=$here dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" "$work/session.sh" \
    >/dev/null 2>&1

fail() { echo "FAIL: $*" >&2; cat "$work/tree" "$work/walk-errors" "$work/stderr" >&2 2>/dev/null; exit 1; }
cat "$work/tree"
grep -qx "buttons: Exit, Find, Home, Next, Previous, Print, Printall" "$work/tree" || fail "not seven pressable buttons"
grep -qE "^headings: [1-9]" "$work/tree" || fail "no heading of the page"
grep -qE "^links: [1-9]" "$work/tree" || fail "no link of the page"
grep -qE "^band: page 1 of [0-9]+" "$work/tree" || fail "the band does not read where the reader is"
grep -qE "^presses answered in: 0\.[0-4]" "$work/tree" || fail "a press was not answered at once"
grep -qE "^told: page 2 of [0-9]+" "$work/tree" || fail "the page turn was not told"
grep -qE "^found: [1-9][0-9]* page [0-9]+ · .*harbour" "$work/tree" || fail "the pages found are not named"
echo "PASS"
