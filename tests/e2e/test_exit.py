"""Ending the program: the menu's Exit (from the meter, an XEmbed tray or a
StatusNotifier host), SIGTERM and the window manager's close all end it at
once, cleanly."""

import signal

import dbus
import pytest

from desktop import STATUS_TRAY
from processes import stays, wait_equal, wait_until
from program import TOP, WINDOW_CLASS, right_place, settings_ini

EXIT_SECONDS = 1.0
XFCE_MENU_CLASS = "Wrapper-2.0"


def _started_with_tray_icon(launch, move_mouse_over, tray="bottom", enable_settings="1", charge=100):
    run = launch(settings_ini(MoveMouseOver=move_mouse_over, EnableSettings=enable_settings), tray=tray,
                 charge=charge)
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


def _right_click_status_icon(run):
    x, y = run.desktop.status_icon_centre()

    def drawn():
        # The panel is grey; the icon is the only colour there.
        square = run.desktop.grab().rows(y - 4, y + 4, x - 4, x + 4)
        return any(max(p) - min(p) > 60 for row in square for p in row)
    wait_until(drawn, 2, "the status icon drawn")
    run.desktop.click(x, y, button=3)


def _status_menu_items(run):
    """(label, enabled) of each item the StatusNotifier item offers its host."""
    bus = dbus.bus.BusConnection(run.desktop.env["DBUS_SESSION_BUS_ADDRESS"])
    try:
        item = run.program.tray_icons()[0].split("/")[0]
        menu = bus.get_object(item, "/StatusNotifierItem").Get(
            "org.kde.StatusNotifierItem", "Menu", dbus_interface=dbus.PROPERTIES_IFACE)
        _, (_, _, children) = bus.get_object(item, menu).GetLayout(
            0, -1, [], dbus_interface="com.canonical.dbusmenu")
        return [(str(props["label"]), bool(props.get("enabled", True)))
                for _, props, _ in children if "label" in props]
    finally:
        bus.close()


def _assert_ends_cleanly(run):
    status, seconds = run.program.wait_exit(EXIT_SECONDS)
    assert status == 0
    assert seconds <= EXIT_SECONDS
    assert not run.program.tray_icons(), "the tray icon is gone"


# The meter takes right clicks only in click mode; mouseover mode leaves the
# tray icon. A StatusNotifier host draws the menu itself, from the item's.
@pytest.mark.parametrize("move_mouse_over, tray, right_click, menu_class", [
    ("0", "bottom", _right_click_meter, WINDOW_CLASS),
    ("1", "bottom", _right_click_tray_icon, WINDOW_CLASS),
    ("1", STATUS_TRAY, _right_click_status_icon, XFCE_MENU_CLASS),
], ids=["meter", "xembed-tray-icon", "status-notifier-icon"])
def test_exit_in_the_menu_ends_with_status_0_within_a_second(launch, move_mouse_over, tray, right_click, menu_class):
    run = _started_with_tray_icon(launch, move_mouse_over, tray, enable_settings="0")
    if tray == STATUS_TRAY:
        assert _status_menu_items(run) == [("About", True), ("_Settings", False), ("E_xit", True)]
    right_click(run)
    wait_until(lambda: run.desktop.popup_menus(menu_class), 2, "the menu")
    stays(lambda: len(run.desktop.popup_menus(menu_class)) == 1
          and len(run.desktop.popup_menus(WINDOW_CLASS)) == (menu_class == WINDOW_CLASS), 0.3, "exactly one menu")
    # Up from no selection wraps round to the last item, Exit.
    run.desktop.keys("Up", "Return")
    _assert_ends_cleanly(run)


def _sigterm(run):
    run.program.process.send_signal(signal.SIGTERM)


def _window_manager_close(run):
    # As Alt+F4 or a task switcher would: the manager asks the window to close.
    run.desktop.tool("wmctrl", "-i", "-c", str(run.program.meter))


def _window_manager_close_over_a_warning_box(run):
    # Qt drops a close of a window that a modal box blocks.
    wait_until(lambda: run.program.boxes("Warning!"), 2, "the warning box")
    _window_manager_close(run)


@pytest.mark.parametrize("end, charge", [
    (_sigterm, 100), (_window_manager_close, 100), (_window_manager_close_over_a_warning_box, 15),
], ids=["SIGTERM", "window-manager-close", "window-manager-close-over-a-warning-box"])
def test_ending_otherwise_is_like_exit_and_the_next_start_works(launch, end, charge):
    run = _started_with_tray_icon(launch, "1", charge=charge)
    end(run)
    _assert_ends_cleanly(run)
    run.program.start()
    wait_until(run.program.tray_icons, 2, "the tray icon of the next start")
