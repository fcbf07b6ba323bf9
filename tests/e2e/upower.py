"""A private system bus with python3-dbusmock's UPower holding one battery."""

import subprocess

import dbus

from processes import read_line, wait_until

START_SECONDS = 10
SERVICE = "org.freedesktop.UPower"
MANAGER = "/org/freedesktop/UPower"
DISPLAY_DEVICE = "/org/freedesktop/UPower/devices/DisplayDevice"
MOCK = "org.freedesktop.DBus.Mock"

# org.freedesktop.UPower.Device values.
BATTERY_TYPE = 1
CHARGING, DISCHARGING, FULLY_CHARGED = 1, 2, 4


def _state(charge, on_ac):
    if not on_ac:
        return DISCHARGING
    return FULLY_CHARGED if charge >= 100 else CHARGING


class UPowerMock:
    def __init__(self, processes, bus_config):
        self.processes = processes
        self.bus_config = bus_config
        self.address = None
        self._bus = None
        self._on_ac = False

    def spawn(self):
        """Starts the bus and the mock without waiting for the mock."""
        daemon = self.processes.start("system-bus", ["dbus-daemon", "--nofork", "--config-file",
                                                     str(self.bus_config), "--print-address=1"],
                                      None, stdout=subprocess.PIPE)
        self.address = read_line(daemon.stdout.fileno(), START_SECONDS, "dbus-daemon address")
        env = {"DBUS_SYSTEM_BUS_ADDRESS": self.address, "PATH": "/usr/bin:/bin"}
        self.processes.start("upower-mock", ["/usr/bin/python3", "-m", "dbusmock", "--system",
                                             "--template", "upower"], env)

    def ready(self, charge, on_ac):
        """Waits for the mock; then the battery holds charge % and the AC is as given."""
        self._bus = dbus.bus.BusConnection(self.address)
        wait_until(lambda: self._bus.name_has_owner(SERVICE), START_SECONDS, "the UPower mock on the bus")
        self._mock(MANAGER).SetupDisplayDevice(BATTERY_TYPE, _state(charge, on_ac), float(charge), float(charge),
                                               100.0, 10.0, 3600, 0, True, "", 1)
        self.set_ac(on_ac)

    def close(self):
        if self._bus is not None:
            self._bus.close()
            self._bus = None

    def _mock(self, path):
        return dbus.Interface(self._bus.get_object(SERVICE, path), MOCK)

    def set_charge(self, charge):
        """Changes the battery's charge in %, as the daemon would announce it."""
        self._mock(MANAGER).SetDeviceProperties(DISPLAY_DEVICE, {
            "Percentage": dbus.Double(charge), "State": dbus.UInt32(_state(charge, self._on_ac))})

    def set_ac(self, on_ac):
        """Plugs the AC adapter in (True) or out."""
        manager = dbus.Interface(self._bus.get_object(SERVICE, MANAGER), dbus.PROPERTIES_IFACE)
        manager.Set(SERVICE, "OnBattery", dbus.Boolean(not on_ac))
        self._on_ac = on_ac
