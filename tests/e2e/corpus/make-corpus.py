#!/usr/bin/env python3
"""Writes the hostile setup information files of the end-to-end corpus and the small
driver files they name. Every file is made byte for byte here (line ends, byte order
marks, binary garbage, values cut at the profile reader's 1023 characters), so run it
again after a change and commit what it writes; the tests read the files, not this
script. Each file's expected outcome is in CASES.md and in corpus_test.cpp."""

import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
INF = os.path.join(HERE, "inf")
FILES = os.path.join(HERE, "files")

LASER_FILES = ["UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "J71.GPD", "J71.DLL", "J71LASER.INI"]
LASER_COPY = ",".join("@" + name for name in LASER_FILES)

# Thirteen names, twelve of 78 characters and one of 75: with the twelve commas between
# them a value of exactly 1023 characters, the most the profile reader returns into 1024
# bytes. Each stays short enough for the LZ library's 128-character open record, with
# the setup folder in front of it.
PART_NAMES = [("J71-PART-%02d-" % i).ljust(74, "X") + ".DLL" for i in range(1, 13)]
PART_NAMES.append("J71-PART-LAST-".ljust(71, "X") + ".INI")
assert len(",".join(PART_NAMES)) == 1023

# A name longer than that open record holds once the setup folder is put in front.
LONG_NAME = "J71-LONG-".ljust(123, "X") + ".DLL"

DRIVER_FILES = LASER_FILES + ["J71COLOR.INI", "@J71.GPD", LONG_NAME] + PART_NAMES

# The common tail of a well-formed file: the install and data sections of two models.
SECTIONS = """[J71_LASER]
CopyFiles=%s
DataSection=UNIDRV_DATA

[J71_COLOR]
CopyFiles=@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@J71.GPD,@J71.DLL,@J71COLOR.INI
DataSection=EMF_DATA

[UNIDRV_DATA]
DefaultDataType=RAW

[EMF_DATA]
DefaultDataType=NT EMF 1.008
""" % LASER_COPY

HEADER = """; Zelmox J71 printer family
[Version]
Signature="$Windows NT$"
Class=Printer

[Manufacturer]
"Zelmox Systems"=ZelmoxSystems

"""


def vendor(*lines):
    return "[ZelmoxSystems]\n" + "".join(line + "\n" for line in lines) + "\n"


def text_file(vendor_part, sections=SECTIONS):
    return HEADER + vendor_part + sections


def lines_with(text, end):
    return text.replace("\n", end).encode("ascii")


def write(name, data):
    if isinstance(data, str):
        data = data.encode("ascii")
    with open(os.path.join(INF, name), "wb") as out:
        out.write(data)


def laser_section(copy_files, extra=""):
    return "[J71_LASER]\nCopyFiles=%s\n%sDataSection=UNIDRV_DATA\n\n[UNIDRV_DATA]\nDefaultDataType=RAW\n" % (
        copy_files, extra)


def main():
    os.makedirs(INF, exist_ok=True)
    os.makedirs(FILES, exist_ok=True)
    for name in os.listdir(INF):
        os.remove(os.path.join(INF, name))
    for name in os.listdir(FILES):
        os.remove(os.path.join(FILES, name))
    for name in DRIVER_FILES:
        with open(os.path.join(FILES, name), "wb") as out:
            out.write(b"CORPUS DRIVER FILE " + name.encode("ascii") + b"\r\n")

    plain = vendor('"Zelmox J71 Laser"=J71_LASER,ZELMOXJ71_LASER',
                   '"Zelmox J71 Color"=J71_COLOR,ZELMOXJ71_COLOR')

    # Nothing to list.
    write("empty.inf", b"")
    write("no-vendor-section.inf", text_file(""))
    write("empty-vendor-section.inf", text_file(vendor()))
    rng = random.Random(71)
    garbage = bytes(rng.randrange(256) for _ in range(4096))
    assert b"Zelmox" not in garbage
    write("binary-garbage.inf", garbage)

    # Encodings and line ends: the vendor section comes first, right after the mark, so a
    # mark read as text would spoil its header.
    body = plain + SECTIONS
    write("utf8-bom.inf", b"\xef\xbb\xbf" + body.encode("ascii"))
    write("utf16le-bom.inf", b"\xff\xfe" + body.encode("utf-16-le"))
    write("line-ends-lf.inf", lines_with(text_file(plain), "\n"))
    write("line-ends-crlf.inf", lines_with(text_file(plain), "\r\n"))
    write("line-ends-cr.inf", lines_with(text_file(plain), "\r"))

    write("comments.inf", text_file(vendor(
        "; models of the J71 family",
        '"Zelmox J71 Laser"=J71_LASER,ZELMOXJ71_LASER',
        ';"Zelmox J71 Retired"=J71_COLOR',
        "",
        '   ; indented comment',
        '"Zelmox J71 Color"=J71_COLOR,ZELMOXJ71_COLOR ; trailing comment')))

    # Keys.
    write("duplicate-key-same-case.inf", text_file(vendor(
        '"Zelmox J71 Laser"=J71_LASER,ZELMOXJ71_LASER',
        '"Zelmox J71 Laser"=J71_COLOR,ZELMOXJ71_COLOR')))
    write("duplicate-key-other-case.inf", text_file(vendor(
        '"Zelmox J71 Laser"=J71_LASER,ZELMOXJ71_LASER',
        '"ZELMOX J71 LASER"=J71_COLOR,ZELMOXJ71_COLOR')))
    write("key-blanks.inf", text_file(vendor(
        '   "  Zelmox J71   Laser  "   =   J71_LASER , ZELMOXJ71_LASER')))
    write("key-comma.inf", text_file(vendor('"Zelmox J71, Laser"=J71_LASER,ZELMOXJ71_LASER')))
    write("key-equals.inf", text_file(vendor('"Zelmox J71 = Laser"=J71_LASER,ZELMOXJ71_LASER')))
    write("key-token.inf", text_file(vendor(
        "%ModelLaser%=J71_LASER,ZELMOXJ71_LASER",
        "%ModelColor%=J71_COLOR,ZELMOXJ71_COLOR"),
        SECTIONS + '\n[Strings]\nModelLaser="Zelmox J71 Laser"\nModelColor="Zelmox J71 Color"\n'))
    write("key-empty-quotes.inf", text_file(vendor('""=J71_LASER,ZELMOXJ71_LASER')))
    write("section-case.inf", HEADER + "[zelmoxsystems]\n"
          '"Zelmox J71 Laser"=j71_laser,ZELMOXJ71_LASER\n\n'
          "[j71_laser]\ncopyfiles=%s\ndatasection=emf_data\n\n[EMF_DATA]\ndefaultdatatype=NT EMF 1.008\n"
          % LASER_COPY)
    write("duplicate-vendor-section.inf", HEADER + vendor(
        '"Zelmox J71 Laser"=J71_LASER,ZELMOXJ71_LASER') + vendor(
        '"Zelmox J71 Color"=J71_COLOR,ZELMOXJ71_COLOR') + SECTIONS)

    # Model entries.
    write("entry-only-commas.inf", text_file(vendor('"Zelmox J71 Laser"=,,,')))
    write("entry-leading-commas.inf", text_file(vendor('"Zelmox J71 Laser"=,,J71_LASER,,ZELMOXJ71_LASER')))
    write("entry-missing-section.inf", text_file(vendor('"Zelmox J71 Laser"=J71_NOWHERE,ZELMOXJ71_LASER')))

    # Thousands of models: 23-character keys, 24 bytes with their NULs, so 43 of them
    # begin within the 1023 characters of a 1024-character key listing.
    models = ['"Zelmox J71 Model %04d"=J71_LASER,ZELMOXJ71_%04d' % (i, i) for i in range(1, 5001)]
    write("models-5000.inf", text_file(vendor(*models)))

    # Model names at and past what the 1024-character lookup key holds.
    for length in (1021, 1022, 3000):
        name = ("Zelmox J71 Laser %d " % length).ljust(length, "L")
        assert len(name) == length
        write("model-name-%d.inf" % length, text_file(vendor('"%s"=J71_LASER,ZELMOXJ71_LASER' % name)))

    # CopyFiles values.
    write("copyfiles-twice.inf", HEADER + plain + laser_section(
        LASER_COPY, "CopyFiles=@J71COLOR.INI\n") + "\n[J71_COLOR]\nCopyFiles=@J71COLOR.INI\n")
    value = ",".join(PART_NAMES)
    write("copyfiles-1023.inf", HEADER + plain + laser_section(value))
    # One character more: the reader cuts the last name short.
    past = ",".join(PART_NAMES[:-1] + [PART_NAMES[-1][:-4] + "Y.INI"])
    assert len(past) == 1024
    write("copyfiles-1024.inf", HEADER + plain + laser_section(past))
    # The cut falls on the comma after the 1023 characters: the name after it is lost.
    write("copyfiles-past-1023-at-comma.inf", HEADER + plain + laser_section(value + ",@J71COLOR.INI"))
    write("copyfiles-long-name.inf", HEADER + plain + laser_section("@UNIDRV.DLL,@" + LONG_NAME))
    repeated = (LASER_COPY + ",") * 60
    repeated = repeated[:3000]
    cut = repeated[:1023]
    last = cut.split(",")[-1].lstrip("@")
    assert last and last not in DRIVER_FILES, last
    write("copyfiles-3000.inf", HEADER + plain + laser_section(repeated))
    write("copyfiles-blank-after-comma.inf", HEADER + plain + laser_section("UNIDRV.DLL, UNIDRVUI.DLL"))
    write("copyfiles-quoted.inf", HEADER + plain + laser_section('"%s"' % LASER_COPY).replace(
        "DefaultDataType=RAW", "DefaultDataType='NT EMF 1.008'"))
    write("copyfiles-missing-file.inf", HEADER + plain + laser_section("@UNIDRV.DLL,@NOSUCH.DLL,@J71.GPD"))
    write("copyfiles-at-sign-alone.inf", HEADER + plain + laser_section(
        "@UNIDRV.DLL,@,@UNIDRVUI.DLL,@UNIDRV.HLP,@J71.GPD,"))
    write("copyfiles-double-at.inf", HEADER + plain + laser_section("@UNIDRV.DLL,@@J71.GPD"))
    write("copyfiles-empty-data-type.inf", HEADER + plain + laser_section(LASER_COPY).replace(
        "DefaultDataType=RAW", "DefaultDataType="))

    # Names that would reach outside the driver directory.
    for case, name in (("parent", r"..\EVIL.DLL"), ("slash", "SUB/EVIL.DLL"),
                       ("backslash", r"SUB\EVIL.DLL"), ("drive", "C:EVIL.DLL"),
                       ("root", r"\EVIL.DLL"), ("dotdot", "..")):
        write("name-%s.inf" % case, HEADER + plain + laser_section("@UNIDRV.DLL,@" + name + ",@J71.GPD"))


if __name__ == "__main__":
    main()
