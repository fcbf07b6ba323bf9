"""The low-battery warning box as the X server shows it: one mapped box (raised
again by a new drop), and the gauge goes on following the battery while it
stands unanswered. When it warns is tested in tst_meter."""

from processes import stays, wait_until
from program import alpha_for, settings_ini, text_pixels

TITLE = "Warning!"
FOLLOW_SECONDS = 1.0
DRAIN = [25, 19, 18, 19, 21, 19]


def _caption_follows(program, charge, previous, seen):
    """Waits until the meter is at charge: its alpha, and the percentage as drawn.

    Each charge of the drain draws other text than the one before it, and the
    same text each time it comes back.
    """
    program.wait_alpha(alpha_for(charge), FOLLOW_SECONDS)

    def drawn():
        shape = frozenset(text_pixels(program.desktop.grab(program.meter)))
        return shape == seen[charge] if charge in seen else shape != seen.get(previous)
    wait_until(drawn, FOLLOW_SECONDS, f"the percentage drawn for {charge} %")
    seen.setdefault(charge, frozenset(text_pixels(program.desktop.grab(program.meter))))


def test_one_box_stands_while_the_gauge_follows_the_drain(launch):
    run = launch(settings_ini(WarnBelow20="1"), charge=50)
    desktop, program = run.desktop, run.program
    program.wait_alpha(alpha_for(50), timeout=2)
    seen, previous = {}, 50
    for charge in DRAIN:
        run.battery.set_charge(charge)
        _caption_follows(program, charge, previous, seen)
        previous = charge
    wait_until(lambda: len(program.boxes(TITLE)) == 1, FOLLOW_SECONDS, "a warning box")
    stays(lambda: len(program.boxes(TITLE)) == 1 and program.alpha() == alpha_for(19), 0.5,
          "one warning box over the meter at 19 %")
    # Answered at last from the keyboard: the gauge still follows.
    while shown := program.boxes(TITLE):
        desktop.activate(shown[-1])
        desktop.keys("Return")
        wait_until(lambda: len(program.boxes(TITLE)) < len(shown), 2, "a warning box closed")
    run.battery.set_charge(55)
    program.wait_alpha(alpha_for(55))
