#!/bin/bash
# Measures what the running gauge costs, side by side with the floor (a bare
# 10 Hz Qt Widgets program) and with the battery monitors a user would pick
# instead, and prints a table of medians with each figure's ratio to the floor.
#
# Usage: bench/measure.sh [SECONDS]          (default 30 s per run)
#
# It builds nothing: it takes build/src/dimmerling, build/bench/dimmerling-floor
# and build/bench/dimmerling-bench (BUILD_DIR names another build folder).
# Everything runs on its own Xvfb with openbox, xcompmgr and trayer (the tray
# cbatticon needs), on a private system bus with python3-dbusmock's upower
# template. Each program runs alone, one after the other, for SETTLE seconds
# (default 3) before SECONDS of measuring, in ROUNDS rounds (default 3).
#   - dimmerling: a copy in a folder of its own with EnableTray=0 and
#     WarnBelow20=0 (no tray icon, no message box: the window and the tick
#     alone), battery at 57 % on UPower, unchanged;
#   - dimmerling-changing: the same, the charge changing every second;
#   - floor: bench/floor.cpp;
#   - cbatticon -u 1 and xbattbar -p 1: umockdev's fake /sys/class/power_supply
#     (PEER_BATTERY=changing changes it every second, as for the gauge).
# PROGRAMS lists the rows to run (default: all five, in that order).
# Results, the table and the plot go to OUT_DIR (default BUILD_DIR/measure).
# Run as root, it installs the Debian packages it lacks with apt-get.
set -euo pipefail

seconds=${1:-30}
rounds=${ROUNDS:-3}
settle=${SETTLE:-3}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
out=${OUT_DIR:-$build/measure}
programs=${PROGRAMS:-floor dimmerling dimmerling-changing cbatticon xbattbar}
peer_battery=${PEER_BATTERY:-steady}
python=/usr/bin/python3
bench=$repo/bench
began=$(date +%s)

# ---------------------------------------------------------------- packages --

# command -> Debian package
needed="Xvfb:xvfb openbox:openbox xcompmgr:xcompmgr trayer:trayer xdpyinfo:x11-utils
xwininfo:x11-utils xprop:x11-utils gdbus:libglib2.0-bin dbus-daemon:dbus-daemon dbus-monitor:dbus-bin umockdev-run:umockdev
cbatticon:cbatticon xbattbar:xbattbar gnuplot:gnuplot-nox"

install_missing() {
    local missing="" pair
    for pair in $needed; do
        command -v "${pair%%:*}" >/dev/null || missing="$missing ${pair#*:}"
    done
    "$python" -c 'import dbusmock, dbus' 2>/dev/null || missing="$missing python3-dbusmock python3-dbus"
    [ -n "$missing" ] || return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing Debian packages:$missing (install them, or run this as root)" >&2
        exit 2
    fi
    echo "installing:$missing"
    apt-get update -qq
    # shellcheck disable=SC2086 # one argument per package
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

check_build() {
    local file
    for file in "$build/src/dimmerling" "$build/bench/dimmerling-floor"; do
        [ -x "$file" ] || { echo "no $file: build the project first (or set BUILD_DIR)" >&2; exit 2; }
    done
}

# shellcheck source=bench/stage.sh
. "$bench/stage.sh"
peer_wrapper=""

prepare_programs() {
    mkdir -p "$work/xdg"
    chmod 700 "$work/xdg"
    gauge_copy "$build/src/dimmerling" "$work/app"
    cat >"$work/battery.umockdev" <<'EOF'
P: /devices/LNXSYSTM:00/LNXSYBUS:00/PNP0C0A:00/power_supply/BAT0
E: DEVPATH=/devices/LNXSYSTM:00/LNXSYBUS:00/PNP0C0A:00/power_supply/BAT0
E: SUBSYSTEM=power_supply
E: POWER_SUPPLY_NAME=BAT0
E: POWER_SUPPLY_TYPE=Battery
A: type=Battery
A: present=1
A: status=Discharging
A: capacity=57
A: energy_full=50000000
A: energy_full_design=60000000
A: energy_now=28500000
A: power_now=10000000
A: voltage_now=12000000

P: /devices/LNXSYSTM:00/LNXSYBUS:00/ACPI0003:00/power_supply/AC
E: DEVPATH=/devices/LNXSYSTM:00/LNXSYBUS:00/ACPI0003:00/power_supply/AC
E: SUBSYSTEM=power_supply
E: POWER_SUPPLY_NAME=AC
E: POWER_SUPPLY_TYPE=Mains
A: type=Mains
A: online=0
EOF
}

# ------------------------------------------------------------- one run --

label_of() {
    case $1 in
        floor) echo "floor (bare 10 Hz Qt)" ;;
        dimmerling) echo "Dimmerling, unchanged battery" ;;
        dimmerling-changing) echo "Dimmerling, battery changing every 1 s" ;;
        cbatticon) echo "cbatticon -u 1 ($peer_battery battery)" ;;
        xbattbar) echo "xbattbar -p 1 ($peer_battery battery)" ;;
        *) echo "unknown program $1" >&2; exit 2 ;;
    esac
}

updates_of() {
    case $1 in cbatticon | xbattbar) echo 1 ;; *) echo 10 ;; esac
}

# Starts the program on the proxy display; sets program_pid and exec_ns.
launch() {
    local helper=""
    rm -f "$work/peer.pid" "$work/peer.dir"
    if [ "$1" = dimmerling-changing ]; then
        rm -f "$work/changer.out"
        "$python" "$bench/upower_battery.py" change >"$work/changer.out" &
        helper=$!
        # Its start-up would otherwise compete with the gauge's.
        wait_for test -s "$work/changer.out"
    fi
    exec_ns=$(now_ns)
    case $1 in
        floor) DISPLAY=":$proxy" "$build/bench/dimmerling-floor" & program_pid=$! ;;
        dimmerling*) DISPLAY=":$proxy" "$work/app/dimmerling" & program_pid=$! ;;
        cbatticon) launch_peer cbatticon -u 1 ;;
        xbattbar) launch_peer xbattbar -a -r -p 1 -t 17 top ;;
    esac
    pids="$program_pid $pids"
    if [ -n "$helper" ]; then pids="$helper $pids"; fi
    change_pid=$helper
    if [ "$peer_battery" = changing ] && [ -f "$work/peer.dir" ]; then
        change_peer_battery "$(cat "$work/peer.dir")" &
        change_pid=$!
        pids="$change_pid $pids"
    fi
}

# The peers read the kernel's files: umockdev gives them a fake one.
launch_peer() {
    # shellcheck disable=SC2016 # expanded by the inner shell
    DISPLAY=":$proxy" umockdev-run -d "$work/battery.umockdev" -- sh -c \
        'echo "$UMOCKDEV_DIR" >"$0.dir"; echo $$ >"$0.pid"; exec "$@"' "$work/peer" "$@" \
        >"$work/peer.log" 2>&1 &
    peer_wrapper=$!
    pids="$peer_wrapper $pids"
    wait_for test -s "$work/peer.pid"
    program_pid=$(cat "$work/peer.pid")
}

change_peer_battery() {
    local step=0 percent nap=""
    trap '[ -z "$nap" ] || kill "$nap" 2>/dev/null; exit 0' TERM
    while :; do
        percent=$((79 - step % 59))
        echo "$percent" >"$1/sys/class/power_supply/BAT0/capacity"
        echo $((percent * 500000)) >"$1/sys/class/power_supply/BAT0/energy_now"
        step=$((step + 1))
        sleep 1 &
        nap=$!
        wait "$nap"
    done
}

# Asks the proxy for its counts and waits for them.
proxy_state() {
    rm -f "$work/xstate"
    kill -USR1 "$proxy_pid"
    wait_for test -s "$work/xstate"
    awk -v pid="$1" '$1 == pid { print $2, $3, $4; found = 1 } END { if (!found) print 0, 0, 0 }' \
        "$work/xstate"
}

# Nanoseconds on a CPU: the scheduler's own sum of every thread's user and
# system time (what utime+stime count in 10 ms ticks), plus the reaped
# children's utime+stime (xbattbar polls through a script).
cpu_ns() {
    local threads children
    threads=$(cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%.0f", n }')
    children=$(awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%.0f", ($14 + $15) * 1e9 / hz }' \
        "/proc/$1/stat")
    echo $((threads + children))
}

context_switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/ctxt_switches/ { n += $2 } END { print n + 0 }'
}

# One row of runs.tsv for one program in one round.
measure_one() {
    local program=$1 round=$2 t0 t1 cpu0 cpu1 x0 x1 cs0 cs1 req0 req1 mapped maprq rss
    local names dbus_sent map_ms window
    launch "$program"
    nap "$settle"
    kill -0 "$program_pid" 2>/dev/null || { echo "$program ended early:" >&2; cat "$work/peer.log" >&2 || true; exit 1; }
    read -r req0 _ _ < <(proxy_state "$program_pid")
    t0=$(now_ns); cpu0=$(cpu_ns "$program_pid"); x0=$(cpu_ns "$xserver")
    cs0=$(context_switches "$program_pid")
    nap "$seconds"
    t1=$(now_ns); cpu1=$(cpu_ns "$program_pid"); x1=$(cpu_ns "$xserver")
    cs1=$(context_switches "$program_pid")
    read -r req1 mapped maprq < <(proxy_state "$program_pid")
    rss=$(awk '/^VmHWM/ { printf "%.2f", $2 / 1024 }' "/proc/$program_pid/status")
    names=$("$python" "$bench/measure_report.py" names "$program_pid" | tr '\n' ' ')
    # shellcheck disable=SC2086 # one argument per name
    dbus_sent=$("$python" "$bench/measure_report.py" dbus "$work/monitor" "$t0" "$t1" $names)
    stop_program
    [ "$mapped" -gt 0 ] || mapped=$maprq
    map_ms=nan
    [ "$mapped" -gt 0 ] && map_ms=$(awk -v a="$mapped" -v b="$exec_ns" 'BEGIN { printf "%.1f", (a - b) / 1e6 }')
    window=$(awk -v a="$t1" -v b="$t0" 'BEGIN { print (a - b) / 1e9 }')
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$program" "$(label_of "$program")" "$round" \
        "$(awk -v c=$((cpu1 - cpu0)) -v w="$window" 'BEGIN { printf "%.4f", 100 * c / 1e9 / w }')" \
        "$(awk -v c=$((x1 - x0)) -v w="$window" 'BEGIN { printf "%.4f", 100 * c / 1e9 / w }')" \
        "$rss" \
        "$(awk -v c=$((cs1 - cs0)) -v w="$window" 'BEGIN { printf "%.2f", c / w }')" \
        "$(awk -v c=$((req1 - req0)) -v w="$window" 'BEGIN { printf "%.3f", c / w }')" \
        "$(awk -v c="$dbus_sent" -v w="$window" 'BEGIN { printf "%.3f", c / w }')" \
        "$map_ms" "$(updates_of "$program")" >>"$out/runs.tsv"
}

stop_program() {
    local pid
    for pid in $change_pid $program_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    # umockdev-run ends with its child, removing its fake /sys.
    if [ -n "$peer_wrapper" ]; then
        wait "$peer_wrapper" 2>/dev/null || true
        peer_wrapper=""
    fi
    pids=$(for pid in $pids; do kill -0 "$pid" 2>/dev/null && echo "$pid"; done | tr '\n' ' ')
}

# ---------------------------------------------------------------- report --

plot() {
    command -v gnuplot >/dev/null || { echo "(no gnuplot: no plot)"; return; }
    # A log scale: xbattbar's forks would flatten every other bar.
    gnuplot <<EOF
set terminal pngcairo size 900,480 font ",10"
set output "$out/performance-cpu.png"
set title "CPU per program, % of one core: median of $rounds rounds of ${seconds} s (whiskers: min to max)"
set style fill solid 0.6 border -1
set boxwidth 0.6
set logscale y
set yrange [0.01:30]
set grid ytics
set xtics rotate by -20 scale 0
set ylabel "% of one core (log scale)"
set bmargin 9
plot "$out/cpu.dat" using 0:2:xtic(1) with boxes notitle lc rgb "#4a7ab5", \
     "" using 0:2:3:4 with yerrorbars notitle lc rgb "black" pt 1 ps 0, \
     "" using 0:(\$4 * 1.5):(sprintf("%.3f", \$2)) with labels notitle
EOF
    echo "plot: $out/performance-cpu.png"
}

tick_bench() {
    if [ -x "$build/bench/dimmerling-bench" ]; then
        echo "one tick (bench/tick_bench.cpp, offscreen; target under 20 us):"
        "$build/bench/dimmerling-bench" | sed 's/^/  /'
    fi
}

main() {
    install_missing
    check_build
    mkdir -p "$out"
    printf 'program\tlabel\tround\tcpu_pct\txserver_pct\trss_mib\tcswitch_per_s\txreq_per_s\tdbus_per_s\tmap_ms\tupdates_per_s\n' \
        >"$out/runs.tsv"
    export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent XDG_RUNTIME_DIR=$work/xdg
    prepare_programs
    start_x
    start_bus
    echo "measuring $seconds s after $settle s settling, $rounds rounds: $programs"
    echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
    local round program
    for round in $(seq 1 "$rounds"); do
        for program in $programs; do
            measure_one "$program" "$round"
            printf '  round %s %-20s cpu %s%%\n' "$round" "$program" "$(tail -n 1 "$out/runs.tsv" | cut -f4)"
        done
    done
    echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo
    "$python" "$bench/measure_report.py" table "$out/runs.tsv" "$out"
    echo
    tick_bench
    plot
    echo "took $(($(date +%s) - began)) s; rows in $out/runs.tsv"
}

main
