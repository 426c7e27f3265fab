#!/usr/bin/env bash
# The real pellomare on a Wayland compositor (a headless Weston, whose desktop shell has a panel of 32
# pixels): Qt draws the window's frame there itself, and the window with its frame fills the output
# beside the panel, so that the band below the page stays on screen.
set -euo pipefail

built_app=$1
work=$(mktemp -d)
trap 'kill ${weston:-} 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/stderr" "$work/weston.log" >&2 2>/dev/null; exit 1; }

mkdir -p "$work/app" "$work/run" "$work/home"
chmod 700 "$work/run"
cp -r "$built_app"/. "$work/app"/
export XDG_RUNTIME_DIR=$work/run HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
weston --backend=headless-backend.so --width=1280 --height=1024 --socket=tavlo-test --idle-time=0 \
    >"$work/weston.log" 2>&1 &
weston=$!
for _ in $(seq 40); do [ -S "$work/run/tavlo-test" ] && break; sleep 0.25; done
[ -S "$work/run/tavlo-test" ] || fail "weston did not start"

WAYLAND_DISPLAY=tavlo-test QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="tavlo.reader.debug=true" \
    "$work/app/pellomare" 2>"$work/stderr" &
pid=$!
for _ in $(seq 120); do
    grep -q "the window's frame [0-9]* [1-9]" "$work/stderr" && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
done
sleep 2 # the compositor's last word on the window's size
kill $pid 2>/dev/null || true
wait $pid 2>/dev/null || true

line=$(grep -o "the window's frame [0-9]* [0-9]* [0-9]* [0-9]*, inside [0-9]*x[0-9]*" "$work/stderr" | tail -n 1)
[ -n "$line" ] || fail "the window's frame was never given room"
read -r left top right bottom width height < <(sed 's/.*frame \([0-9]*\) \([0-9]*\) \([0-9]*\) \([0-9]*\), inside \([0-9]*\)x\([0-9]*\)/\1 \2 \3 \4 \5 \6/' <<<"$line")
echo "$line"
[ $((left + width + right)) -eq 1280 ] && [ $((top + height + bottom)) -eq $((1024 - 32)) ] ||
    fail "the window with its frame is $((left + width + right))x$((top + height + bottom)), not 1280 wide beside a 32-pixel panel"
echo "PASS"
