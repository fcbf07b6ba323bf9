"""Right click, Settings: Save writes the six keys and nothing else; Cancel writes nothing."""

import pytest

from processes import wait_equal, wait_until
from program import KEYS, TITLE, wait_at_right_place

DIALOG = "Dimmerling Settings"
SAVED_BOX = TITLE
# Client coordinates in the dialog: the buttons' and the first box's centres.
SAVE = (264, 316)
CANCEL = (176, 316)
HIDE_WHEN_FULL = (24, 32)

# Hand-edited: comments, other sections holding the same key names, an
# unknown key, keys out of order and HideWhenFull missing.
EDITED = b"""; Dimmerling settings, edited by hand
[Display]
ShowPercentage=keep
[PowerMenu]
EnableSettings=1
Colour=blue
MoveMouseOver=0
EnableTray=1
WarnBelow20=1
ShowPercentage=1

[Notes]
HideWhenFull=leave me
"""


def _sections(text):
    """[(section, line)] for every line; section None before the first header."""
    section, lines = None, []
    for line in text.splitlines():
        if line.startswith("["):
            section = line.strip("[]")
        lines.append((section, line))
    return lines


def _is_setting(section, line):
    return section == "PowerMenu" and line.split("=", 1)[0] in KEYS


def _open_settings(run):
    desktop, program = run.desktop, run.program
    right = wait_at_right_place(run)
    pointer = (right[0] + 128, right[1] + 9)
    desktop.click(*pointer, button=3)
    menu = program.menu()
    assert desktop.geometry(menu)[:2] == pointer, "the menu opens at the pointer"
    # About, Settings, separator, Exit.
    desktop.keys("Down", "Down", "Return")
    dialog = wait_until(lambda: program.boxes(DIALOG), 2, "the settings dialog")[0]
    return dialog, desktop.geometry(dialog)


def _click_in(desktop, geometry, point):
    desktop.click(geometry.x + point[0], geometry.y + point[1])


def _link_through_a_linked_folder(program):
    """settings.ini -> sub/settings.ini, sub -> far/dir, far/dir/settings.ini -> ../real.ini:
    the kernel reads far/real.ini, where taken as text the last link names real.ini."""
    folder = program.folder
    (folder / "far" / "dir").mkdir(parents=True)
    program.settings_path.rename(folder / "far" / "real.ini")
    (folder / "far" / "dir" / "settings.ini").symlink_to("../real.ini")
    (folder / "sub").symlink_to("far/dir")
    program.settings_path.symlink_to("sub/settings.ini")


@pytest.mark.parametrize("linked", [False, True], ids=["file", "relative-links-through-a-linked-folder"])
def test_save_writes_the_six_keys_and_keeps_every_other_line(launch, linked):
    run = launch(EDITED, charge=99)
    desktop, program = run.desktop, run.program
    if linked:
        _link_through_a_linked_folder(program)
    dialog, geometry = _open_settings(run)
    _click_in(desktop, geometry, HIDE_WHEN_FULL)
    _click_in(desktop, geometry, SAVE)
    box = wait_until(lambda: program.boxes(SAVED_BOX), 2, "the 'saved' box")[0]

    written = _sections(program.settings_path.read_text())
    settings = [line for section, line in written if _is_setting(section, line)]
    assert sorted(settings) == sorted(["MoveMouseOver=0", "EnableSettings=1", "EnableTray=1",
                                       "HideWhenFull=1", "WarnBelow20=1", "ShowPercentage=1"])
    others = [line for section, line in written if not _is_setting(section, line)]
    assert others == [line for section, line in _sections(EDITED.decode()) if not _is_setting(section, line)]
    assert program.settings_path.is_symlink() == linked
    assert not (program.folder / "real.ini").exists(), "nothing written beside the program"

    desktop.activate(box)
    desktop.keys("Return")
    wait_until(lambda: not program.boxes(SAVED_BOX) and not program.boxes(DIALOG), 2, "box and dialog closed")
    # Hiding when full takes effect at once.
    run.battery.set_charge(100)
    wait_equal(program.shown, False, 1, "the meter shown")


@pytest.mark.parametrize("change", [False, True])
def test_cancel_writes_nothing(launch, change):
    run = launch(EDITED)
    desktop, program = run.desktop, run.program
    before = program.settings_path.stat()
    dialog, geometry = _open_settings(run)
    if change:
        _click_in(desktop, geometry, HIDE_WHEN_FULL)
    _click_in(desktop, geometry, CANCEL)
    wait_until(lambda: not program.boxes(DIALOG), 2, "the dialog closed")
    after = program.settings_path.stat()
    assert program.settings_path.read_bytes() == EDITED
    assert (after.st_ino, after.st_mtime_ns) == (before.st_ino, before.st_mtime_ns)
    assert not program.boxes(SAVED_BOX)
