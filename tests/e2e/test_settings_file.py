"""What the settings file turns off as the X server shows it, and a shared one read by another user."""

import os

import pytest

from desktop import luminance
from processes import stays, wait_until
from program import KEYS, WINDOW_CLASS, alpha_for, settings_ini, text_pixels
from test_settings_dialog import HIDE_WHEN_FULL, SAVE, SAVED_BOX

DIALOG = "Dimmerling Settings"


def _text_bands(menu):
    """(first row, last row, darkest luminance) of each line of text in a menu picture."""
    bands = []
    for y in range(1, menu.height - 1):
        darkest = min(luminance(menu.pixel(x, y)) for x in range(4, menu.width - 4))
        if darkest >= 240:
            continue
        if bands and bands[-1][1] == y - 1:
            bands[-1] = (bands[-1][0], y, min(bands[-1][2], darkest))
        else:
            bands.append((y, y, darkest))
    # Separators and underlines are a row or two; text is taller.
    return [band for band in bands if band[1] - band[0] >= 4]


@pytest.mark.parametrize("enabled", ["1", "0"])
def test_settings_in_the_menu_is_greyed_and_inert_when_disabled(launch, enabled):
    run = launch(settings_ini(MoveMouseOver="0", EnableSettings=enabled))
    desktop, program = run.desktop, run.program
    x, y = wait_until(program.place, 2, "the meter shown")
    desktop.click(x + 128, y + 9, button=3)
    menu = program.menu()
    about, settings, exit_ = _text_bands(desktop.grab(menu))
    assert about[2] < 100 and exit_[2] < 100, "About and Exit in dark text"
    assert (settings[2] < 100) == (enabled == "1"), f"Settings text luminance {settings[2]:.0f}"

    place = desktop.geometry(menu)
    desktop.click(place.x + place.width // 3, place.y + (settings[0] + settings[1]) // 2)
    if enabled == "1":
        wait_until(lambda: program.boxes(DIALOG), 2, "the settings dialog")
    else:
        stays(lambda: not program.boxes(DIALOG) and desktop.popup_menus(WINDOW_CLASS), 0.5,
              "no dialog, the menu still open")


def test_all_off_shows_no_icon_no_text_and_no_settings(launch):
    run = launch(settings_ini(**dict.fromkeys(KEYS, "0")), charge=50, tray="bottom")
    desktop, program = run.desktop, run.program
    wait_until(program.place, 2, "the meter shown")
    program.wait_alpha(alpha_for(50), timeout=2)
    assert not text_pixels(desktop.grab(program.meter)), "no percentage drawn"
    # The text hidden, no click reaches a menu; the keys still reach the meter.
    desktop.activate(program.meter)
    desktop.keys("F11")
    stays(lambda: not program.boxes(DIALOG) and not program.tray_icons(), 1.0, "no settings dialog, no tray icon")
    desktop.keys("ctrl+x")
    status, _ = program.wait_exit(1.0)
    assert status == 0, "ctrl+x (Exit) reached the meter, F11 (Settings) did not act"


NOBODY = 65534


@pytest.mark.skipif(os.geteuid() != 0, reason="starting the gauge as another user needs root")
def test_a_shared_folders_file_starts_the_users_own(launch):
    shared = b"; for every user\n" + settings_ini(ShowPercentage="0", EnableTray="0")
    run = launch(shared, user=NOBODY, tray="bottom")
    desktop, program = run.desktop, run.program
    wait_until(program.place, 2, "the meter shown")
    stays(lambda: not text_pixels(desktop.grab(program.meter)) and not program.tray_icons(), 0.5,
          "no percentage, no tray icon")
    desktop.activate(program.meter)
    desktop.keys("F11")
    dialog = desktop.geometry(wait_until(lambda: program.boxes(DIALOG), 2, "the settings dialog")[0])
    desktop.click(dialog.x + HIDE_WHEN_FULL[0], dialog.y + HIDE_WHEN_FULL[1])
    desktop.click(dialog.x + SAVE[0], dialog.y + SAVE[1])
    wait_until(lambda: program.boxes(SAVED_BOX), 2, "the 'saved' box")

    own = program.home / ".config" / "dimmerling" / "settings.ini"
    assert own.stat().st_uid == NOBODY
    assert own.read_bytes() == shared.replace(b"HideWhenFull=0", b"HideWhenFull=1")
    assert program.settings_path.read_bytes() == shared
