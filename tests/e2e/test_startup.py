"""Start-up place, size, stacking and opacity, and following the battery."""

import time

import pytest

from processes import wait_equal, wait_until
from program import HEIGHT, TOP, WIDTH, alpha_for, right_place, settings_ini, text_pixels

FOLLOW_SECONDS = 1.0


# The dark theme's button text is white: the percentage must still be drawn dark.
@pytest.mark.parametrize("screen, tray, charge, theme", [
    ("1280x800", None, 100, "darker"),
    ("1024x768", None, 50, None),
    ("1280x800", "right", 0, None),
])
def test_starts_at_the_right_place_above_others_at_the_charge_opacity(launch, screen, tray, charge, theme):
    # No warning box: it would cover the meter.
    run = launch(settings_ini(WarnBelow20="0"), charge=charge, tray=tray, screen=screen, theme=theme)
    desktop, program = run.desktop, run.program
    work_right = desktop.work_area()[0] + desktop.work_area()[2]
    if tray == "right":
        assert work_right < int(screen.split("x")[0]), "the tray on the right narrows the work area"

    wait_equal(program.place, (right_place(work_right), TOP), 2, "the meter's place")
    geometry = desktop.geometry(program.meter)
    assert (geometry.width, geometry.height) == (WIDTH, HEIGHT)
    assert "_NET_WM_STATE_ABOVE" in desktop.property(program.meter, "_NET_WM_STATE")
    program.wait_alpha(alpha_for(charge))
    wait_until(lambda: text_pixels(desktop.grab(program.meter)), 1, "the percentage drawn")
    assert program.on_every_workspace()
    desktop.tool("xdotool", "set_desktop", "1")
    wait_equal(lambda: desktop.root_property("_NET_CURRENT_DESKTOP"), "1", 2, "the second workspace")
    assert program.shown(), "the meter shows on the second workspace too"


def test_stays_above_a_window_the_user_brings_to_the_front(launch):
    run = launch(settings_ini())
    desktop, program = run.desktop, run.program
    x, y = wait_until(program.place, 2, "the meter shown")
    other = run.desktop.processes.start("xev", ["xev", "-geometry", f"400x200+{x - 100}+0"], desktop.env)
    window = wait_until(lambda: desktop.windows_named("^Event Tester$"), 5, "the other window")[0]
    desktop.activate(window)
    wait_until(lambda: window in desktop.stacking(), 2, "the other window managed")
    stack = desktop.stacking()
    assert stack.index(program.meter) > stack.index(window), "the meter is above the active window"
    assert other.poll() is None


def test_opacity_follows_the_battery_within_a_second(launch):
    run = launch(settings_ini(WarnBelow20="0"), charge=100)
    program = run.program
    program.wait_alpha(alpha_for(100), timeout=2)
    for charge in (50, 0, 1, 99, 100):
        began = time.monotonic()
        run.battery.set_charge(charge)
        program.wait_alpha(alpha_for(charge), timeout=FOLLOW_SECONDS)
        assert time.monotonic() - began < FOLLOW_SECONDS


def _blend(colour, alpha, under):
    return tuple(round(c * alpha / 255 + u * (255 - alpha) / 255) for c, u in zip(colour, under))


@pytest.mark.parametrize("charge", [100, 50, 10])
def test_the_screen_shows_the_meter_translucent(launch, charge):
    run = launch(settings_ini(WarnBelow20="0"), charge=charge)
    desktop, program = run.desktop, run.program
    x, y = wait_until(program.place, 2, "the meter shown")
    program.wait_alpha(alpha_for(charge))
    # Inside the bar's left end, away from the text and the outline.
    own = desktop.grab(program.meter).pixel(5, 8)
    seen = {}

    def composited():
        screen = desktop.grab()
        seen["pixel"] = screen.pixel(x + 5, y + 8)
        seen["expected"] = _blend(own, alpha_for(charge), screen.pixel(x + 5, y + HEIGHT + 10))
        return all(abs(s - e) <= 2 for s, e in zip(seen["pixel"], seen["expected"]))

    wait_until(composited, 1, "the composited pixel", detail=lambda: seen)


@pytest.mark.parametrize("on_ac, colour", [(True, (128, 128, 255)), (False, (255, 255, 255))])
def test_the_outline_shows_the_ac_state(launch, on_ac, colour):
    run = launch(settings_ini(), charge=50, on_ac=not on_ac)
    desktop, program = run.desktop, run.program
    wait_until(program.place, 2, "the meter shown")
    run.battery.set_ac(on_ac)
    # Right of the half-full bar the meter's own background shows.
    wait_equal(lambda: desktop.grab(program.meter).pixel(WIDTH - 20, 8), colour, 1, "the background")
