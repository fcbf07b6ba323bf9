"""Unmapped when full, and dodging the pointer to the left place and back."""

import pytest

from desktop import monitor_geometry
from processes import stays, wait_equal, wait_until
from program import HEIGHT, LEFT_PLACE, TOP, WIDTH, right_place, settings_ini, wait_at_right_place

FOLLOW_SECONDS = 2.0


def test_unmaps_at_100_and_comes_back_at_99_on_every_workspace(launch):
    run = launch(settings_ini(HideWhenFull="1"), charge=99)
    program = run.program
    right = wait_until(program.place, 2, "the meter shown")
    run.battery.set_charge(100)
    wait_equal(program.shown, False, FOLLOW_SECONDS, "the meter shown")
    run.battery.set_charge(99)
    wait_equal(program.place, right, FOLLOW_SECONDS, "the meter's place")
    assert program.on_every_workspace(), "back on every workspace after hiding"


def _text_at(place):
    x, y = place
    return x + WIDTH // 2, y + HEIGHT // 2


def test_pointer_over_the_text_dodges_left_and_back(launch):
    run = launch(settings_ini(MoveMouseOver="1"))
    desktop, program = run.desktop, run.program
    right = wait_at_right_place(run)
    desktop.move_pointer(*_text_at(right))
    wait_equal(program.place, (LEFT_PLACE, TOP), FOLLOW_SECONDS, "the meter's place")
    assert program.on_every_workspace(), "still on every workspace after a dodge"
    desktop.move_pointer(*_text_at((LEFT_PLACE, TOP)))
    wait_equal(program.place, right, FOLLOW_SECONDS, "the meter's place")


def test_click_mode_ignores_the_pointer_and_dodges_on_click(launch):
    run = launch(settings_ini(MoveMouseOver="0"))
    desktop, program = run.desktop, run.program
    right = wait_at_right_place(run)
    desktop.move_pointer(*_text_at(right))
    stays(lambda: program.place() == right, 0.5, "the meter stays under the pointer")
    desktop.click(*_text_at(right))
    wait_equal(program.place, (LEFT_PLACE, TOP), FOLLOW_SECONDS, "the meter's place")
    desktop.click(*_text_at((LEFT_PLACE, TOP)))
    wait_equal(program.place, right, FOLLOW_SECONDS, "the meter's place")


@pytest.mark.parametrize("dodged, place_after", [(False, lambda: right_place(1024)), (True, lambda: LEFT_PLACE)],
                         ids=["right-place", "left-place"])
def test_a_smaller_screen_keeps_the_meter_at_its_side(launch, dodged, place_after):
    run = launch(settings_ini(MoveMouseOver="0"), screen="1280x1024")
    desktop, program = run.desktop, run.program
    right = wait_at_right_place(run)
    if dodged:
        desktop.click(*_text_at(right))
        wait_equal(program.place, (LEFT_PLACE, TOP), FOLLOW_SECONDS, "the meter's place")
    # As an external monitor unplugged: Xvfb knows only its start size until told another.
    desktop.tool("xrandr", "--newmode", "1024x768", "63.50", "1024", "1072", "1176", "1328",
                 "768", "771", "775", "798", "-hsync", "+vsync")
    desktop.tool("xrandr", "--addmode", "screen", "1024x768")
    desktop.tool("xrandr", "--output", "screen", "--mode", "1024x768")
    wait_equal(program.place, (place_after(), TOP), FOLLOW_SECONDS, "the meter's place")


# A laptop and an external monitor on one X screen; "*" marks the primary.
LAYOUTS = {
    "primary-left": ("1280x800", ["*LEFT 640x800+0+0", "RIGHT 640x800+640+0"]),
    "primary-right": ("1280x800", ["LEFT 640x800+0+0", "*RIGHT 640x800+640+0"]),
    "wide-primary-right": ("2560x1024", ["LEFT 1280x1024+0+0", "*RIGHT 1280x1024+1280+0"]),
    "primary-below": ("1280x1024", ["TOP 1280x512+0+0", "*BOTTOM 1280x512+0+512"]),
    "other-lower-left": ("2560x1024", ["*RIGHT 1280x1024+1280+0", "LEFT 1280x512+0+512"]),
}


def _places_on(monitor):
    """The right and the left place on a monitor "NAME WxH+X+Y" without panels."""
    _, (width, _, x, y) = monitor_geometry(monitor)
    return (x + right_place(width), y + TOP), (x + LEFT_PLACE, y + TOP)


@pytest.mark.parametrize("screen, monitors", LAYOUTS.values(), ids=LAYOUTS.keys())
def test_starts_and_dodges_on_the_primary_monitor(launch, screen, monitors):
    run = launch(settings_ini(MoveMouseOver="0"), screen=screen, monitors=monitors)
    program = run.program
    right, left = _places_on(next(m for m in monitors if m.startswith("*")))
    wait_equal(program.place, right, 2, "the meter's place")
    run.desktop.click(*_text_at(right))
    wait_equal(program.place, left, FOLLOW_SECONDS, "the meter's place")


def test_follows_the_primary_monitor_at_its_side(launch):
    laptop, external = "LEFT 640x800+0+0", "RIGHT 640x800+640+0"
    run = launch(settings_ini(MoveMouseOver="0"), monitors=["*" + laptop, external])
    desktop, program = run.desktop, run.program
    right, left = _places_on(laptop)
    wait_equal(program.place, right, 2, "the meter's place")
    desktop.click(*_text_at(right))
    wait_equal(program.place, left, FOLLOW_SECONDS, "the meter's place")

    def replug(monitor):
        desktop.unplug_monitor(monitor.lstrip("*").split()[0])
        desktop.plug_monitor(monitor)

    replug("*" + external)
    wait_equal(program.place, _places_on(external)[1], FOLLOW_SECONDS, "the left place on the new primary")
    # A dock switching: ten layouts within a second, the last with no primary
    # set, where Qt takes the first monitor.
    for index in range(10):
        replug(external if index % 2 else "*" + external)
    wait_equal(program.place, left, FOLLOW_SECONDS, "the left place on the final primary")
    replug("*" + external)
    wait_equal(program.place, _places_on(external)[1], FOLLOW_SECONDS, "the left place on the new primary")
    # The primary unplugged while the meter shows on it, then the other one too.
    desktop.unplug_monitor("RIGHT")
    wait_equal(program.place, left, FOLLOW_SECONDS, "the left place on the remaining monitor")
    desktop.unplug_monitor("LEFT")
    stays(lambda: program.place() == left, 0.5, "the meter stays at the left place of the screen's own output")
