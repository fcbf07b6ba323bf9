#!/bin/sh
# Counts the D-Bus messages the battery source sends once started: a private
# system bus, python3-dbusmock's upower template with a battery that does not
# change, and dbus_reader reading the source seven times every 100 ms.
#
# Usage: bench/dbus-messages.sh [SECONDS]        (default 60)
# BUILD_DIR names the build folder holding bench/dbus_reader (default ./build).
set -eu

seconds=${1:-60}
repo=$(cd "$(dirname "$0")/.." && pwd)
reader=${BUILD_DIR:-$repo/build}/bench/dbus_reader
config=$repo/tests/platform/upower-system-bus.conf
python=/usr/bin/python3

if [ ! -x "$reader" ]; then
    echo "no $reader: build the dbus_reader target (or set BUILD_DIR)" >&2
    exit 2
fi
for tool in dbus-daemon dbus-monitor gdbus; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
done
"$python" -c 'import dbusmock' 2>/dev/null || { echo "$python lacks python3-dbusmock" >&2; exit 2; }

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Polls a command for up to 10 s.
wait_for() {
    tries=0
    until "$@" >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -lt 200 ] || { echo "timed out waiting for: $*" >&2; exit 1; }
        sleep 0.05
    done
}

dbus-daemon --config-file="$config" --nofork --address="unix:dir=$work" \
    --print-address=1 >"$work/address" 2>/dev/null &
pids="$!"
wait_for test -s "$work/address"
DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$work/address")
export DBUS_SYSTEM_BUS_ADDRESS

"$python" -m dbusmock --system --template upower >/dev/null 2>&1 &
pids="$pids $!"
upower() { gdbus call --system -d org.freedesktop.UPower -o "$@"; }
manager=/org/freedesktop/UPower
wait_for upower $manager -m org.freedesktop.DBus.Properties.Get org.freedesktop.UPower OnBattery
upower $manager -m org.freedesktop.DBus.Mock.AddDischargingBattery mock_BAT0 'Bench battery' 57.4 3600 >/dev/null
# type state percentage energy energy-full rate time-to-empty time-to-full present icon warning
upower $manager -m org.freedesktop.DBus.Mock.SetupDisplayDevice \
    2 2 57.4 57.4 100.0 10.0 3600 0 true '' 1 >/dev/null
upower $manager -m org.freedesktop.DBus.Properties.Set org.freedesktop.UPower OnBattery '<true>' >/dev/null

dbus-monitor --address "$DBUS_SYSTEM_BUS_ADDRESS" --profile >"$work/monitor" 2>/dev/null &
pids="$pids $!"
wait_for grep -q NameLost "$work/monitor"

"$reader" "$seconds" >"$work/reader"
sed -n 's/^source /source: /p; s/^ticks /reader: ticks /p' "$work/reader"
connection=$(sed -n 's/^connection //p' "$work/reader")

# Messages from the reader's connection strictly between its two markers.
count=$(awk -F '\t' -v sender="$connection" '
    $4 == sender && $8 == "NameHasOwner" { markers++; next }
    $4 == sender && markers == 1 { sent++ }
    END { if (markers != 2) exit 1; print sent + 0 }' "$work/monitor") || {
    echo "the monitor missed the reader's markers" >&2
    exit 1
}
echo "dbus messages sent after start-up in $seconds s: $count"
