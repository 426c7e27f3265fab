#!/usr/bin/env bash
# Starts the real pellomare from a temporary application folder with a temporary home, as a user
# would after unpacking it: first with its component files beside it, then with none anywhere.
set -euo pipefail

built_app=$1
work=$(mktemp -d)
trap 'kill ${pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

app=$work/app
mkdir -p "$app"
cp -r "$built_app"/. "$app"/
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
title=$(head -c 4096 "$app/tessavanetavlo.tavlo" | sed 's/<<\$\$>>.*//' | head -n 1)
# The page area below the toolbar, in the screenshots of a 1280x800 screen.
export PAGE_AREA=1000x500+100+80

# Starts the program under the virtual X server and waits, for a minute at most, until its window,
# captioned with the book's title, exists. Usage: opens.sh STDERR_FILE
cat > "$work/opens.sh" <<'OPENS'
#!/usr/bin/env bash
"$APP/pellomare" 2>"$1" &
pid=$!
status=1
for _ in $(seq 120); do
    if xwininfo -root -tree 2>/dev/null | grep -qF "\"$TITLE\""; then status=0; break; fi
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
done
kill $pid 2>/dev/null; wait $pid 2>/dev/null
exit $status
OPENS
chmod +x "$work/opens.sh"

# 1. A normal start under a virtual X server: the component is installed and registered, the window
#    is captioned with the book's title, and the first page is drawn; after every panel has been
#    used, Exit ends the program cleanly.
cat > "$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
"$APP/pellomare" 2>"$WORK/stderr" &
pid=$!
for _ in $(seq 120); do
    xwininfo -root -tree 2>/dev/null | grep -F "\"$TITLE\"" > "$WORK/window" && break
    sleep 0.5
done
# The page view draws the first page in its own time: look until the page area holds more than
# one colour, for half a minute at most.
for _ in $(seq 60); do
    import -window root "$WORK/screen.png"
    [ "$(convert "$WORK/screen.png" -crop "$PAGE_AREA" +repage -format %k info:)" -gt 2 ] && break
    sleep 0.5
done
# Every panel and field used, then left: the contents, the whole-book search, go to page with its
# proposals open when Esc closes it, and the find bar.
xdotool key F9; sleep 0.5; xdotool type "lig"; sleep 0.5
xdotool key ctrl+shift+f; sleep 0.5; xdotool type "harbour"; xdotool key Return; sleep 1
xdotool key ctrl+l; sleep 0.5; xdotool type "W"; sleep 1; xdotool key Escape; sleep 0.3; xdotool key Escape; sleep 0.3
xdotool key ctrl+f; sleep 0.5; xdotool type "the"; sleep 0.3; xdotool key Escape; sleep 0.3
# Exit's key ends the program by itself, and in order.
xdotool key ctrl+q
for _ in $(seq 60); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.25
done
kill $pid 2>/dev/null && echo "still running" > "$WORK/exit"
wait $pid 2>/dev/null
echo "exit $?" >> "$WORK/exit"
exit 0
SESSION
chmod +x "$work/session.sh"
unset QT_QPA_PLATFORM
APP=$app WORK=$work TITLE=$title xvfb-run -a -s "-screen 0 1280x800x24" "$work/session.sh"

[ -f "$XDG_DATA_HOME/TessavaneTavlo/dhtmled.ocx" ] || fail "the control was not installed"
[ -f "$XDG_DATA_HOME/TessavaneTavlo/triedit.dll" ] || fail "the support library was not installed"
grep -q 'DHTMLEDLibCtl.DHTMLEdit' "$XDG_CONFIG_HOME/tavlo/components.ini" || fail "the control was not registered"
[ -s "$work/window" ] || { cat "$work/stderr" >&2; fail "no window captioned \"$title\""; }
[ "$(cat "$work/exit")" = "exit 0" ] || fail "Ctrl+Q: $(cat "$work/exit")"
! grep -q "Expect troubles" "$work/stderr" || fail "the page view's profile went before its pages at exit"
read -r _ _ _ _ width height _ < <(sed -n 's/.*: ("[^"]*" "[^"]*")  *\([0-9]*\)x\([0-9]*\)+.*/x x x x \1 \2 x/p' "$work/window" | head -n 1)
echo "window: ${width}x${height}"
[ "${width:-0}" -ge 1200 ] || fail "the window is ${width:-?} pixels wide, not the screen's width"
# The page area below the toolbar holds more than one colour once the page is drawn.
colours=$(convert "$work/screen.png" -crop "$PAGE_AREA" +repage -format %k info:)
echo "colours in the page area: $colours"
[ "$colours" -gt 2 ] || fail "the page area is blank"

export QT_QPA_PLATFORM=offscreen TAVLO_MESSAGE_LOG=$work/messages

# 2. A damaged component file beside the program, a control cut short whose header is whole, after
#    an earlier start installed and registered the component: it is not installed, start-up goes on
#    and the window opens on the installed component.
head -c 100000 "$built_app/supportfiles/dhtmled.ocx" > "$app/supportfiles/dhtmled.ocx"
unset QT_QPA_PLATFORM
APP=$app WORK=$work TITLE=$title xvfb-run -a -s "-screen 0 1280x800x24" "$work/opens.sh" "$work/stderr-damaged" ||
    { cat "$work/stderr-damaged" >&2; fail "no window with a damaged component file"; }
export QT_QPA_PLATFORM=offscreen
! grep -q "Run-time error" "$work/stderr-damaged" "$work/messages" 2>/dev/null || fail "a failure was reported"
cmp -s "$XDG_DATA_HOME/TessavaneTavlo/dhtmled.ocx" "$built_app/supportfiles/dhtmled.ocx" || fail "the installed control was replaced"

# 3. No component files anywhere and nothing registered: the report, a non-zero exit, no window.
rm -rf "$app/supportfiles" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
status=0
timeout 60 "$app/pellomare" 2>"$work/stderr2" || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "exit status $status"
grep -q "Run-time error '429'" "$work/stderr2" || { cat "$work/stderr2" >&2; fail "no report of error 429"; }
grep -q "Run-time error '429'" "$work/messages" || fail "the report was not shown in a message box"

# 4. A fresh account whose data folder can't be written (a file stands in its place): nothing can be
#    installed, so the component is registered where it lies beside the program, and the window
#    opens (its title appears under a virtual X server).
cp -r "$built_app/supportfiles" "$app/"
rm -rf "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
echo "not a folder" > "$XDG_DATA_HOME"
mkdir -p "$XDG_CONFIG_HOME"
unset QT_QPA_PLATFORM
APP=$app WORK=$work TITLE=$title xvfb-run -a -s "-screen 0 1280x800x24" "$work/opens.sh" "$work/stderr-unusable" ||
    { cat "$work/stderr-unusable" >&2; fail "no window with an unusable data folder"; }
grep -qF "$app/supportfiles/dhtmled.ocx" "$XDG_CONFIG_HOME/tavlo/components.ini" ||
    fail "the control was not registered where it lies"
export QT_QPA_PLATFORM=offscreen
rm -f "$XDG_DATA_HOME"
mkdir -p "$XDG_DATA_HOME"

# 5. A book whose title is empty: the window's caption is empty too, not the program's name.
cp "$app/tessavanetavlo.tavlo" "$work/book"
printf '<<$$>>a##<h1>alpha</h1>' > "$app/tessavanetavlo.tavlo"
cat > "$work/untitled.sh" <<'UNTITLED'
#!/usr/bin/env bash
"$APP/pellomare" 2>/dev/null &
pid=$!
# The caption is written as the window is shown: look until it is empty, for a minute at most.
for _ in $(seq 120); do
    xwininfo -root -tree 2>/dev/null | grep -E '\("pellomare" "pellomare"\)  *1[0-9]{3}x' > "$WORK/untitled"
    grep -qE '^ *0x[0-9a-f]+ (\(has no name\)|""):' "$WORK/untitled" && break
    sleep 0.5
done
kill $pid; wait $pid 2>/dev/null
exit 0
UNTITLED
chmod +x "$work/untitled.sh"
unset QT_QPA_PLATFORM
APP=$app WORK=$work xvfb-run -a -s "-screen 0 1280x800x24" "$work/untitled.sh"
export QT_QPA_PLATFORM=offscreen
[ -s "$work/untitled" ] || fail "no window for a book without a title"
grep -qE '^ *0x[0-9a-f]+ (\(has no name\)|""):' "$work/untitled" || fail "the caption of an untitled book: $(cat "$work/untitled")"
mv "$work/book" "$app/tessavanetavlo.tavlo"

# 6. A book file that is a named pipe, or a device: the report says what it is, at once, and no
#    window stays.
for kind in pipe device; do
    rm -f "$app/tessavanetavlo.tavlo"
    if [ $kind = pipe ]; then mkfifo "$app/tessavanetavlo.tavlo"; else ln -s /dev/zero "$app/tessavanetavlo.tavlo"; fi
    status=0
    timeout 60 "$app/pellomare" 2>"$work/stderr-$kind" || status=$?
    [ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "a book that is a $kind: exit status $status"
    grep -q "not a regular file" "$work/stderr-$kind" || { cat "$work/stderr-$kind" >&2; fail "no report for a $kind"; }
done
echo "PASS"
