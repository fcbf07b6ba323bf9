#!/bin/bash
# The stage the benchmarks share, sourced by bench/measure.sh and
# bench/instructions.sh: a private Xvfb with openbox, xcompmgr and trayer, a
# counting X proxy, and a private system bus with python3-dbusmock's upower
# template holding one battery at 57 %, discharging. The sourcing script sets
# python, repo and bench first; every process started here is ended by its
# PID when the script exits or is interrupted.

# ------------------------------------------------------------ housekeeping --

work=$(mktemp -d /tmp/dimmerling-measure.XXXXXX)
pids=""
nap_pid=""
cleanup() {
    local pid
    for pid in $nap_pid $pids; do kill "$pid" 2>/dev/null || true; done
    for pid in $pids; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Polls a command for up to 10 s.
wait_for() {
    local tries=0
    until "$@" >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -lt 400 ] || { echo "timed out waiting for: $*" >&2; exit 1; }
        sleep 0.025
    done
}

# A display number that no server, socket or lock uses.
free_display() {
    local n
    for n in $(seq "$1" 99); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix && continue
        echo "$n"
        return
    done
    echo "no free X display number" >&2
    exit 1
}

now_ns() { date +%s%N; }

# A sleep that a signal cuts short (bash runs traps only between commands).
nap() {
    sleep "$1" &
    nap_pid=$!
    wait "$nap_pid"
    nap_pid=""
}

# ------------------------------------------------------------- the stage --

start_x() {
    display=$(free_display 60)
    Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xserver=$!
    pids="$xserver $pids"
    export DISPLAY=":$display"
    wait_for xdpyinfo
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    pids="$! $pids"
    wait_for sh -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
    xcompmgr >"$work/xcompmgr.log" 2>&1 &
    pids="$! $pids"
    wait_for sh -c "xwininfo -root -tree | grep -q xcompmgr"
    trayer --edge bottom --SetDockType true --SetPartialStrut true --height 30 >"$work/trayer.log" 2>&1 &
    pids="$! $pids"
    wait_for sh -c "xwininfo -root -tree | grep -q '\"panel\"'"
    # The programs measured connect through the counting proxy.
    proxy=$(free_display $((display + 1)))
    "$python" "$bench/xcount.py" "$proxy" "$display" "$work/xstate" 2>"$work/xcount.log" &
    proxy_pid=$!
    pids="$proxy_pid $pids"
    wait_for test -S "/tmp/.X11-unix/X$proxy"
}

start_bus() {
    dbus-daemon --config-file="$repo/tests/platform/upower-system-bus.conf" --nofork \
        --address="unix:dir=$work" --print-address=1 >"$work/bus-address" 2>/dev/null &
    pids="$! $pids"
    wait_for test -s "$work/bus-address"
    DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/bus-address")
    export DBUS_SYSTEM_BUS_ADDRESS
    "$python" -m dbusmock --system --template upower >"$work/mock.log" 2>&1 &
    pids="$! $pids"
    wait_for gdbus call --system -d org.freedesktop.UPower -o /org/freedesktop/UPower \
        -m org.freedesktop.DBus.Properties.Get org.freedesktop.UPower OnBattery
    "$python" "$bench/upower_battery.py" setup
    dbus-monitor --address "$DBUS_SYSTEM_BUS_ADDRESS" --profile >"$work/monitor" 2>/dev/null &
    pids="$! $pids"
    wait_for grep -q NameLost "$work/monitor"
}

# A copy of the gauge in a folder of its own (the settings file lies beside
# the program): no tray icon, no message box, the window and the tick alone.
gauge_copy() {
    mkdir -p "$2"
    cp "$1" "$2/dimmerling"
    printf '[PowerMenu]\nMoveMouseOver=1\nEnableSettings=1\nEnableTray=0\nHideWhenFull=0\nWarnBelow20=0\nShowPercentage=1\n' \
        >"$2/settings.ini"
}
