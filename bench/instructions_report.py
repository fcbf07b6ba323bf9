#!/usr/bin/python3
"""The arithmetic behind bench/instructions.sh.

Usage:
  instructions_report.py run DUMP SECONDS
      instructions per second in one callgrind dump covering SECONDS
  instructions_report.py table RUNS_TSV
      the median of each row's rounds against the floor's, then for each
      gauge row the top functions of its median round: the program's own
      (inclusive) and those it calls in the libraries (inclusive)
"""

import collections
import re
import statistics
import sys

FLOOR = "floor"
TOP = 8
# Our code is linked into the executable; everything else is a library.
OURS = re.compile(r"/dimmerling$")
# They hold the whole event loop: listed, they would only repeat the total.
ENTRIES = ("main", "(below main)")
NAMED = re.compile(r"^\((\d+)\)(?: (.*))?$")


class Profile:
    """Per-function costs of one callgrind dump (one event: Ir)."""

    def __init__(self, path):
        self.total = 0
        self.self_cost = collections.Counter()
        self.inclusive = collections.Counter()
        # (caller, callee) -> inclusive cost of the calls
        self.calls = collections.Counter()
        self.object_of = {}
        self._read(path)

    def _read(self, path):
        names = {"ob": {}, "fn": {}}
        ob = fn = callee = None
        call_cost_next = False
        with open(path, encoding="utf-8", errors="replace") as dump:
            for line in dump:
                key, _, value = line.rstrip("\n").partition("=")
                if key in ("ob", "cob", "fn", "cfn") and value:
                    name = self._name(names["fn" if key.endswith("fn") else "ob"], value)
                    if key == "ob":
                        ob = name
                    elif key == "fn":
                        fn = name
                        self.object_of.setdefault(fn, ob)
                    elif key == "cfn":
                        callee = name
                elif key == "calls":
                    call_cost_next = True
                elif line[:1].isdigit() or line[:1] in "+-*":
                    cost = int(line.split()[1]) if len(line.split()) > 1 else 0
                    if call_cost_next:
                        self.calls[(fn, callee)] += cost
                        self.inclusive[fn] += cost
                        call_cost_next = False
                    else:
                        self.self_cost[fn] += cost
                        self.inclusive[fn] += cost
                        self.total += cost

    @staticmethod
    def _name(table, value):
        match = NAMED.match(value)
        if not match:
            return value
        if match.group(2) is not None:
            table[match.group(1)] = match.group(2)
        return table.get(match.group(1), value)

    def ours(self, fn):
        return bool(OURS.search(self.object_of.get(fn) or ""))

    def own_functions(self):
        return collections.Counter({fn: cost for fn, cost in self.inclusive.items()
                                    if self.ours(fn) and fn not in ENTRIES})

    def called_from_ours(self):
        called = collections.Counter()
        for (caller, callee), cost in self.calls.items():
            if self.ours(caller) and caller not in ENTRIES and not self.ours(callee):
                called[callee] += cost
        return called


def per_second(path, seconds):
    return Profile(path).total / float(seconds)


def read_runs(path):
    rows = collections.OrderedDict()
    with open(path, encoding="utf-8") as runs:
        next(runs)
        for line in runs:
            name, label, _round, rate, dump, seconds = line.rstrip("\n").split("\t")
            rows.setdefault(name, {"label": label, "runs": []})["runs"].append((float(rate), dump, float(seconds)))
    return rows


def print_top(title, counter, seconds):
    print(f"  {title}")
    for fn, cost in counter.most_common(TOP):
        print(f"    {cost / seconds:>10,.0f}/s  {fn[:110]}")


def table(path):
    rows = read_runs(path)
    floor = statistics.median(rate for rate, _, _ in rows[FLOOR]["runs"]) if FLOOR in rows else None
    width = max(len(row["label"]) for row in rows.values())
    print(f"{'build':<{width}}  {'instructions/s (median)':>24}  {'ratio':>6}  rounds")
    for row in rows.values():
        rates = [rate for rate, _, _ in row["runs"]]
        median = statistics.median(rates)
        ratio = f"{median / floor:.2f}" if floor else "-"
        each = ", ".join(f"{rate / 1e6:.4f}" for rate in rates)
        print(f"{row['label']:<{width}}  {median / 1e6:>22.4f} M  {ratio:>6}  {each}")
    for name, row in rows.items():
        if name == FLOOR:
            continue
        runs = sorted(row["runs"])
        _, dump, seconds = runs[len(runs) // 2]
        profile = Profile(dump)
        print(f"\n{row['label']}: median round, steady state")
        print_top("our code, inclusive:", profile.own_functions(), seconds)
        print_top("called from our code, inclusive:", profile.called_from_ours(), seconds)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "run":
        print(f"{per_second(sys.argv[2], sys.argv[3]):.0f}")
    elif len(sys.argv) == 3 and sys.argv[1] == "table":
        table(sys.argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
