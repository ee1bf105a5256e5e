#!/usr/bin/env python3
"""Builds the benchmark's setup folder.

Usage: make_setup.py TARGET_DIR DEMO_DIR PROGRAM.exe

TARGET_DIR receives the demo setup folder's driver files, the wizard PROGRAM.exe, 200 files
A001 ... A200 of 64 KiB each, SZDD-compressed by mscompress and kept under their bare names,
and a J71.INF whose one model copies exactly those 200 files. The data are pseudo-random
words from a small vocabulary, the same on every run (fixed seeds), so they compress about
as well as driver files do.

The model's CopyFiles value is read into 1024 characters: 200 names of four characters
joined by commas take 999, so no at signs are written.
"""

import os
import random
import shutil
import subprocess
import sys

FILES = 200
FILE_SIZE = 64 * 1024
MODEL = "Zelmox J71 Bench"


def names():
    return ["A%03d" % i for i in range(1, FILES + 1)]


def data(seed):
    """FILE_SIZE bytes of words and numbers drawn from a seeded generator."""
    rng = random.Random(seed)
    letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
    vocabulary = [
        "".join(rng.choice(letters) for _ in range(rng.randint(3, 10))) for _ in range(96)
    ]
    out = bytearray()
    while len(out) < FILE_SIZE:
        if rng.random() < 0.15:
            out += b"%d" % rng.randint(0, 99999)
        else:
            out += rng.choice(vocabulary).encode()
        out += rng.choice([b" ", b" ", b" ", b", ", b".\r\n"])
    return bytes(out[:FILE_SIZE])


def inf_text():
    copy_files = ",".join(names())
    assert len(copy_files) <= 1023, "the CopyFiles value must fit 1024 characters"
    lines = [
        "; Benchmark setup information: one model that copies 200 compressed files.",
        "[Version]",
        'Signature="$Windows NT$"',
        "Class=Printer",
        "Provider=%Zelmox%",
        "DriverVer=03/14/2011,3.1.0.0",
        "",
        "[Manufacturer]",
        '"Zelmox Systems"=ZelmoxSystems',
        "",
        "[ZelmoxSystems]",
        '"%s"=J71_BENCH,ZELMOXJ71_BENCH_0001' % MODEL,
        "",
        "[J71_BENCH]",
        "CopyFiles=" + copy_files,
        "DataSection=UNIDRV_DATA",
        "",
        "[UNIDRV_DATA]",
        "DriverFile=UNIDRV.DLL",
        "ConfigFile=UNIDRVUI.DLL",
        "HelpFile=UNIDRV.HLP",
        "DefaultDataType=RAW",
        "",
        "[Strings]",
        'Zelmox="Zelmox Systems"',
        "",
    ]
    return "\r\n".join(lines)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    target, demo, program = sys.argv[1:]
    os.makedirs(target, exist_ok=True)
    for name in os.listdir(demo):
        if name.upper() != "J71.INF" and os.path.isfile(os.path.join(demo, name)):
            shutil.copy2(os.path.join(demo, name), os.path.join(target, name))
    shutil.copy2(program, os.path.join(target, os.path.basename(program)))

    compressed = 0
    for index, name in enumerate(names()):
        path = os.path.join(target, name)
        with open(path, "wb") as out:
            out.write(data(1000 + index))
        if os.path.exists(path + "_"):
            os.remove(path + "_")
        subprocess.run(["mscompress", path], check=True)
        os.replace(path + "_", path)
        with open(path, "rb") as check:
            if check.read(4) != b"SZDD":
                sys.exit("make_setup.py: %s is not SZDD after mscompress" % path)
        compressed += os.path.getsize(path)

    with open(os.path.join(target, "J71.INF"), "w", newline="") as inf:
        inf.write(inf_text())
    print(
        "setup folder %s: %d files of %d bytes, %d bytes compressed"
        % (target, FILES, FILE_SIZE, compressed)
    )


if __name__ == "__main__":
    main()
