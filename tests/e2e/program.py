"""The built program in an application folder of the test's own, and what it shows."""

import os
import shutil
import subprocess
import time
from pathlib import Path

from desktop import luminance
from processes import wait_equal, wait_until

WINDOW_CLASS = "Dimmerling"
TITLE = "Dimmerling"
KEYS = ("MoveMouseOver", "EnableSettings", "EnableTray", "HideWhenFull", "WarnBelow20", "ShowPercentage")
SHIPPED = dict.fromkeys(KEYS, "1") | {"HideWhenFull": "0"}

# The meter: 257x17 px at y = 2, at the right place (work-area right edge
# less 5000 twips), or at the left place x = 17.
WIDTH, HEIGHT, TOP, LEFT_PLACE = 257, 17, 2, 17


def right_place(work_area_right):
    """Left edge in px of the meter at the right place, rounded as the program rounds twips."""
    return int((work_area_right * 15 - 5000) / 15 + 0.5)


def wait_at_right_place(run):
    """Waits until the meter stands at the right place of the work area; returns that place."""
    right = (right_place(run.desktop.work_area()[2]), TOP)
    wait_equal(run.program.place, right, 2, "the meter's place")
    return right


def alpha_for(charge):
    """The meter's alpha at a charge in %: 50 when full, 250 when empty."""
    return (100 - charge) * 2 + 50


def settings_ini(**values):
    """A settings file with the six keys, as shipped ("1" but HideWhenFull "0") unless given."""
    values = {**SHIPPED, **values}
    lines = ["[PowerMenu]"] + [f"{key}={values[key]}" for key in KEYS]
    return ("\n".join(lines) + "\n").encode()


def text_pixels(meter):
    """Where a picture of the meter is dark well inside: only the percentage is drawn dark."""
    x0, y0 = 40, 3
    return [(x0 + x, y0 + y) for y, row in enumerate(meter.rows(y0, HEIGHT - 3, x0, WIDTH - 40))
            for x, p in enumerate(row) if luminance(p) < 100]


class Program:
    def __init__(self, processes, desktop, battery, folder, binary, user=None):
        self.user = user
        self.processes = processes
        self.desktop = desktop
        self.battery = battery
        self.folder = folder
        self.binary = binary
        self.process = None
        self.meter = None

    @property
    def settings_path(self):
        return self.folder / "settings.ini"

    @property
    def home(self):
        """Another user's home; the desktop's otherwise."""
        return self.folder.parent / "home" if self.user is not None else Path(self.desktop.env["HOME"])

    def lay_out(self, settings):
        """The folder holds a copy of the program and, unless None, these settings bytes."""
        self.folder.mkdir()
        if self.user is not None:
            self.home.mkdir()
        # A copy, not a link: the program finds its settings beside its real path.
        shutil.copy2(self.binary, self.folder / "dimmerling")
        if settings is not None:
            self.settings_path.write_bytes(settings)

    def start(self, timeout=10):
        runtime = self.folder.parent / "xdg-runtime"
        runtime.mkdir(mode=0o700, exist_ok=True)
        env = dict(self.desktop.env, DBUS_SYSTEM_BUS_ADDRESS=self.battery.address,
                   XDG_RUNTIME_DIR=str(runtime), QT_QPA_PLATFORM="xcb")
        command = [str(self.folder / "dimmerling")]
        if self.user is not None:
            env.update(HOME=str(self.home), XDG_CONFIG_HOME=str(self.home / ".config"))
            for folder in (self.home, runtime):
                os.chown(folder, self.user, self.user)
            command = ["setpriv", f"--reuid={self.user}", f"--regid={self.user}", "--clear-groups"] + command
        self.process = self.processes.start("dimmerling", command, env, cwd=self.folder.parent)
        self.meter = wait_until(self._find_meter, timeout, "the meter window")

    def _find_meter(self):
        assert self.process.poll() is None, f"the program ended with status {self.process.returncode}"
        for window in self.desktop.windows_named(f"^{TITLE}$", visible=False, pid=self.process.pid):
            geometry = self.desktop.geometry(window)
            if geometry and (geometry.width, geometry.height) == (WIDTH, HEIGHT):
                return window
        return None

    # What the user sees of it --------------------------------------------

    def place(self):
        """The meter's (x, y) when shown, else None."""
        geometry = self.desktop.geometry(self.meter)
        return (geometry.x, geometry.y) if geometry and geometry.viewable else None

    def shown(self):
        geometry = self.desktop.geometry(self.meter)
        return bool(geometry and geometry.viewable)

    def alpha(self):
        return self.desktop.alpha(self.meter)

    def on_every_workspace(self):
        desktop = self.desktop.property(self.meter, "_NET_WM_DESKTOP")
        state = self.desktop.property(self.meter, "_NET_WM_STATE") or ""
        return desktop == "4294967295" or "_NET_WM_STATE_STICKY" in state

    def boxes(self, title):
        """Shown windows of the program titled exactly title, the meter aside."""
        return [w for w in self.desktop.windows_named(f"^{title}$", pid=self.process.pid) if w != self.meter]

    def tray_icons(self):
        return self.desktop.tray_icons(WINDOW_CLASS)

    def menu(self, timeout=2):
        """Waits for the context menu; its window."""
        return wait_until(lambda: self.desktop.popup_menus(WINDOW_CLASS), timeout, "the context menu")[0]

    def wait_alpha(self, expected, timeout=1.0):
        wait_equal(self.alpha, expected, timeout, "the meter's alpha")

    def wait_exit(self, timeout):
        """The exit status, and how long the program took to end, in s."""
        began = time.monotonic()
        try:
            status = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program still runs {timeout} s later") from None
        return status, time.monotonic() - began
