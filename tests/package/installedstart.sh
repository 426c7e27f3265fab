#!/usr/bin/env bash
# Starts the program as the package installs it, through the link /usr/bin/pellomare, from the
# unpacked package (PACKAGE_DIR/root) with a temporary home: the stripped program must find its
# folder behind the link, install and register the stripped component files from there, load the
# control and keep running.
# Usage: installedstart.sh PACKAGE_DIR
set -euo pipefail
root=$(realpath "$1")/root
work=$(mktemp -d)
trap 'kill ${pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/stderr" >&2 2>/dev/null || true; exit 1; }

export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
export QT_QPA_PLATFORM=offscreen TAVLO_MESSAGE_LOG=$work/messages
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

# Started from elsewhere, so that nothing is found in the working folder by chance.
(cd "$work" && exec "$root/usr/bin/pellomare") 2>"$work/stderr" &
pid=$!
installed=$XDG_DATA_HOME/TessavaneTavlo
for _ in $(seq 60); do
    grep -qs 'DHTMLEDLibCtl.DHTMLEdit' "$XDG_CONFIG_HOME/tavlo/components.ini" && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
done
sleep 5   # the window loads the book and the page view shows the first page
kill -0 $pid 2>/dev/null || fail "the installed program ended"
kill $pid
wait $pid 2>/dev/null || true

for file in dhtmled.ocx triedit.dll; do
    cmp -s "$installed/$file" "$root/usr/lib/tavlo/supportfiles/$file" ||
        fail "$file was not installed from the package's supportfiles/"
done
grep -q 'DHTMLEDLibCtl.DHTMLEdit' "$XDG_CONFIG_HOME/tavlo/components.ini" || fail "the control was not registered"
! grep -qs "Run-time error" "$work/stderr" "$work/messages" || fail "a failure was reported"
echo "PASS"
