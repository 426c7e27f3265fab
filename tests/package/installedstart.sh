#!/usr/bin/env bash
# Starts each book's application as its package installs it, through its command in /usr/bin, from
# the tree that builddeb.sh unpacked the runtime and both books into, with a temporary home shared by
# both: the runtime's stripped reader must take the book's folder from the links it was started
# through, install and register the component files from there, open the window captioned with its own book's title, and tell its own identity to the
# window system (WM_CLASS "COMMAND", "ID", as its desktop entry's StartupWMClass says), with its own
# icon; each book keeps its per-user files in folders named by its id.
# Usage: installedstart.sh PACKAGE_DIR
set -euo pipefail
dir=$(realpath "$1")
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
(cd "$WORK" && exec "$COMMAND") 2>"$WORK/stderr" &
pid=$!
status=1
for _ in $(seq 120); do
    if xwininfo -root -tree 2>/dev/null | grep -F "\"$TITLE\"" >"$WORK/window"; then
        xprop -id "$(awk '{print $1; exit}' "$WORK/window")" _NET_WM_ICON | md5sum >"$WORK/icon-$COMMAND_NAME"
        status=0
        break
    fi
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
done
kill -0 $pid 2>/dev/null || status=1
kill $pid 2>/dev/null; wait $pid 2>/dev/null
exit $status
OPENS
chmod +x "$work/opens.sh"
unset QT_QPA_PLATFORM

root=$dir/root
for book in "pellomare org.tavlo.pellomare" "smallbook org.example.SmallBook"; do
    read -r package id <<<"$book"
    title=$(head -c 4096 "$root/usr/lib/$id/tessavanetavlo.tavlo" | sed 's/<<\$\$>>.*//' | head -n 1)
    COMMAND=$root/usr/bin/$package COMMAND_NAME=$package WORK=$work TITLE=$title \
        xvfb-run -a -s "-screen 0 1280x800x24" "$work/opens.sh" ||
        fail "$package opened no window captioned \"$title\", or ended"
    grep -qF "(\"$package\" \"$id\")" "$work/window" || fail "$package's window is not of class $id: $(cat "$work/window")"
    for file in dhtmled.ocx triedit.dll; do
        cmp -s "$XDG_DATA_HOME/$id/TessavaneTavlo/$file" "$root/usr/lib/$id/supportfiles/$file" ||
            fail "$file was not installed from $package's supportfiles/"
    done
    grep -q 'DHTMLEDLibCtl.DHTMLEdit' "$XDG_CONFIG_HOME/$id/components.ini" || fail "the control was not registered"
    ! grep -qs "Run-time error" "$work/stderr" "$work/messages" || fail "$package reported a failure"
    echo "$package: $(cat "$work/window")"
done
# The small book's SVG icon is not the reader's, which the sample takes.
! cmp -s "$work/icon-pellomare" "$work/icon-smallbook" || fail "both books show the same window icon"
[ ! -e "$XDG_DATA_HOME/TessavaneTavlo" ] || fail "a book wrote into the data folder shared by all"
echo "PASS"
