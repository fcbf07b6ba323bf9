"""Ending the program: the menu's Exit and SIGTERM both end it at once, cleanly."""

import signal

import pytest

from processes import wait_equal, wait_until
from program import TOP, right_place, settings_ini

EXIT_SECONDS = 1.0


def _started_with_tray_icon(launch, move_mouse_over):
    run = launch(settings_ini(MoveMouseOver=move_mouse_over), tray="bottom")
    wait_until(run.program.place, 2, "the meter shown")
    wait_until(run.program.tray_icons, 2, "the tray icon")
    return run


def _right_click_meter(run):
    right = (right_place(run.desktop.work_area()[2]), TOP)
    wait_equal(run.program.place, right, 2, "the meter's place")
    run.desktop.click(right[0] + 128, right[1] + 9, button=3)


def _right_click_tray_icon(run):
    icon = run.desktop.geometry(run.program.tray_icons()[0])
    run.desktop.click(icon.x + icon.width // 2, icon.y + icon.height // 2, button=3)


def _assert_ends_cleanly(run):
    status, seconds = run.program.wait_exit(EXIT_SECONDS)
    assert status == 0
    assert seconds <= EXIT_SECONDS
    assert not run.program.tray_icons(), "the tray icon is gone"


# The meter takes right clicks only in click mode; mouseover mode leaves the tray icon.
@pytest.mark.parametrize("move_mouse_over, right_click", [
    ("0", _right_click_meter),
    ("1", _right_click_tray_icon),
], ids=["meter", "tray-icon"])
def test_exit_in_the_menu_ends_with_status_0_within_a_second(launch, move_mouse_over, right_click):
    run = _started_with_tray_icon(launch, move_mouse_over)
    right_click(run)
    run.program.menu()
    # Up from no selection wraps round to the last item, Exit.
    run.desktop.keys("Up", "Return")
    _assert_ends_cleanly(run)


def _sigterm(run):
    run.program.process.send_signal(signal.SIGTERM)


def _window_manager_close(run):
    # As Alt+F4 or a task switcher would: the manager asks the window to close.
    run.desktop.tool("wmctrl", "-i", "-c", str(run.program.meter))


@pytest.mark.parametrize("end", [_sigterm, _window_manager_close], ids=["SIGTERM", "window-manager-close"])
def test_ending_otherwise_is_like_exit_and_the_next_start_works(launch, end):
    run = _started_with_tray_icon(launch, "1")
    end(run)
    _assert_ends_cleanly(run)
    run.program.start()
    wait_until(run.program.tray_icons, 2, "the tray icon of the next start")
