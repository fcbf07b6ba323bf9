"""A private X11 desktop for one test: Xvfb, openbox, xcompmgr and, when asked, trayer.

Everything here looks at the desktop the way any other X client could
(xwininfo, xprop, xdotool, import) and acts through xdotool.
"""

import os
import re
import shlex
import subprocess
from typing import NamedTuple

import dbus

from processes import read_line, run, wait_equal, wait_until

START_SECONDS = 10
TRAY_THICKNESS = 30
STATUS_TRAY = "status"
WATCHER = "org.kde.StatusNotifierWatcher"
# xfce4-panel along the bottom holding only its status tray, which shows
# StatusNotifier items and asks them for their menus over D-Bus.
XFCE_PANEL_CONFIG = f"""<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array"><value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="{TRAY_THICKNESS}"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property>
</channel>
"""
_PPM_FIELD = re.compile(rb"\s*(#[^\n]*\n\s*)*(\S+)")


class Geometry(NamedTuple):
    x: int
    y: int
    width: int
    height: int
    viewable: bool
    override_redirect: bool


class Image:
    """An RGB picture read from a binary PPM."""

    def __init__(self, ppm):
        fields, offset = [], 0
        while len(fields) < 4:
            match = _PPM_FIELD.match(ppm, offset)
            fields.append(match.group(2))
            offset = match.end()
        assert fields[0] == b"P6" and fields[3] == b"255", f"not an 8-bit PPM: {fields}"
        self.width, self.height = int(fields[1]), int(fields[2])
        self._data = ppm[offset + 1:]

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self._data[at:at + 3])

    def rows(self, y0, y1, x0, x1):
        """Pixels of the rectangle, row by row."""
        return [[self.pixel(x, y) for x in range(x0, x1)] for y in range(y0, y1)]


def luminance(rgb):
    r, g, b = rgb
    return 0.299 * r + 0.587 * g + 0.114 * b


def monitor_geometry(monitor):
    """("NAME", (width, height, x, y)) of a monitor written "NAME WxH+X+Y"."""
    name, geometry = monitor.split()
    return name, tuple(int(n) for n in re.split(r"[x+]", geometry))


def _ints(text):
    return [int(n, 0) for n in re.findall(r"0x[0-9a-fA-F]+|\d+", text)]


def _xprop_value(text):
    # "NAME(TYPE) = value", "NAME(WINDOW): window id # 0x..", or "NAME:  not found."
    match = re.match(r"[^\s(:=]+(?:\([^)]*\))?\s*[:=]\s*(.*)", text, re.S)
    if not match or match.group(1).startswith(("not found", "no such atom")):
        return None
    return match.group(1).strip()


class Desktop:
    def __init__(self, processes, work_dir, screen="1280x800", tray_edge=None, theme=None, monitors=None):
        self.processes = processes
        self.work_dir = work_dir
        self.screen = screen
        self.monitors = monitors
        self.tray_edge = tray_edge
        self.theme = theme
        self.display = None
        self.env = None

    def start(self):
        """Starts the X server, then the window and compositing managers side by side, then the tray."""
        self._start_server()
        home = self.work_dir / "home"
        home.mkdir()
        self.env = {"PATH": os.environ["PATH"], "HOME": str(home), "DISPLAY": self.display,
                    "XDG_CONFIG_HOME": str(home / ".config"), "LANG": "C.UTF-8",
                    "DBUS_SESSION_BUS_ADDRESS": "unix:path=/nonexistent"}
        if self.theme:
            self._use_theme(home / ".config")
        # The first monitor takes over the screen's own output; the others stand on none.
        for index, monitor in enumerate(self.monitors or []):
            self.plug_monitor(monitor, "screen" if index == 0 else "none")
        # openbox runs its start-up command once it manages the screen fully;
        # the check window it sets up earlier comes too soon for a dock.
        started = self.work_dir / "openbox-started"
        self.processes.start("openbox", ["openbox", "--sm-disable", "--startup",
                                          f"touch {shlex.quote(str(started))}"], self.env)
        self.processes.start("xcompmgr", ["xcompmgr"], self.env)
        wait_until(started.exists, START_SECONDS, "openbox manages the screen")
        # Only a panel mapped under a running openbox gets its strut into the work area.
        if self.tray_edge == STATUS_TRAY:
            self._start_status_tray(home / ".config")
        elif self.tray_edge:
            self._start_tray()
        wait_until(lambda: '"xcompmgr"' in self.tool("xwininfo", "-root", "-children"),
                   START_SECONDS, "xcompmgr composites the screen")
        if self.tray_edge and self.tray_edge != STATUS_TRAY:
            self._wait_for_tray()

    def _use_theme(self, config):
        """Qt programs take their palette from one of qt6ct's colour schemes."""
        (config / "qt6ct").mkdir(parents=True)
        (config / "qt6ct" / "qt6ct.conf").write_text(
            "[Appearance]\ncustom_palette=true\n"
            f"color_scheme_path=/usr/share/qt6ct/colors/{self.theme}.conf\n")
        self.env["QT_QPA_PLATFORMTHEME"] = "qt6ct"

    def _start_server(self):
        # Xvfb picks a free display itself and tells us which: no races
        # with other tests running at the same time.
        read_end, write_end = os.pipe()
        try:
            self.processes.start("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                          f"{self.screen}x24", "-nolisten", "tcp", "-noreset", "-br"],
                                 {"PATH": os.environ["PATH"]}, pass_fds=[write_end])
            os.close(write_end)
            self.display = ":" + read_line(read_end, START_SECONDS, "Xvfb display number")
        finally:
            os.close(read_end)

    def _start_tray(self):
        size = ["--height", str(TRAY_THICKNESS)] if self.tray_edge in ("top", "bottom") else \
            ["--widthtype", "pixel", "--width", str(TRAY_THICKNESS)]
        self.processes.start("trayer", ["trayer", "--edge", self.tray_edge, "--SetDockType", "true",
                                        "--SetPartialStrut", "true", *size], self.env)

    def _start_status_tray(self, config):
        """xfce4-panel's status tray, on a session bus of this desktop's own."""
        daemon = self.processes.start("session-bus", ["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                      self.env, stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = read_line(daemon.stdout.fileno(), START_SECONDS, "session bus")
        channels = config / "xfce4" / "xfconf" / "xfce-perchannel-xml"
        channels.mkdir(parents=True)
        (channels / "xfce4-panel.xml").write_text(XFCE_PANEL_CONFIG)
        self.processes.start("xfce4-panel", ["xfce4-panel", "--disable-wm-check"], self.env)
        # The program looks for a host once, as it starts: it must be there.
        wait_until(lambda: self._watcher_property("IsStatusNotifierHostRegistered"), START_SECONDS,
                   "xfce4-panel's status tray")

    def _watcher_property(self, name):
        bus = dbus.bus.BusConnection(self.env["DBUS_SESSION_BUS_ADDRESS"])
        try:
            watcher = bus.get_object(WATCHER, "/StatusNotifierWatcher")
            return watcher.Get(WATCHER, name, dbus_interface=dbus.PROPERTIES_IFACE)
        except dbus.DBusException:
            return None
        finally:
            bus.close()

    def _wait_for_tray(self):
        wait_until(self.tray_panel, START_SECONDS, "trayer's panel")
        full = tuple(int(n) for n in self.screen.split("x"))
        # The program reads the work area once, at start: the strut must be in it.
        wait_until(lambda: self.work_area()[2:] != full, START_SECONDS, "the work area leaves room for the tray")

    def plug_monitor(self, monitor, output="none"):
        """A monitor "NAME WxH+X+Y" on the one X screen ("*NAME" makes it the primary)."""
        name, (width, height, x, y) = monitor_geometry(monitor)
        # About 100 dpi: only the pixels matter here.
        self.tool("xrandr", "--setmonitor", name, f"{width}/{width // 4}x{height}/{height // 4}+{x}+{y}", output)

    def unplug_monitor(self, name):
        # The last one unplugged leaves the screen's own output as the only monitor.
        self.tool("xrandr", "--delmonitor", name)

    def tool(self, *args, **kwargs):
        return run(args, self.env, **kwargs)

    # What other programs can see ---------------------------------------

    def geometry(self, window):
        """Where the window is on the screen, or None once it is gone."""
        text = self.tool("xwininfo", "-id", str(window), check=False)
        if "Absolute upper-left X" not in text:
            return None

        def field(name):
            return re.search(rf"{name}:\s*(\S+)", text).group(1)
        return Geometry(int(field("Absolute upper-left X")), int(field("Absolute upper-left Y")),
                        int(field("Width")), int(field("Height")), field("Map State") == "IsViewable",
                        field("Override Redirect State") == "yes")

    def property(self, window, name):
        """The property's value as xprop prints it, or None when the window lacks it."""
        return _xprop_value(self.tool("xprop", "-id", str(window), name, check=False))

    def root_property(self, name):
        return _xprop_value(self.tool("xprop", "-root", name))

    def alpha(self, window):
        """_NET_WM_WINDOW_OPACITY as 0..255, or None when unset (opaque)."""
        value = self.property(window, "_NET_WM_WINDOW_OPACITY")
        return None if value is None else round(int(value) * 255 / 0xFFFFFFFF)

    def work_area(self):
        return tuple(_ints(self.root_property("_NET_WORKAREA"))[:4])

    def stacking(self):
        """Managed windows, bottom to top."""
        return _ints(self.root_property("_NET_CLIENT_LIST_STACKING").split("#", 1)[1])

    def active_window(self):
        value = self.root_property("_NET_ACTIVE_WINDOW")
        return _ints(value.split("#", 1)[1])[0] if value and "#" in value else None

    def windows_named(self, pattern, visible=True, pid=None):
        """Client windows whose title matches the regular expression."""
        args = ["xdotool", "search", "--all"]
        if visible:
            args.append("--onlyvisible")
        if pid is not None:
            args += ["--pid", str(pid)]
        return [int(w) for w in self.tool(*args, "--name", pattern, check=False).split()]

    def top_level_windows(self, window_class):
        """Windows directly on the root (unframed) of the given WM_CLASS class."""
        text = self.tool("xwininfo", "-root", "-children")
        return [int(w, 16) for w in re.findall(rf'^\s*(0x[0-9a-f]+) .*\("[^"]*" "{window_class}"\)', text, re.M)]

    def popup_menus(self, window_class):
        """Shown pop-up menus of the program; not its tool tips, which pop up as well."""
        return [w for w in self.top_level_windows(window_class)
                if (g := self.geometry(w)) and g.viewable and g.override_redirect
                and "TOOLTIP" not in (self.property(w, "_NET_WM_WINDOW_TYPE") or "")]

    def tray_panel(self):
        match = re.search(r'^\s*(0x[0-9a-f]+) "panel": \("panel" "trayer"\)',
                          self.tool("xwininfo", "-root", "-tree"), re.M)
        return int(match.group(1), 16) if match else None

    def status_icon_centre(self):
        """Where xfce4-panel draws the one status icon: the middle of its tray's first slot."""
        panels = re.findall(r'"xfce4-panel": \("xfce4-panel" "Xfce4-panel"\)\s+(\d+)x\d+\+\d+\+\d+\s+\+(\d+)\+(\d+)',
                            self.tool("xwininfo", "-root", "-tree"))
        _, x, y = max(panels, key=lambda panel: int(panel[0]))
        return int(x) + TRAY_THICKNESS // 2 - 4, int(y) + TRAY_THICKNESS // 2

    def tray_icons(self, window_class):
        """Icons of the program's class in the notification area (StatusNotifier items by their bus names)."""
        if self.tray_edge == STATUS_TRAY:
            return list(self._watcher_property("RegisteredStatusNotifierItems") or [])
        tree = self.tool("xwininfo", "-id", str(self.tray_panel()), "-tree")
        return [int(w, 16) for w in re.findall(rf'^\s*(0x[0-9a-f]+) .*\("[^"]*" "{window_class}"\)', tree, re.M)]

    def screenshot(self, path):
        self.tool("import", "-silent", "-window", "root", str(path))

    def grab(self, window="root"):
        """The window's own pixels (before compositing), or the screen as shown for root."""
        return Image(self.tool("import", "-silent", "-window", str(window), "-depth", "8", "ppm:-", binary=True))

    # What a user does ----------------------------------------------------

    def pointer(self):
        found = re.search(r"x:(\d+) y:(\d+)", self.tool("xdotool", "getmouselocation"))
        return int(found.group(1)), int(found.group(2))

    def move_pointer(self, x, y):
        # Not "mousemove --sync": it waits forever when the pointer is already there.
        self.tool("xdotool", "mousemove", str(x), str(y))
        wait_equal(self.pointer, (x, y), 2, "the pointer's place")

    def click(self, x, y, button=1):
        self.move_pointer(x, y)
        self.tool("xdotool", "click", str(button))

    def keys(self, *names):
        self.tool("xdotool", "key", *names)

    def activate(self, window):
        """Gives the window the focus, as clicking its title would."""
        self.tool("xdotool", "windowactivate", str(window), check=False)
        wait_equal(self.active_window, window, 2, "the active window")
