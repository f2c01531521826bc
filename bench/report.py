#!/usr/bin/env python3
# Turns one benchmark run (bench/run.sh) into the results table: prints it and records it, with
# the machine and the date, as the newest run in RESULTS.md.
#
#     report.py RUN_DIR --exe build/windows/Wrenquil.exe [--results RESULTS.md] [--smoke]
#
# RUN_DIR holds the probe's samples (tools/probe/timing.h), one a line: "FIGURE LABEL VALUE".
# Each figure is the median of its samples, the quartiles in brackets.
import argparse
import datetime
import os
import platform
import re
import statistics
import subprocess
import sys
from pathlib import Path

RUN_BEGIN, RUN_END = "<!-- run:begin (bench/report.py) -->", "<!-- run:end -->"
HEADER = ["#", "figure", "Wrenquil", "baseline", "ratio", "target", "result"]


def read_samples(run):
    samples = {}
    for path in run.glob("*.txt"):
        for line in path.read_text(encoding="latin-1").splitlines():
            figure, label, value = line.split()
            samples.setdefault((figure, label), []).append(float(value))
    return samples


def spread(values, digits=1):
    q = statistics.quantiles(values, n=4, method="inclusive") if len(values) > 1 else values * 3
    return "%.*f [%.*f–%.*f]" % (digits, q[1], digits, q[0], digits, q[2])


def imports(exe):
    out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True,
                         text=True, check=True).stdout
    return re.findall(r"DLL Name:\s*(\S+)", out), "symbols stripped" in out


def build_table(s, exe):
    med = {key: statistics.median(values) for key, values in s.items()}
    rows = []

    def ratio_row(number, what, key, base_key, base_name, target):
        ratio = med[key] / med[base_key]
        rows.append([number, "%s (n=%d)" % (what, len(s[key])), spread(s[key]),
                     "%s: %s" % (base_name, spread(s[base_key])), "%.2f×" % ratio,
                     "≤ %.2f×" % target, "met" if ratio <= target else "missed"])

    start = lambda label: med[("startup", label)]
    ratio_row("1", "start to window shown (ms)", ("startup", "wrenquil"), ("startup", "minimal"),
              "minimal dialog", 1.15)
    rows.append(["", "… minimal dialog, the program's imports and manifest (ms)", "",
                 spread(s[("startup", "imports")]),
                 "%.2f× minimal" % (start("imports") / start("minimal")), "", "baseline"])
    rows.append(["", "… floor: the program's own main window template, imports and manifest, "
                 "no code (ms)", "", spread(s[("startup", "floor")]),
                 "%.2f× minimal; Wrenquil %.2f× this (%+.1f ms)" % (
                     start("floor") / start("minimal"), start("wrenquil") / start("floor"),
                     start("wrenquil") - start("floor")), "", "baseline"])
    ratio_row("2", "Send click → request at gateway (ms)", ("send", "wrenquil"),
              ("send", "bare_wininet"), "bare WinINet", 1.10)
    dlls, stripped = imports(exe)
    size = exe.stat().st_size
    rows.append(["3", "Wrenquil.exe size (KB)", "%.0f KB (%d bytes)%s" % (
        size / 1024, size, ", stripped" if stripped else ", not stripped"), "—", "—",
        "≤ 400 KB", "met" if size <= 400 * 1024 else "missed"])
    system32 = Path(os.environ.get("WRENQUIL_WINEPREFIX", "."), "drive_c/windows/system32")
    present = {p.name.lower() for p in system32.iterdir()} if system32.is_dir() else set()
    foreign = [d for d in dlls if d.lower() not in present or d.lower().startswith("lib")]
    rows.append(["", "imported DLLs", ", ".join(dlls), "—", "—", "system DLLs only",
                 "missed: " + ", ".join(foreign) if foreign else "met"])
    ours, base = ("rest_working_set", "wrenquil"), ("rest_working_set", "minimal")
    rows.append(["4", "memory at rest, hidden in the tray: working set (KB, n=%d)" % len(s[ours]),
                 spread(s[ours], 0), "minimal dialog: %s" % spread(s[base], 0),
                 "%.2f×" % (med[ours] / med[base]), "—", "reported"])
    ours, base = ("soak", "wrenquil"), ("soak", "bare_wininet")
    kept = med[ours] - med[base]
    rows.append(["5", "memory kept per send over a soak (KB a send, n=%d)" % len(s[ours]),
                 spread(s[ours], 2), "bare WinINet, own process: %s" % spread(s[base], 2),
                 "%+.2f KB" % kept, "≤ bare + 2 KB", "met" if kept <= 2 else "missed"])
    first_last = lambda values: "%.0f → %.0f" % (values[0], values[-1])
    soak = lambda label: first_last(s[("soak_working_set", label)])
    rows.append(["", "… working set after 20 sends → at the end (KB)", soak("wrenquil"),
                 soak("bare_wininet"), "", "", "reported"])
    return rows


def markdown(rows, columns):
    lines = ["| " + " | ".join(HEADER[:columns]) + " |", "|" + "---|" * columns]
    return "\n".join(lines + ["| " + " | ".join(row[:columns]) + " |" for row in rows])


def machine(args):
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                if line.startswith("model name")), "unknown")
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL).stdout.strip()
    pinned = "Wine pinned to core " + args.wine_cpu if args.wine_cpu != "none" else "Wine unpinned"
    return ("%d cores (nproc), %s, %s, Linux %s; %s; 1-minute load average at the end %.2f, "
            "`make bench` took %d s." % (os.cpu_count(), cpu, wine, platform.release(), pinned,
                                          os.getloadavg()[0], args.seconds))


def main():
    p = argparse.ArgumentParser(description="The benchmark's table from one run's samples.")
    p.add_argument("run", type=Path)
    p.add_argument("--exe", type=Path, required=True)
    p.add_argument("--results", default="", help="Markdown file to record the run in")
    p.add_argument("--seconds", type=int, default=0, help="how long the whole run took")
    p.add_argument("--wine-cpu", default="none", help="the core Wine was pinned to, or none")
    p.add_argument("--smoke", action="store_true", help="fail when a figure is missing; judge "
                   "no target, record nothing")
    args = p.parse_args()
    try:
        rows = build_table(read_samples(args.run), args.exe)
    except (KeyError, statistics.StatisticsError) as e:  # a figure without samples
        print("bench: no figure %s in %s" % (e, args.run), file=sys.stderr)
        return 1
    if args.smoke:
        print(markdown(rows, 5) + "\nbench: smoke run complete (timings not judged)")
        return 0
    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    block = "### Run %s\n\n%s\n\n%s\n" % (now, machine(args), markdown(rows, len(HEADER)))
    print("\n" + block)
    if args.results:
        results = Path(args.results)
        text = results.read_text(encoding="utf-8") if results.exists() else ""
        if RUN_BEGIN not in text or RUN_END not in text:
            text += "\n## Newest run\n\n%s\n%s\n" % (RUN_BEGIN, RUN_END)
        head, rest = text.split(RUN_BEGIN)
        results.write_text(head + RUN_BEGIN + "\n" + block + RUN_END + rest.split(RUN_END)[1],
                           encoding="utf-8")
        print("bench: recorded in %s" % args.results)
    return 0


if __name__ == "__main__":
    sys.exit(main())
