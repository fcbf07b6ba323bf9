#!/bin/bash
# Counts what the running gauge costs in user-space instructions per second,
# under valgrind's callgrind, side by side with the floor (bench/floor.cpp).
# Unlike CPU time, the count does not move with the other load on the machine.
#
# Usage: bench/instructions.sh [BEFORE]
#
# BEFORE, when given, is a second build of the gauge (say, main's
# build/src/dimmerling copied aside) measured beside this one. It takes
# build/src/dimmerling and build/bench/dimmerling-floor (BUILD_DIR names
# another build folder) and needs valgrind, Xvfb, openbox, xcompmgr, trayer
# and python3-dbusmock; no root. Each program runs under callgrind on the
# stage of bench/stage.sh (the mock UPower battery at 57 %): callgrind dumps
# its counts at STARTUP seconds (default 15) and again at END (default 35),
# so the second dump holds the steady state alone, start-up taken out (the
# difference of a 15 s and a 35 s run would carry start-up's own spread, up
# to 180,000 instructions from run to run, into a steady state of about
# 800,000). Rows:
#   - floor;
#   - the gauge with an unchanged battery, and with the charge changing every
#     second (bench/upower_battery.py change);
#   - the same two for BEFORE.
# ROUNDS (default 3) rounds of each. It prints each row's median
# instructions/s, its ratio to the floor's and every round, then for each
# gauge row the functions of our code and the library functions they call
# that cost most. Dumps and runs.tsv go to OUT_DIR (default
# BUILD_DIR/instructions). A run with the defaults takes about 7 minutes, 11
# with BEFORE.
set -euo pipefail

rounds=${ROUNDS:-3}
startup=${STARTUP:-15}
end=${END:-35}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
out=${OUT_DIR:-$build/instructions}
before=${1:-}
python=/usr/bin/python3
bench=$repo/bench

for tool in valgrind callgrind_control Xvfb openbox xcompmgr trayer xdpyinfo xwininfo xprop gdbus dbus-daemon dbus-monitor; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
"$python" -c 'import dbusmock, dbus' 2>/dev/null || { echo "$python lacks python3-dbusmock" >&2; exit 2; }
for file in "$build/src/dimmerling" "$build/bench/dimmerling-floor" ${before:+"$before"}; do
    [ -x "$file" ] || { echo "no $file: build the project first (or set BUILD_DIR)" >&2; exit 2; }
done

# shellcheck source=bench/stage.sh
. "$bench/stage.sh"

# The wall-clock midpoint of one dump, in nanoseconds.
dump_counts() {
    local t0 t1
    t0=$(now_ns)
    callgrind_control --dump "$1" >>"$out/control.log" 2>&1
    t1=$(now_ns)
    echo $(((t0 + t1) / 2))
}

# One round of one row: prints the instructions per second.
measure_one() {
    local row=$1 program=$2 round=$3 changer="" pid first second seconds
    if [ "${row%-changing}" != "$row" ]; then
        rm -f "$work/changer.out"
        "$python" "$bench/upower_battery.py" change >"$work/changer.out" &
        changer=$!
        pids="$changer $pids"
        wait_for test -s "$work/changer.out"
    fi
    valgrind --tool=callgrind --callgrind-out-file="$out/$row-$round" "$program" 2>"$out/$row-$round.log" &
    pid=$!
    pids="$pid $pids"
    nap "$startup"
    first=$(dump_counts "$pid")
    nap $((end - startup))
    second=$(dump_counts "$pid")
    for pid in $pid $changer; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    seconds=$(awk -v a="$second" -v b="$first" 'BEGIN { printf "%.3f", (a - b) / 1e9 }')
    printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$row" "$(label_of "$row")" "$round" \
        "$("$python" "$bench/instructions_report.py" run "$out/$row-$round.2" "$seconds")" \
        "$out/$row-$round.2" "$seconds" >>"$out/runs.tsv"
}

label_of() {
    case $1 in
        floor) echo "floor (bare 10 Hz Qt)" ;;
        gauge) echo "Dimmerling, unchanged battery" ;;
        gauge-changing) echo "Dimmerling, battery changing every 1 s" ;;
        before) echo "BEFORE, unchanged battery" ;;
        before-changing) echo "BEFORE, battery changing every 1 s" ;;
    esac
}

main() {
    mkdir -p "$out" "$work/xdg"
    chmod 700 "$work/xdg"
    # Only what an earlier run left: OUT_DIR may hold other files.
    rm -f "$out"/runs.tsv "$out"/control.log "$out"/floor-* "$out"/gauge-* "$out"/before-*
    printf 'row\tlabel\tround\tinstructions_per_s\tdump\tseconds\n' >"$out/runs.tsv"
    export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent XDG_RUNTIME_DIR=$work/xdg
    gauge_copy "$build/src/dimmerling" "$work/gauge"
    local rows="floor:$build/bench/dimmerling-floor gauge:$work/gauge/dimmerling gauge-changing:$work/gauge/dimmerling"
    if [ -n "$before" ]; then
        gauge_copy "$before" "$work/before"
        rows="$rows before:$work/before/dimmerling before-changing:$work/before/dimmerling"
    fi
    start_x
    start_bus
    echo "callgrind, counts from ${startup} s to ${end} s, $rounds rounds"
    local round entry
    for round in $(seq 1 "$rounds"); do
        for entry in $rows; do
            measure_one "${entry%%:*}" "${entry#*:}" "$round"
            printf '  round %s %-16s %s instructions/s\n' "$round" "${entry%%:*}" "$(tail -n 1 "$out/runs.tsv" | cut -f4)"
        done
    done
    echo
    "$python" "$bench/instructions_report.py" table "$out/runs.tsv"
}

main
