#!/usr/bin/python3
"""Feeds python3-dbusmock's upower template a discharging battery.

Usage: upower_battery.py setup
       upower_battery.py change     (then every second a new charge, until killed)

DBUS_SYSTEM_BUS_ADDRESS names the bus the mock is on. "setup" adds one
battery at 57 %, on battery power, and returns. "change" steps the display
device's charge down by one percent every second, from 79 % to 21 % and
round again (orange all the way, so the bar's colour and the warning never
change), in one PropertiesChanged signal each, as the real daemon sends it;
it prints "changing" once the first change is made.
"""

import sys
import time

import dbus

SERVICE = "org.freedesktop.UPower"
MANAGER = "/org/freedesktop/UPower"
DISPLAY_DEVICE = "/org/freedesktop/UPower/devices/DisplayDevice"
MOCK = "org.freedesktop.DBus.Mock"
DEVICE = "org.freedesktop.UPower.Device"
DISCHARGING = 2
BATTERY = 2


def mock(bus, path):
    return dbus.Interface(bus.get_object(SERVICE, path), MOCK)


def setup(bus):
    manager = mock(bus, MANAGER)
    manager.AddDischargingBattery("mock_BAT0", "Bench battery", 57.0, 3600)
    # type state percentage energy energy-full rate time-to-empty time-to-full present icon warning
    manager.SetupDisplayDevice(BATTERY, DISCHARGING, 57.0, 57.0, 100.0, 10.0, 3600, 0, True, "", 1)
    props = dbus.Interface(bus.get_object(SERVICE, MANAGER), "org.freedesktop.DBus.Properties")
    props.Set(SERVICE, "OnBattery", dbus.Boolean(True, variant_level=1))


def change(bus):
    device = mock(bus, DISPLAY_DEVICE)
    step = 0
    next_at = time.monotonic()
    while True:
        percent = 79.0 - step % 59
        device.UpdateProperties(DEVICE, {"Percentage": dbus.Double(percent),
                                         "Energy": dbus.Double(percent)})
        if step == 0:
            print("changing", flush=True)
        step += 1
        next_at += 1.0
        time.sleep(max(0.0, next_at - time.monotonic()))


def main():
    if len(sys.argv) != 2 or sys.argv[1] not in ("setup", "change"):
        sys.exit(__doc__)
    bus = dbus.SystemBus()
    if sys.argv[1] == "setup":
        setup(bus)
    else:
        change(bus)


if __name__ == "__main__":
    main()
