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
QUIET_RATIO_LIMIT = 1.15
AGAIN_RATIO_LIMIT = 1.20
INSTALL_MARGIN = 0.5
SIZE_LIMIT = 150 * 1024
RUNTIME_DLLS = ("libstdc++", "libgcc", "libwinpthread", "msvcp", "vcruntime", "api-ms-win-crt")
BACKGROUND = 113


def read_results(path):
    """Every series of the driver's output as a list of floats (one a run), and the counts."""
    values = {}
    with open(path) as f:
        for line in f:
            key, sep, value = line.strip().partition("=")
            if sep:
                values[key] = [float(v) for v in value.split(",") if v]
    return values


def median(samples):
    ordered = sorted(samples)
    middle = len(ordered) // 2
    if len(ordered) % 2:
        return ordered[middle]
    return (ordered[middle - 1] + ordered[middle]) / 2


def series(values, key):
    """(median, lowest, highest) of a measured series."""
    samples = values[key]
    return median(samples), min(samples), max(samples)


def quotients(values, numerator, denominator):
    """Per-run quotients of two series, as (median, lowest, highest)."""
    per_run = [top / bottom for top, bottom in zip(values[numerator], values[denominator])]
    return median(per_run), min(per_run), max(per_run)


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


def spread(triple):
    """A series as "median (lowest to highest)"."""
    middle, low, high = triple
    return "%s (%.3f to %.3f)" % (seconds(middle), low, high)


def times(triple):
    middle, low, high = triple
    return "%.2f x (%.2f to %.2f)" % (middle, low, high)


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


def copy_rows(values, files):
    copy_span = series(values, "copy_span")
    bare_span = series(values, "bare_span")
    ratio = series(values, "copy_ratio")
    copy_page = series(values, "copy_page")
    page_less_delays = tuple(v - COPY_DELAYS for v in copy_page)
    bare_loop = series(values, "bare_loop")
    rows = [
        (
            "Copy stage, %d SZDD files of 64 KiB, end of first file to end of last (nothing "
            "watching but a look for the last file every 250 ms)" % files,
            "%s = %s bare loop" % (spread(copy_span), times(ratio)),
            "%.2f x bare loop (%s)" % (COPY_RATIO_LIMIT, spread(bare_span)),
            verdict(ratio[0] <= COPY_RATIO_LIMIT),
        ),
        (
            "  copy page open to close, less its %s of delays" % seconds(COPY_DELAYS),
            spread(page_less_delays),
            "%.2f x bare loop (%s)" % (COPY_RATIO_LIMIT, seconds(bare_loop[0])),
            verdict(page_less_delays[0] <= COPY_RATIO_LIMIT * bare_loop[0]),
        ),
        (
            "  bare loop (barebench.exe from the setup folder): CreateFileA by full path, "
            "LZInit, CopyLZFile, LZClose, CopyFileA into \"3\", all %d files, into the "
            "spooler's driver directory as the wizard" % files,
            spread(bare_loop),
            "",
            "",
        ),
    ]
    if "blind_span" in values:
        blind = series(values, "blind_span")
        hooked = series(values, "hooked_span")
        rows += [
            (
                "  check: copy stage with nothing watching at all (the driver asleep)",
                "%s = %s bare loop; the run above is %s this" % (
                    spread(blind),
                    times(series(values, "blind_ratio")),
                    times(quotients(values, "copy_ratio", "blind_ratio")),
                ),
                "",
                "",
            ),
            (
                "  check: copy stage under the robot's event hook and polling every 5 ms "
                "(the earlier benchmark's observer)",
                "%s = %s bare loop = %s the unwatched stage" % (
                    spread(hooked),
                    times(series(values, "hooked_ratio")),
                    times(quotients(values, "hooked_ratio", "blind_ratio")),
                ),
                "",
                "",
            ),
        ]
    return rows


QUIET_STEPS = [
    ("start", "process start to its first log line"),
    ("prepare", "command line, INF, ports, removal checks"),
    ("copy", "copying the %d files"),
    ("driver", "AddPrinterDriverA"),
    ("printer", "AddPrinterA"),
    ("check", "check of printer, driver and files"),
    ("exit", "last log line to process end"),
]


def quiet_rows(values, files):
    quiet = series(values, "quiet")
    work = series(values, "bare_install_work")
    empty = series(values, "empty_exit")
    ratio = series(values, "quiet_ratio")
    total = series(values, "bare_install_sum")[0]
    rows = [
        (
            "Unattended installation (/quiet), %d files, process start to exit" % files,
            "%s = %s bare run + empty start" % (spread(quiet), times(ratio)),
            "%.2f x (bare run + empty start = %s)" % (QUIET_RATIO_LIMIT, seconds(total)),
            verdict(ratio[0] <= QUIET_RATIO_LIMIT),
        ),
        (
            "  bare run (barebench.exe): copy loop %s, AddPrinterDriverA %s, AddPrinterA %s"
            % tuple(seconds(series(values, k)[0]) for k in
                    ("bare_install_loop", "bare_install_driver", "bare_install_printer")),
            spread(work),
            "",
            "",
        ),
        (
            "  empty program that ends at once (the wizard's imports), start to exit",
            spread(empty),
            "",
            "",
        ),
        (
            "  cross-check: the bare program's own start to exit",
            spread(series(values, "bare_install_process")),
            "",
            "",
        ),
    ]
    if "quiet_log_total" in values:
        steps = ", ".join(
            "%s %s" % (label % files if "%d" in label else label,
                       seconds(series(values, "quiet_log_" + key)[0]))
            for key, label in QUIET_STEPS
        )
        rows.append(
            (
                "  where it goes (a run with /log, by its log lines, medians)",
                "%s in all: %s" % (seconds(series(values, "quiet_log_total")[0]), steps),
                "",
                "",
            )
        )
    if "quiet_again" in values:
        again = series(values, "quiet_again")
        again_ratio = series(values, "quiet_again_ratio")
        rows += [
            (
                "Second unattended run over the installed printer (nothing to do), %d files, "
                "process start to exit" % files,
                "%s = %s bare reading + empty start" % (spread(again), times(again_ratio)),
                "%.2f x (bare reading + empty start = %s)"
                % (AGAIN_RATIO_LIMIT, seconds(series(values, "bare_read_sum")[0])),
                verdict(again_ratio[0] <= AGAIN_RATIO_LIMIT),
            ),
            (
                "  bare reading (barebench.exe): each setup file read as it expands (CreateFileA, "
                "LZInit, LZRead) and its installed copy in \"3\" (ReadFile), compared",
                spread(series(values, "bare_read_work")),
                "",
                "",
            ),
        ]
    if "quiet_uninstall" in values:
        removal = series(values, "quiet_uninstall")
        removal_ratio = series(values, "quiet_uninstall_ratio")
        rows += [
            (
                "Unattended removal (/quiet /uninstall), %d files, process start to exit" % files,
                "%s = %s bare removal + empty start"
                % (spread(removal), times(removal_ratio)),
                "none (bare removal + empty start = %s)"
                % seconds(series(values, "bare_uninstall_sum")[0]),
                "",
            ),
            (
                "  bare removal (barebench.exe): DeletePrinter %s, DeletePrinterDriverA %s, "
                "DeleteFileA of the %d files in both directories %s"
                % (seconds(series(values, "bare_uninstall_printer")[0]),
                   seconds(series(values, "bare_uninstall_driver")[0]), files,
                   seconds(series(values, "bare_uninstall_files")[0])),
                spread(series(values, "bare_uninstall_work")),
                "",
                "",
            ),
        ]
    return rows


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    values = read_results(sys.argv[1])
    x64, x86 = sys.argv[2], sys.argv[3]
    runs = int(values["runs"][0])
    files = int(values["files"][0])

    welcome = series(values, "welcome")
    bare_loop = series(values, "bare_loop")
    finish = series(values, "finish")
    floor = FLOOR_DELAYS + bare_loop[0]

    rows = [
        (
            "Launch to welcome page (CreateProcess to the page visible)",
            spread(welcome),
            "%s (program's delays %s)" % (seconds(LAUNCH_LIMIT), seconds(READING)),
            verdict(welcome[0] <= LAUNCH_LIMIT),
        ),
        (
            "  reference: empty windowed program, launch to its window",
            spread(series(values, "empty_launch")),
            "none (Wine's own share)",
            "",
        ),
    ]
    rows += copy_rows(values, files)
    rows += [
        (
            "Whole installation driven by the robot, launch to finish page",
            spread(finish),
            "floor + %s = %s (floor: delays %s + bare loop %s)"
            % (seconds(INSTALL_MARGIN), seconds(floor + INSTALL_MARGIN), seconds(FLOOR_DELAYS),
               seconds(bare_loop[0])),
            verdict(finish[0] <= floor + INSTALL_MARGIN),
        ),
        (
            "  of which welcome page to copy page (three pages, robot's clicks)",
            spread(series(values, "pages")),
            "",
            "",
        ),
        (
            "  of which copy page closed to finish page (writing system information)",
            spread(series(values, "writing")),
            "delays %s" % seconds(WRITING),
            "",
        ),
    ]
    rows += quiet_rows(values, files)
    rows += program_rows(x64, "x86_64-w64-mingw32-objdump")
    rows += program_rows(x86, "i686-w64-mingw32-objdump")
    rows += [
        (
            "Peak working set of the wizard (PeakWorkingSetSize at the finish page)",
            "%.1f MiB" % (max(values["peak_working_set"]) / 1048576),
            "none",
            "",
        ),
        (
            "Peak private memory of the wizard (PeakPagefileUsage at the finish page)",
            "%.1f MiB" % (max(values["peak_pagefile"]) / 1048576),
            "none",
            "",
        ),
    ]

    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    after = " ".join("%.2f" % v for v in os.getloadavg())
    before = os.environ.get("BENCH_LOAD_BEFORE", "unknown")
    print(
        "Date: %s. Machine: %d CPUs (nproc), %s; %s under Xvfb in a fresh prefix. "
        "Figures are the median of %d runs, with the lowest and highest in brackets; each "
        "ratio is taken within a run, against the mean of the bare measures just before and "
        "just after. Load average (1, 5, 15 min) %s before, %s after."
        % (now, os.cpu_count() or 0, cpu_model(), wine_version(), runs, before, after)
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
