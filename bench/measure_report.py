#!/usr/bin/python3
"""The arithmetic behind bench/measure.sh.

Usage:
  measure_report.py names PID
      the unique names that process owns on DBUS_SYSTEM_BUS_ADDRESS, one a line
  measure_report.py dbus MONITOR_LOG START_NS END_NS NAME...
      how many messages those names sent between the two times, from a
      `dbus-monitor --profile` log
  measure_report.py table RUNS_TSV OUT_DIR
      medians over the rounds, each against the floor's; prints the table and
      writes table.md and cpu.dat (for the plot) into OUT_DIR
"""

import statistics
import sys

FLOOR = "floor"

# (key in runs.tsv, heading, format)
COLUMNS = [
    ("cpu_pct", "CPU % of a core", "{:.3f}"),
    ("xserver_pct", "X server CPU %", "{:.3f}"),
    ("rss_mib", "peak RSS MiB", "{:.1f}"),
    ("cswitch_per_s", "ctx switches/s", "{:.1f}"),
    ("xreq_per_s", "X11 requests/s", "{:.2f}"),
    ("dbus_per_s", "D-Bus msgs/s", "{:.2f}"),
    ("map_ms", "exec to map ms", "{:.0f}"),
]


def bus_names(pid):
    import dbus

    bus = dbus.SystemBus()
    daemon = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
                            "org.freedesktop.DBus")
    for name in daemon.ListNames():
        if not name.startswith(":"):
            continue
        try:
            if int(daemon.GetConnectionUnixProcessID(name)) == pid:
                print(name)
        except dbus.DBusException:
            pass  # gone meanwhile


def dbus_count(log, start_ns, end_ns, names):
    start, end = start_ns / 1e9, end_ns / 1e9
    senders = set(names)
    sent = 0
    with open(log, errors="replace") as lines:
        for line in lines:
            fields = line.rstrip("\n").split("\t")
            if len(fields) < 4 or fields[3] not in senders:
                continue
            try:
                when = float(fields[1])
            except ValueError:
                continue
            if start <= when <= end:
                sent += 1
    print(sent)


def read_runs(path):
    with open(path) as tsv:
        header = tsv.readline().rstrip("\n").split("\t")
        rows = [dict(zip(header, line.rstrip("\n").split("\t"))) for line in tsv if line.strip()]
    order, runs = [], {}
    for row in rows:
        if row["program"] not in runs:
            order.append(row["program"])
            runs[row["program"]] = {"label": row["label"], "updates": float(row["updates_per_s"]),
                                    "rows": []}
        runs[row["program"]]["rows"].append(row)
    return order, runs


def medians(rows):
    result = {}
    for key, _, _ in COLUMNS:
        values = [float(r[key]) for r in rows if r[key] not in ("", "nan")]
        result[key] = statistics.median(values) if values else float("nan")
    return result


def cell(value, floor, fmt):
    if value != value:  # nan
        return "n/a"
    text = fmt.format(value)
    if floor != floor or floor == 0:
        return text
    return f"{text} ({value / floor:.2f}x)"


def render(order, runs, figures):
    floor = figures.get(FLOOR, {})
    head = ["program", "rounds"] + [h for _, h, _ in COLUMNS] + ["CPU ms per update",
                                                                 "CPU % min-max"]
    table = [head]
    for program in order:
        f = figures[program]
        per_update = f["cpu_pct"] / 100.0 / runs[program]["updates"] * 1000.0
        cpus = [float(r["cpu_pct"]) for r in runs[program]["rows"]]
        table.append([runs[program]["label"], str(len(cpus))]
                     + [cell(f[k], floor.get(k, float("nan")), fmt) for k, _, fmt in COLUMNS]
                     + [f"{per_update:.3f}", f"{min(cpus):.3f}-{max(cpus):.3f}"])
    widths = [max(len(row[i]) for row in table) for i in range(len(head))]
    lines = ["| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |" for row in table]
    lines.insert(1, "|" + "|".join("-" * (w + 2) for w in widths) + "|")
    return "\n".join(lines)


def verdict(ratio, limit):
    if ratio != ratio:
        return "not measured"
    return "met" if ratio <= limit else "missed"


def targets(figures, runs):
    floor = figures.get(FLOOR)
    steady = figures.get("dimmerling")
    changing = figures.get("dimmerling-changing")
    if not floor or not steady:
        return []
    out = []
    ratio = steady["cpu_pct"] / floor["cpu_pct"] if floor["cpu_pct"] else float("nan")
    out.append(f"CPU, unchanged battery: {ratio:.2f} x the floor (target <= 1.1): "
               f"{verdict(ratio, 1.1)}")
    if changing:
        ratio = changing["cpu_pct"] / floor["cpu_pct"] if floor["cpu_pct"] else float("nan")
        out.append(f"CPU, battery changing every second: {ratio:.2f} x the floor "
                   f"(target <= 1.5): {verdict(ratio, 1.5)}")
    per_tick = steady["cpu_pct"] / 100.0 / runs["dimmerling"]["updates"] * 1e3
    out.append(f"whole-process CPU per tick, unchanged battery: {per_tick:.3f} ms "
               f"(target < 0.2 ms): {verdict(per_tick, 0.2)}")
    for key, what in (("xreq_per_s", "X11 requests"), ("dbus_per_s", "D-Bus messages")):
        rate = steady[key]
        out.append(f"{what} per tick, unchanged battery: {rate / 10.0:.3f} "
                   f"(target 0): {'met' if rate == 0 else 'missed'}")
    rss = steady["rss_mib"]
    out.append(f"peak RSS: {rss:.1f} MiB = {rss * 2**20 / 1e6:.1f} MB (target at most 30 MB): "
               f"{verdict(rss * 2**20 / 1e6, 30)}")
    ratio = steady["map_ms"] / floor["map_ms"] if floor["map_ms"] else float("nan")
    out.append(f"exec to mapped window: {steady['map_ms']:.0f} ms (target at most 80 ms): "
               f"{verdict(steady['map_ms'], 80)}; {ratio:.2f} x the floor measured here "
               f"(the target is 2.35 x the 34 ms floor of a quiet machine): {verdict(ratio, 80 / 34)}")
    return out


def table(runs_tsv, out_dir):
    order, runs = read_runs(runs_tsv)
    figures = {p: medians(runs[p]["rows"]) for p in order}
    text = render(order, runs, figures)
    goals = targets(figures, runs)
    print(text)
    print()
    for line in goals:
        print("  " + line)
    with open(f"{out_dir}/table.md", "w") as out:
        out.write(text + "\n\n" + "".join(f"- {line}\n" for line in goals))
    with open(f"{out_dir}/cpu.dat", "w") as out:
        for program in order:
            cpus = sorted(float(r["cpu_pct"]) for r in runs[program]["rows"])
            out.write(f"\"{runs[program]['label']}\" {figures[program]['cpu_pct']:.4f} "
                      f"{cpus[0]:.4f} {cpus[-1]:.4f}\n")


def main(argv):
    if len(argv) >= 3 and argv[1] == "names":
        bus_names(int(argv[2]))
    elif len(argv) >= 5 and argv[1] == "dbus":
        dbus_count(argv[2], int(argv[3]), int(argv[4]), argv[5:])
    elif len(argv) == 4 and argv[1] == "table":
        table(argv[2], argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
