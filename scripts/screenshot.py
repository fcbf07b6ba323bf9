#!/usr/bin/python3
"""Remakes dist/screenshot.png, the software centres' screenshot (AppStream):
the gauge at 57 % on battery, on the end-to-end tests' private X11 desktop
and UPower mock (scripts/setup.sh test installs them).

Usage: /usr/bin/python3 scripts/screenshot.py [program, default build/src/dimmerling]
"""

import pathlib
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from desktop import Desktop  # noqa: E402
from processes import Processes  # noqa: E402
from program import Program, settings_ini, wait_at_right_place  # noqa: E402
from upower import UPowerMock  # noqa: E402

SCREEN = "1280x720"
# The right part of the screen's top: the gauge and some desktop around it.
CROP = "640x360+640+0"


class _Run:
    def __init__(self, desktop, program):
        self.desktop, self.program = desktop, program


def main():
    binary = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "build" / "src" / "dimmerling"
    output = ROOT / "dist" / "screenshot.png"
    with tempfile.TemporaryDirectory() as folder:
        work = pathlib.Path(folder)
        (work / "logs").mkdir()
        processes = Processes(work / "logs")
        battery = UPowerMock(processes, ROOT / "tests" / "e2e" / "system-bus.conf")
        try:
            desktop = Desktop(processes, work, screen=SCREEN)
            battery.spawn()
            desktop.start()
            battery.ready(57, False)
            program = Program(processes, desktop, battery, work / "app", binary)
            program.lay_out(settings_ini())
            program.start()
            wait_at_right_place(_Run(desktop, program))
            program.wait_alpha(136)
            desktop.tool("import", "-silent", "-window", "root", "-crop", CROP, "+repage", "-strip", str(output))
        finally:
            battery.close()
            processes.stop_all()
    print(f"wrote {output}")


if __name__ == "__main__":
    main()
