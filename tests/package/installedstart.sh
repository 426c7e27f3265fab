#!/usr/bin/env bash
# Starts the program as the package installs it, through the link /usr/bin/pellomare, from the
# unpacked package (PACKAGE_DIR/root) with a temporary home: the stripped program must find its
# folder behind the link, install and register the stripped component files from there, load the
# control and keep running.
# Usage: installedstart.sh PACKAGE_DIR
set -euo pipefail
root=$(realpath "$1")/root
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/stderr" >&2 2>/dev/null || true; exit 1; }

export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
export TAVLO_MESSAGE_LOG=$work/messages
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

# Started from elsewhere, so that nothing is found in the working folder by chance, under a virtual X
# server: the window, captioned with the book's title, exists only once the control is loaded and
# the book with it. Waits a minute at most.
cat > "$work/opens.sh" <<'OPENS'
#!/usr/bin/env bash
(cd "$WORK" && exec "$ROOT/usr/bin/pellomare") 2>"$WORK/stderr" &
pid=$!
status=1
for _ in $(seq 120); do
    if xwininfo -root -tree 2>/dev/null | grep -qF "\"$TITLE\""; then status=0; break; fi
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
done
kill -0 $pid 2>/dev/null || status=1
kill $pid 2>/dev/null; wait $pid 2>/dev/null
exit $status
OPENS
chmod +x "$work/opens.sh"
title=$(head -c 4096 "$root/usr/lib/tavlo/tessavanetavlo.tavlo" | sed 's/<<\$\$>>.*//' | head -n 1)
installed=$XDG_DATA_HOME/TessavaneTavlo
unset QT_QPA_PLATFORM
ROOT=$root WORK=$work TITLE=$title xvfb-run -a -s "-screen 0 1280x800x24" "$work/opens.sh" ||
    fail "the installed program opened no window captioned \"$title\", or ended"

for file in dhtmled.ocx triedit.dll; do
    cmp -s "$installed/$file" "$root/usr/lib/tavlo/supportfiles/$file" ||
        fail "$file was not installed from the package's supportfiles/"
done
grep -q 'DHTMLEDLibCtl.DHTMLEdit' "$XDG_CONFIG_HOME/tavlo/components.ini" || fail "the control was not registered"
! grep -qs "Run-time error" "$work/stderr" "$work/messages" || fail "a failure was reported"
echo "PASS"
