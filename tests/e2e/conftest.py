"""End-to-end tests of the built program on a private X11 desktop and system bus.

Run by CTest (label e2e):  python3 -m pytest tests/e2e --program build/src/dimmerling
    --artefacts build/tests/e2e/artefacts
"""

import contextlib
import pathlib
import re
import shutil
import signal
import tempfile
from pathlib import Path

import pytest

from desktop import Desktop
from processes import Processes
from program import Program
from upower import UPowerMock

HERE = pathlib.Path(__file__).parent
# Generous against the few seconds a test takes; CTest bounds each file too.
TEST_TIMEOUT_SECONDS = 30


def pytest_addoption(parser):
    parser.addoption("--program", required=True, type=pathlib.Path, help="the built dimmerling")
    parser.addoption("--artefacts", type=pathlib.Path, default=pathlib.Path("e2e-artefacts"),
                     help="where failed tests leave screenshots and logs")


def pytest_sessionstart(session):
    # Evidence left by an earlier run must not be mistaken for this one's.
    shutil.rmtree(session.config.getoption("--artefacts"), ignore_errors=True)


class RanTooLong(Exception):
    pass


def _on_alarm(signum, frame):
    raise RanTooLong(f"the test ran longer than {TEST_TIMEOUT_SECONDS} s")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_call(item):
    # Only around the test body: the clean-up must still run after a timeout.
    previous = signal.signal(signal.SIGALRM, _on_alarm)
    signal.alarm(TEST_TIMEOUT_SECONDS)
    try:
        yield
    finally:
        signal.alarm(0)
        signal.signal(signal.SIGALRM, previous)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    if report.failed:
        item.e2e_failed = True


def pytest_sessionfinish(session, exitstatus):
    # A run that found no tests is a failure, whoever reads the status.
    if exitstatus == pytest.ExitCode.NO_TESTS_COLLECTED:
        session.exitstatus = pytest.ExitCode.TESTS_FAILED


class Run:
    """One test's desktop, battery and program."""

    def __init__(self, desktop, battery, program):
        self.desktop = desktop
        self.battery = battery
        self.program = program


@pytest.fixture
def launch(request, tmp_path):
    """launch(settings=bytes|None, charge=%, on_ac=bool, tray=edge|None, screen="WxH", theme=qt6ct scheme|None,
    user=uid|None, monitors=["NAME WxH+X+Y", ...]|None) -> Run.

    Starts Xvfb, openbox, xcompmgr, trayer when tray is given, a system bus with
    the UPower mock, then the program in a fresh folder (root's, with its own home, for another
    user); waits for the meter.
    """
    logs = tmp_path / "logs"
    logs.mkdir()
    shared = contextlib.ExitStack()
    processes = Processes(logs)
    runs = []

    def start(settings, charge=100, on_ac=False, tray=None, screen="1280x800", theme=None, user=None,
              monitors=None):
        assert not runs, "one program per test"
        desktop = Desktop(processes, tmp_path, screen=screen, tray_edge=tray, theme=theme, monitors=monitors)
        battery = UPowerMock(processes, HERE / "system-bus.conf")
        # Another user must reach the program's folder and a home of their own.
        top = tmp_path if user is None else Path(shared.enter_context(tempfile.TemporaryDirectory()))
        top.chmod(0o755)
        program = Program(processes, desktop, battery, top / "app", request.config.getoption("--program"), user)
        runs.append(Run(desktop, battery, program))
        # The mock's start-up overlaps the desktop's.
        battery.spawn()
        desktop.start()
        battery.ready(charge, on_ac)
        program.lay_out(settings)
        program.start()
        return runs[0]

    yield start

    failed = getattr(request.node, "e2e_failed", False)
    folder = request.config.getoption("--artefacts") / re.sub(r"[^\w.-]+", "_", request.node.name)
    try:
        if failed:
            shutil.rmtree(folder, ignore_errors=True)
            folder.mkdir(parents=True)
            _screenshot(runs, folder)
    finally:
        for run in runs:
            run.battery.close()
        processes.stop_all()
        shared.close()
    if failed:
        shutil.copytree(logs, folder / "logs")
        settings = tmp_path / "app" / "settings.ini"
        if settings.exists():
            shutil.copy2(settings, folder / "settings.ini")


def _screenshot(runs, folder):
    if not runs or not runs[0].desktop.env:
        return
    try:
        runs[0].desktop.screenshot(folder / "screen.png")
    except Exception as error:  # the evidence must not hide the failure
        (folder / "screenshot-failed.txt").write_text(str(error))
