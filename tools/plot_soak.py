#!/usr/bin/env python3
"""Draws the soak's counters (docs/soak.csv, written by scripts/soak) against the operations done:
plot_soak.py CSV PNG [MCI_HANDLES_PER_CALL IDLE_HANDLES_PER_CALL]."""
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402


def main(source, target, mci_handles, idle_handles):
    with open(source, newline="") as f:
        rows = list(csv.DictReader(f))
    ops = [int(r["operations"]) for r in rows]

    def series(name):
        return [float(r[name]) for r in rows]

    figure, (wine, program, memory) = plt.subplots(3, 1, figsize=(8, 8), sharex=True)
    wine.plot(ops, series("handles"), label="handles, all")
    base = series("handles")[0] - mci_handles * series("mci_opens")[0] - idle_handles * series("input_idle_waits")[0]
    wine.plot(ops, [base + mci_handles * m + idle_handles * i
                    for m, i in zip(series("mci_opens"), series("input_idle_waits"))], "--",
              label="Wine's share: %g a playback (MCI), %g a WaitForInputIdle" % (mci_handles, idle_handles))
    wine.set_ylabel("handles")
    wine.legend(fontsize=7, loc="upper left")
    wine.grid(alpha=0.3)
    for name, label in (("program_handles", "handles, Wine's share taken off"), ("gdi_objects", "GDI objects"),
                        ("windows", "windows (USER)"), ("threads", "threads")):
        program.plot(ops, series(name), label=label)
    program.set_ylabel("count")
    program.set_ylim(bottom=0)
    program.legend(fontsize=7, loc="center right")
    program.grid(alpha=0.3)
    memory.plot(ops, [v / 1024 for v in series("rss_kib")], label="VmRSS (working set)")
    memory.plot(ops, [v / 1024 for v in series("rss_anon_kib")], label="RssAnon (private)")
    memory.plot(ops, [v / 1024 for v in series("program_anon_kib")], label="RssAnon, Wine's MCI share taken off")
    memory.set_ylabel("MiB")
    memory.set_xlabel("operations")
    memory.legend(fontsize=7, loc="center right")
    memory.grid(alpha=0.3)
    figure.suptitle("tarvik.exe under Wine during the soak (after the warm-up)", fontsize=10)
    figure.tight_layout()
    figure.savefig(target, dpi=80)


if __name__ == "__main__":
    extra = [float(v) for v in sys.argv[3:5]] + [0.0, 0.0]
    main(sys.argv[1], sys.argv[2], extra[0], extra[1])
