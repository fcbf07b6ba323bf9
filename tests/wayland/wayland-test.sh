#!/usr/bin/env bash
# The gauge in a Wayland session. Without XWayland (a headless weston, no
# DISPLAY) it starts and says once that it cannot place itself or stay on
# top. With XWayland (here Xvfb stands in for it) it runs as an X11 client,
# placed where it belongs and marked to stay on top.
# Usage: wayland-test.sh <the built dimmerling>
set -euo pipefail
program=$1
work=$(mktemp -d)
pids=()
failures=0

cleanup() {
    # Newest first: the gauges before the servers they are clients of.
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
    echo "-- the gauge's standard error:"
    cat "$work/gauge.log" 2> /dev/null || true
}
pass() { echo "PASS: $*"; }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
wait_for() { local i; for i in $(seq 100); do "$@" && return 0; sleep 0.1; done; return 1; }
alive() { kill -0 "$1" 2>/dev/null; }

# A copy of the program in a folder of its own, with the shipped settings.
mkdir -m 700 "$work/runtime"
mkdir "$work/app"
cp "$program" "$work/app/dimmerling"
base_env=(env -i PATH="$PATH" HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
          DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent)

start() {
    "${base_env[@]}" "$@" "$work/app/dimmerling" 2> "$work/gauge.log" &
    started=$!
    pids+=("$started")
}

echo "== Wayland without XWayland"
"${base_env[@]}" weston --backend=headless-backend.so --socket=wayland-test --idle-time=0 \
    > "$work/weston.log" 2>&1 &
pids+=($!)
check "weston is up" wait_for test -S "$work/runtime/wayland-test"
start XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-test
check "the note is on standard error" wait_for grep -q "placement and staying on top are not available" "$work/gauge.log"
sleep 1
check "the gauge keeps running" alive "$started"
check "the note comes once" test "$(grep -c "placement and staying on top" "$work/gauge.log")" = 1
kill "$started"

echo "== Wayland with XWayland"
# -noreset: else the server resets when its first client (a probe below)
# leaves, and a gauge connecting just then fails to start.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3> "$work/display" 2> /dev/null &
pids+=($!)
check "the X server is up" wait_for test -s "$work/display"
display=:$(cat "$work/display")
start XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-test DISPLAY="$display"
window=""
find_window() { window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Dimmerling$' 2> /dev/null | head -1); [ -n "$window" ]; }
check "the gauge shows as an X11 window" wait_for find_window
if [ -n "$window" ]; then
    geometry=$(DISPLAY=$display xdotool getwindowgeometry "$window")
    check "placed at the right of the screen, 2 px from the top" grep -q "Position: 947,2 " <<< "$geometry"
    check "marked to stay on top" grep -q "_NET_WM_STATE_ABOVE" <<< "$(DISPLAY=$display xprop -id "$window" _NET_WM_STATE)"
fi
check "no Wayland note" test ! -s "$work/gauge.log" -o "$(grep -c "not available" "$work/gauge.log")" = 0

[ "$failures" -eq 0 ] && echo "all Wayland checks passed" || echo "$failures Wayland checks failed"
exit $((failures > 0))
