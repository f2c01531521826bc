#!/usr/bin/env python3
"""Turns one benchmark run's samples (bench/run.sh) into the results table: prints it and
records it, with the machine and the date, at the top of the runs in RESULTS.md.

    report.py RUN_DIR --exe build/windows/Wrenquil.exe [--results bench/RESULTS.md]

RUN_DIR holds startup.txt, send.txt, curl.txt, recount.txt and rest.txt: one sample a line,
"FIGURE LABEL VALUE..." (see tools/probe/timing.h, bench/recount.cpp and bench/sends.cpp).
Every figure is the median of its samples; the quartiles are shown beside it."""
import argparse
import datetime
import os
import platform
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

RUNS_BEGIN = "<!-- runs:begin (bench/report.py puts each run here, newest first) -->"
RUNS_END = "<!-- runs:end -->"
RUNS_KEPT = 6
MINGW_RUNTIME = re.compile(r"^(libstdc\+\+|libgcc|libwinpthread|libssp|libgomp)", re.I)
SEND_PARTS = (("click", "whole Send in-process, reply included", "bare", "bare calls"),
              ("transport", "WinInetTransport alone", "bare", "bare calls"),
              ("window_work", "window's own part (instant transport)", None, None),
              ("window_before_request", "of that, before the request goes out", None, None),
              ("grey_send", "of that, greying Send (EnableSendButton(false))", None, None),
              ("status_text", "of that, status text \"Connect to server…\"", None, None))
RECOUNT_PARTS = (("keystroke+paint", "the same, box and status bar repainted"),
                 ("plain_edit", "same edit box, no recount (the control alone)"),
                 ("plain_edit_lines",
                  "the control alone, text in one-sentence lines (82 characters)"),
                 ("recount_only", "MessageTextChanged alone"),
                 ("length_a", "GetWindowTextLengthA of the box"),
                 ("length_w", "GetWindowTextLengthW of the box"),
                 ("plain_length_a", "GetWindowTextLengthA, edit box not subclassed"),
                 ("plain_length_w", "GetWindowTextLengthW, edit box not subclassed"))
# Every sample a whole run gives: file, figure, labels (recount's at each of its two lengths).
EXPECTED = (("startup.txt", "startup", ("minimal", "wrenquil", "imports")),
            ("send.txt", "send", ("wrenquil", "bare_wininet")),
            ("send_parts.txt", "parts", ("bare",) + tuple(p[0] for p in SEND_PARTS)),
            ("recount.txt", "recount", ("keystroke",) + tuple(p[0] for p in RECOUNT_PARTS)),
            ("rest.txt", "rest_private", ("minimal", "wrenquil")),
            ("rest.txt", "rest_working_set", ("minimal", "wrenquil")),
            ("send_soak.txt", "soak", ("bare", "transport", "window_work", "click")))


def quantile(values, q):
    values = sorted(values)
    if not values:
        return float("nan")
    pos = (len(values) - 1) * q
    low = int(pos)
    high = min(low + 1, len(values) - 1)
    return values[low] + (values[high] - values[low]) * (pos - low)


def median(values):
    return quantile(values, 0.5)


def read_samples(path, figure):
    """{label: [values]} for the lines "FIGURE LABEL VALUE" of a file; {} if it is missing."""
    samples = {}
    if not path.exists():
        return samples
    for line in path.read_text(encoding="latin-1").splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == figure:
            samples.setdefault(tuple(parts[1:-1]), []).append(float(parts[-1]))
    return samples


def spread(values, digits):
    """'median [q1–q3]'"""
    if not values:
        return "—"
    f = "%%.%df" % digits
    return (f + " [" + f + "–" + f + "]") % (median(values), quantile(values, 0.25),
                                              quantile(values, 0.75))


def ratio_row(number, figure, ours, baseline, baseline_name, target, digits, unit):
    ratio = median(ours) / median(baseline) if ours and baseline else float("nan")
    verdict = "met" if ratio <= target else "missed"
    return [number, "%s (%s, n=%d)" % (figure, unit, len(ours)), spread(ours, digits),
            "%s: %s" % (baseline_name, spread(baseline, digits)), "%.2f×" % ratio,
            "≤ %.2f×" % target, verdict], ratio


def exe_facts(exe, prefix):
    size = exe.stat().st_size
    facts = {"bytes": size}
    objdump = shutil.which("x86_64-w64-mingw32-objdump")
    strip = shutil.which("x86_64-w64-mingw32-strip")
    dlls = []
    if objdump:
        out = subprocess.run([objdump, "-p", str(exe)], capture_output=True, text=True,
                             check=True).stdout
        dlls = [m.group(1) for m in re.finditer(r"DLL Name:\s*(\S+)", out)]
    facts["dlls"] = dlls
    system32 = Path(prefix) / "drive_c" / "windows" / "system32"
    present = {p.name.lower() for p in system32.iterdir()} if system32.is_dir() else None
    facts["not_system"] = [d for d in dlls if MINGW_RUNTIME.match(d) or
                           (present is not None and d.lower() not in present)]
    if strip:
        with tempfile.TemporaryDirectory() as tmp:
            copy = Path(tmp) / exe.name
            shutil.copyfile(exe, copy)
            subprocess.run([strip, str(copy)], check=True)
            facts["stripped_bytes"] = copy.stat().st_size
    return facts


def machine():
    cpu = "unknown"
    try:
        for line in open("/proc/cpuinfo", encoding="utf-8"):
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    try:
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                              stdin=subprocess.DEVNULL, timeout=60).stdout.strip()
    except (OSError, subprocess.TimeoutExpired):
        wine = "unknown"
    load = os.getloadavg()[0] if hasattr(os, "getloadavg") else float("nan")
    return {"nproc": os.cpu_count(), "cpu": cpu, "wine": wine or "unknown",
            "kernel": platform.release(), "load": load}


def build_table(run, exe, prefix):
    rows = []
    notes = []

    startup = read_samples(run / "startup.txt", "startup")
    row, _ = ratio_row("1", "start to window shown", startup.get(("wrenquil",), []),
                       startup.get(("minimal",), []), "minimal dialog", 1.15, 1, "ms")
    rows.append(row)
    imports = startup.get(("imports",), [])
    if imports:
        minimal = startup.get(("minimal",), [])
        ours = startup.get(("wrenquil",), [])
        rows.append(["", "… minimal dialog with the program's DLL imports and manifest (ms)",
                     "", "%s" % spread(imports, 1),
                     ("%.2f× minimal; Wrenquil %.2f× this" % (
                         median(imports) / median(minimal), median(ours) / median(imports)))
                     if minimal and ours else "", "", "breakdown"])

    send = read_samples(run / "send.txt", "send")
    row, _ = ratio_row("2", "Send click → request at gateway", send.get(("wrenquil",), []),
                       send.get(("bare_wininet",), []), "bare WinINet", 1.10, 1, "ms")
    rows.append(row)
    curl = [line.split() for line in (run / "curl.txt").read_text().splitlines()
            if line.startswith("curl ")] if (run / "curl.txt").exists() else []
    if curl:
        pre = [float(c[1]) * 1000 for c in curl]
        total = [float(c[2]) * 1000 for c in curl]
        rows.append(["", "curl, same GET (reference; ms, n=%d)" % len(curl), "",
                     "request sent: %s; reply in: %s" % (spread(pre, 1), spread(total, 1)),
                     "", "", "reference"])

    parts = read_samples(run / "send_parts.txt", "parts")
    if parts:
        for name, what, base_name, base_what in SEND_PARTS:
            ours = parts.get((name,), [])
            base = parts.get((base_name,), []) if base_name else []
            ratio = ("%.2f×" % (median(ours) / median(base))) if ours and base else ""
            rows.append(["", "… %s (ms)" % what, spread(ours, 2),
                         ("%s: %s" % (base_what, spread(base, 2))) if base else "", ratio, "",
                         "breakdown"])

    soak = read_samples(run / "send_soak.txt", "soak")
    for name, what in (("click", "whole Send"), ("transport", "WinInetTransport alone"),
                       ("window_work", "window's own part")):
        if soak.get((name,)):
            rows.append(["6" if name == "click" else "",
                         "memory per send over a soak, %s (KB)" % what,
                         spread(soak[(name,)], 1),
                         "bare calls: %s" % spread(soak.get(("bare",), []), 1), "", "",
                         "soak"])

    recount = read_samples(run / "recount.txt", "recount")
    lengths = sorted({int(k[1]) for k in recount})
    if len(lengths) == 2:
        short, long_ = str(lengths[0]), str(lengths[1])
        row, _ = ratio_row("3", "keystroke + recount, %s vs %s chars" % (long_, short),
                           recount.get(("keystroke", long_), []),
                           recount.get(("keystroke", short), []), "%s char" % short, 1.05, 0,
                           "µs per key")
        rows.append(row)
        for name, what in RECOUNT_PARTS:
            ours = recount.get((name, long_), [])
            base = recount.get((name, short), [])
            ratio = median(ours) / median(base) if ours and base else float("nan")
            digits = 0 if ours and median(ours) >= 100 else 1
            rows.append(["", "… %s (µs)" % what, spread(ours, digits),
                         "%s char: %s" % (short, spread(base, digits)), "%.2f×" % ratio, "",
                         "breakdown"])

    facts = exe_facts(exe, prefix)
    kb = facts["bytes"] / 1024
    stripped = facts.get("stripped_bytes")
    if stripped is None:
        stripped_text = ""
    elif stripped == facts["bytes"]:
        stripped_text = ", stripped"
    else:
        stripped_text = ", not stripped (stripped: %.0f KB)" % (stripped / 1024)
    rows.append(["4", "Wrenquil.exe size (KB)", "%.0f KB (%d bytes)%s" % (
        kb, facts["bytes"], stripped_text), "—", "—", "≤ 400 KB",
        "met" if kb <= 400 else "missed"])
    rows.append(["", "imported DLLs", ", ".join(facts["dlls"]) or "(none found)", "—", "—",
                 "system DLLs only",
                 "met" if facts["dlls"] and not facts["not_system"] else
                 "missed: " + ", ".join(facts["not_system"])])
    rest = {figure: read_samples(run / "rest.txt", figure)
            for figure in ("rest_private", "rest_working_set")}
    for number, figure, what in (("5", "rest_private", "memory at rest, hidden in the tray: "
                                  "private bytes"),
                                 ("", "rest_working_set", "… working set")):
        ours = rest[figure].get(("wrenquil",), [])
        base = rest[figure].get(("minimal",), [])
        # Wine gives 0 for the counters it does not keep (private bytes among them).
        real = any(ours) and any(base)
        ratio = ("%.2f×" % (median(ours) / median(base))) if real else ""
        rows.append([number, "%s (KB, n=%d)" % (what, len(ours)),
                     spread(ours, 0) if real else "not reported (0)",
                     "minimal dialog at rest: %s" % (spread(base, 0) if real else "0"), ratio,
                     "—", "reported"])
    return rows, notes


def missing_figures(run):
    """The samples a whole run should have given and did not, as "file: figure label"."""
    missing = []
    for file, figure, labels in EXPECTED:
        samples = read_samples(run / file, figure)
        for label in labels:
            found = [k for k in samples if k[0] == label]
            # recount: one length for the empty box and one for the long message
            if len(found) < (2 if figure == "recount" else 1):
                missing.append("%s: %s %s" % (file, figure, label))
    curl = (run / "curl.txt").read_text() if (run / "curl.txt").exists() else ""
    if "curl " not in curl:
        missing.append("curl.txt: curl")
    return missing


HEADER = ["#", "figure", "Wrenquil", "baseline", "ratio", "target", "result"]


def markdown(rows, header=HEADER):
    lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines)


def record(results, block):
    text = results.read_text(encoding="utf-8") if results.exists() else ""
    if RUNS_BEGIN not in text or RUNS_END not in text:
        text = text.rstrip("\n") + "\n\n## Runs\n\n" + RUNS_BEGIN + "\n" + RUNS_END + "\n"
    head, rest = text.split(RUNS_BEGIN, 1)
    body, tail = rest.split(RUNS_END, 1)
    runs = [r for r in re.split(r"(?m)^(?=### Run )", body) if r.startswith("### Run ")]
    runs = [block.rstrip("\n") + "\n\n"] + [r.rstrip("\n") + "\n\n" for r in runs]
    body = "\n" + "".join(runs[:RUNS_KEPT])
    results.write_text(head + RUNS_BEGIN + body + RUNS_END + tail, encoding="utf-8")


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("run", type=Path)
    p.add_argument("--exe", type=Path, required=True)
    p.add_argument("--results", default="", help="Markdown file to record the run in")
    p.add_argument("--seconds", type=int, help="how long the whole run took")
    p.add_argument("--wine-cpu", default="none", help="the core Wine was pinned to, or none")
    p.add_argument("--smoke", action="store_true",
                   help="a check that every figure comes out: no target judged, nothing "
                        "recorded; fails when a figure is missing")
    args = p.parse_args()

    prefix = os.environ.get("WRENQUIL_WINEPREFIX", "")
    rows, _ = build_table(args.run, args.exe, prefix)
    if args.smoke:
        print(markdown([row[:5] for row in rows], header=HEADER[:5]))
        missing = missing_figures(args.run)
        for figure in missing:
            print("bench: missing %s" % figure, file=sys.stderr)
        print("bench: smoke run %s" % ("failed" if missing else "complete (timings not judged)"))
        return 1 if missing else 0
    m = machine()
    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    took = (", `make bench` took %d s" % args.seconds) if args.seconds else ""
    pinned = ("Wine pinned to core %s" % args.wine_cpu if args.wine_cpu != "none"
              else "Wine on any core")
    block = ("### Run %s\n\n%d cores (nproc), %s, %s, Linux %s; %s; 1-minute load average "
             "at the end %.2f%s.\n\n%s\n" % (now, m["nproc"], m["cpu"], m["wine"], m["kernel"],
                                             pinned, m["load"], took, markdown(rows)))
    print()
    print(block)
    if args.results:
        record(Path(args.results), block)
        print("bench: recorded in %s" % args.results)
    return 0


if __name__ == "__main__":
    sys.exit(main())
