"""The low-battery warning box: once per drop below 20 %, never when turned off."""

import pytest

from processes import stays, wait_until
from program import alpha_for, settings_ini

TITLE = "Warning!"
FOLLOW_SECONDS = 1.0


def _box_or_update(program, charge):
    """The warning box if one is shown, else True once the meter shows charge.

    The box opens in the update before the opacity is set, so a meter at the
    new opacity proves that this update opened no box.
    """
    boxes = program.boxes(TITLE)
    if boxes:
        return boxes[0]
    return program.alpha() == alpha_for(charge)


def _dismiss(desktop, program, box):
    desktop.activate(box)
    desktop.keys("Return")
    wait_until(lambda: box not in program.boxes(TITLE), 2, "the warning box closed")


@pytest.mark.parametrize("warn, charges, boxes_at", [
    ("1", [19], [0]),
    ("1", [25, 19, 18, 19, 21, 19], [1, 5]),
    ("0", [19], []),
    ("0", [25, 19, 18, 19, 21, 19], []),
])
def test_warning_box_once_per_drop_below_20(launch, warn, charges, boxes_at):
    run = launch(settings_ini(WarnBelow20=warn), charge=50)
    desktop, program = run.desktop, run.program
    program.wait_alpha(alpha_for(50), timeout=2)
    shown_at = []
    for step, charge in enumerate(charges):
        run.battery.set_charge(charge)
        seen = wait_until(lambda: _box_or_update(program, charge), FOLLOW_SECONDS,
                          f"a box or the meter at {charge} %")
        if seen is not True:
            shown_at.append(step)
            _dismiss(desktop, program, seen)
            # The update the box held back now ends.
            program.wait_alpha(alpha_for(charge))
    assert shown_at == boxes_at
    stays(lambda: not program.boxes(TITLE), 0.5, "no further warning box")
