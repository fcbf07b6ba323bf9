"""Right click, Settings: the real dialog centred on the work area; a clicked box reaches the file on Save, not on Cancel."""

import pytest

from processes import wait_until
from program import TITLE, settings_ini, wait_at_right_place

DIALOG = "Dimmerling Settings"
SAVED_BOX = TITLE
# Client coordinates in the dialog: the buttons' and the first box's centres.
SAVE = (264, 316)
CANCEL = (176, 316)
HIDE_WHEN_FULL = (24, 32)

BEFORE = settings_ini(MoveMouseOver="0")


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
    geometry = desktop.geometry(dialog)
    x, y, width, height = desktop.work_area()
    centre = (geometry.x + geometry.width // 2, geometry.y + geometry.height // 2)
    # The window manager's frame may shift it by its title bar.
    assert abs(centre[0] - (x + width // 2)) <= 2 and abs(centre[1] - (y + height // 2)) <= 32, \
        f"the dialog centred on the work area, at {geometry}"
    return geometry


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
def test_save_writes_the_clicked_box(launch, linked):
    run = launch(BEFORE)
    desktop, program = run.desktop, run.program
    if linked:
        _link_through_a_linked_folder(program)
    geometry = _open_settings(run)
    _click_in(desktop, geometry, HIDE_WHEN_FULL)
    _click_in(desktop, geometry, SAVE)
    box = wait_until(lambda: program.boxes(SAVED_BOX), 2, "the 'saved' box")[0]
    assert program.settings_path.read_bytes() == BEFORE.replace(b"HideWhenFull=0", b"HideWhenFull=1")
    assert program.settings_path.is_symlink() == linked
    assert not (program.folder / "real.ini").exists(), "nothing written beside the program"

    desktop.activate(box)
    desktop.keys("Return")
    wait_until(lambda: not program.boxes(SAVED_BOX) and not program.boxes(DIALOG), 2, "box and dialog closed")


def test_cancel_writes_nothing(launch):
    run = launch(BEFORE)
    desktop, program = run.desktop, run.program
    before = program.settings_path.stat()
    geometry = _open_settings(run)
    _click_in(desktop, geometry, HIDE_WHEN_FULL)
    _click_in(desktop, geometry, CANCEL)
    wait_until(lambda: not program.boxes(DIALOG), 2, "the dialog closed")
    after = program.settings_path.stat()
    assert program.settings_path.read_bytes() == BEFORE
    assert (after.st_ino, after.st_mtime_ns) == (before.st_ino, before.st_mtime_ns)
    assert not program.boxes(SAVED_BOX)
