#!/usr/bin/env python3
"""Draws the soak's counters (docs/soak.csv, written by scripts/soak) against the operations done:
plot_soak.py CSV PNG."""
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402


def main(source, target):
    with open(source, newline="") as f:
        rows = list(csv.DictReader(f))
    ops = [int(r["operations"]) for r in rows]
    series = lambda name: [float(r[name]) for r in rows]  # noqa: E731
    figure, (counts, memory) = plt.subplots(2, 1, figsize=(8, 6), sharex=True)
    counts.plot(ops, series("handles"), label="handles (all)")
    counts.plot(ops, series("program_handles"), label="handles, Wine's per-call leaks subtracted")
    counts.plot(ops, series("gdi_objects"), label="GDI objects")
    counts.plot(ops, series("windows"), label="windows (USER)")
    counts.plot(ops, series("threads"), label="threads")
    counts.set_ylabel("count")
    counts.legend(fontsize=7, loc="upper left")
    counts.grid(alpha=0.3)
    memory.plot(ops, [v / 1024 for v in series("rss_kib")], label="VmRSS (working set)")
    memory.plot(ops, [v / 1024 for v in series("rss_anon_kib")], label="RssAnon (private)")
    memory.plot(ops, [v / 1024 for v in series("program_anon_kib")], label="RssAnon, Wine's MCI leak subtracted")
    memory.set_ylabel("MiB")
    memory.set_xlabel("operations (after the warm-up)")
    memory.legend(fontsize=7, loc="upper left")
    memory.grid(alpha=0.3)
    figure.suptitle("tarvik.exe under Wine during the soak", fontsize=10)
    figure.tight_layout()
    figure.savefig(target, dpi=80)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
