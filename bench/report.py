#!/usr/bin/env python3
"""Prints the benchmark's table (Markdown) from the driver's figures and the two programs.

Usage: report.py RESULTS X64_EXE X86_EXE

RESULTS holds the "key=value" lines of drvbench.exe. The sizes and imported DLLs of the
programs are read here: imports with objdump -p, the size of bitmap 113 from the resource
directory (with the reader of tests/static/check_pe.py).
"""

import datetime
import os
import platform
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "static"))
import check_pe  # noqa: E402

# The program's own fixed delays, in seconds.
READING = 0.100 + 1.000  # timer 3001, then the reading status until timer 3002
COPY_DELAYS = 0.100 + 1.000  # copy page: start timer 3005, close timer 3006
WRITING = 0.100 + 2.000 + 2.000  # timers 3003, 3007, 3004
FLOOR_DELAYS = READING + COPY_DELAYS + WRITING

LAUNCH_LIMIT = 1.25
COPY_RATIO_LIMIT = 1.10
INSTALL_MARGIN = 0.5
SIZE_LIMIT = 150 * 1024
RUNTIME_DLLS = ("libstdc++", "libgcc", "libwinpthread", "msvcp", "vcruntime", "api-ms-win-crt")
BACKGROUND = 113


def read_results(path):
    values = {}
    with open(path) as f:
        for line in f:
            key, sep, value = line.strip().partition("=")
            if sep:
                values[key] = value
    return values


def series(values, key):
    """(median, best) of a measured series."""
    samples = [float(v) for v in values[key + "_all"].split(",") if v]
    return float(values[key]), min(samples)


def imports(exe, objdump):
    out = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    return [line.split(":", 1)[1].strip() for line in out.splitlines() if "DLL Name:" in line]


def bitmap_size(exe, number):
    with open(exe, "rb") as f:
        pe = check_pe.read_pe(f.read())
    for rtype, name, _, data in check_pe.resources(pe):
        if rtype == check_pe.RT_BITMAP and name == number:
            return len(data)
    return 0


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown CPU"


def wine_version():
    try:
        return subprocess.run(
            ["/usr/lib/wine/wine64", "--version"], capture_output=True, text=True
        ).stdout.strip()
    except OSError:
        return "Wine (version unknown)"


def seconds(value):
    return "%.3f s" % value


def kib(size):
    return "%.1f KiB" % (size / 1024.0)


def verdict(ok):
    return "yes" if ok else "**no**"


def program_rows(exe, objdump):
    name = os.path.basename(exe)
    size = os.path.getsize(exe)
    background = bitmap_size(exe, BACKGROUND)
    without = size - background
    dlls = imports(exe, objdump)
    runtime = [d for d in dlls if d.lower().startswith(RUNTIME_DLLS)]
    return [
        (
            "`%s` file size" % name,
            "%s (%s without bitmap 113's %d bytes)" % (kib(size), kib(without), background),
            "%s, no runtime DLL" % kib(SIZE_LIMIT),
            "%s (%s without bitmap 113)"
            % (verdict(size <= SIZE_LIMIT), "yes" if without <= SIZE_LIMIT else "no"),
        ),
        (
            "`%s` imports (objdump -p)" % name,
            ", ".join(dlls),
            "system DLLs only",
            verdict(not runtime) + ("" if not runtime else ": " + ", ".join(runtime)),
        ),
    ]


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    values = read_results(sys.argv[1])
    x64, x86 = sys.argv[2], sys.argv[3]

    welcome, welcome_best = series(values, "welcome")
    empty, empty_best = series(values, "empty_launch")
    bare, bare_best = series(values, "bare_loop")
    bare_span, bare_span_best = series(values, "bare_span")
    copy_span, copy_span_best = series(values, "copy_span")
    copy_page, copy_page_best = series(values, "copy_page")
    pages, pages_best = series(values, "pages")
    writing, writing_best = series(values, "writing")
    finish, finish_best = series(values, "finish")
    ratio = copy_span / bare_span
    floor = FLOOR_DELAYS + bare
    runs = int(values["runs"])
    files = int(values["files"])

    rows = [
        (
            "Launch to welcome page (CreateProcess to the page visible)",
            "%s (best %s)" % (seconds(welcome), seconds(welcome_best)),
            "%s (program's delays %s)" % (seconds(LAUNCH_LIMIT), seconds(READING)),
            verdict(welcome <= LAUNCH_LIMIT),
        ),
        (
            "  reference: empty windowed program, launch to its window",
            "%s (best %s)" % (seconds(empty), seconds(empty_best)),
            "none (Wine's own share)",
            "",
        ),
        (
            "Copy stage, %d SZDD files of 64 KiB, end of first file to end of last" % files,
            "%s (best %s) = %.2f x bare loop" % (seconds(copy_span), seconds(copy_span_best), ratio),
            "%.2f x bare loop (%s, best %s)"
            % (COPY_RATIO_LIMIT, seconds(bare_span), seconds(bare_span_best)),
            verdict(ratio <= COPY_RATIO_LIMIT),
        ),
        (
            "  copy page open to close, less its %s of delays (polled every 5 ms)"
            % seconds(COPY_DELAYS),
            "%s (best %s)" % (seconds(copy_page - COPY_DELAYS), seconds(copy_page_best - COPY_DELAYS)),
            "%.2f x bare loop (%s)" % (COPY_RATIO_LIMIT, seconds(bare)),
            verdict(copy_page - COPY_DELAYS <= COPY_RATIO_LIMIT * bare),
        ),
        (
            "  bare loop: LZOpenFileA, CopyLZFile, LZClose, CopyFileA into \"3\", all %d files" % files,
            "%s (best %s)" % (seconds(bare), seconds(bare_best)),
            "",
            "",
        ),
        (
            "Whole installation driven by the robot, launch to finish page",
            "%s (best %s)" % (seconds(finish), seconds(finish_best)),
            "floor + %s = %s (floor: delays %s + bare loop %s)"
            % (seconds(INSTALL_MARGIN), seconds(floor + INSTALL_MARGIN), seconds(FLOOR_DELAYS), seconds(bare)),
            verdict(finish <= floor + INSTALL_MARGIN),
        ),
        (
            "  of which welcome page to copy page (three pages, robot's clicks)",
            "%s (best %s)" % (seconds(pages), seconds(pages_best)),
            "",
            "",
        ),
        (
            "  of which copy page closed to finish page (writing system information)",
            "%s (best %s)" % (seconds(writing), seconds(writing_best)),
            "delays %s" % seconds(WRITING),
            "",
        ),
    ]
    rows += program_rows(x64, "x86_64-w64-mingw32-objdump")
    rows += program_rows(x86, "i686-w64-mingw32-objdump")
    rows += [
        (
            "Peak working set of the wizard (PeakWorkingSetSize at the finish page)",
            "%.1f MiB" % (float(values["peak_working_set"]) / 1048576),
            "none",
            "",
        ),
        (
            "Peak private memory of the wizard (PeakPagefileUsage at the finish page)",
            "%.1f MiB" % (float(values["peak_pagefile"]) / 1048576),
            "none",
            "",
        ),
    ]

    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    load = os.getloadavg()[0] if hasattr(os, "getloadavg") else 0.0
    print(
        "Date: %s. Machine: %d CPUs (nproc), %s; %s under Xvfb in a fresh prefix. "
        "Figures are the median of %d runs (best in brackets); load average %.2f at the end."
        % (now, os.cpu_count() or 0, cpu_model(), wine_version(), runs, load)
    )
    print()
    print("| Measure | Figure | Limit | Met |")
    print("|---|---|---|---|")
    for measure, figure, limit, met in rows:
        if measure.startswith("  "):
            measure = "&nbsp;&nbsp;" + measure.strip()
        print("| %s | %s | %s | %s |" % (measure, figure, limit, met))


if __name__ == "__main__":
    main()
