#!/usr/bin/env python3
"""Static checks of a built wizard executable.

Usage: check_pe.py EXE [--machine amd64|i386] [--lang en|ko]

Reads the PE file itself (standard library only) and checks the machine, the subsystem,
the imported DLLs and the whole resource set: language tags, the exact list of resources,
the eleven dialog templates (with --reference, every field of each as another program
linked with the same resources has it), the twenty-one strings, the icon images, the two
bitmaps and the manifest. Machine and language follow from the file name for the known
builds (drvsetup_x64: AMD64 and English, drvsetup_x86: I386 and Korean) and can be given.

Prints one line per failed check and a last line "N passed, N failed"; exits non-zero when
any check failed. The expected tables (expected_strings, EXPECTED_ICONS, EXPECTED_BITMAPS)
take the language and can serve other builds.
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ET

# ---------------------------------------------------------------------------------------
# What the resources must hold.

KOREAN = 0x0412
US_ENGLISH = 0x0409

RT_CURSOR, RT_BITMAP, RT_ICON, RT_MENU, RT_DIALOG, RT_STRING = 1, 2, 3, 4, 5, 6
RT_ACCELERATOR, RT_GROUP_CURSOR, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 9, 12, 14, 16, 24
TYPE_NAMES = {
    RT_CURSOR: "cursor",
    RT_BITMAP: "bitmap",
    RT_ICON: "icon image",
    RT_MENU: "menu",
    RT_DIALOG: "dialog",
    RT_STRING: "string block",
    7: "font directory",
    8: "font",
    RT_ACCELERATOR: "accelerator table",
    10: "raw data",
    11: "message table",
    RT_GROUP_CURSOR: "cursor group",
    RT_GROUP_ICON: "icon group",
    RT_VERSION: "version",
    17: "dialog include",
    19: "plug and play",
    20: "VxD",
    21: "animated cursor",
    22: "animated icon",
    23: "HTML",
    RT_MANIFEST: "manifest",
}
ALLOWED_TYPES = {RT_BITMAP, RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_MANIFEST}

DIALOG_NAMES = [
    "IDD_WELCOME",
    "IDD_GETMODEL",
    "IDD_GETPORT",
    "IDD_COPY",
    "IDD_EXIT",
    "IDD_STATUS",
    "IDD_MSG_OK",
    "IDD_MSG_OKCANCEL",
    "IDD_MSG_YESNO",
    "IDD_MSG_YESNOCANCEL",
    "IDD_MSG_RETRYCANCEL",
]

# Icon groups: images in group order, as (width, height, bits per pixel).
EXPECTED_ICONS = {
    "IDI_SETUP": [(32, 32, 4), (16, 16, 4)],
    "IDI_PRINTER": [(48, 48, 8), (32, 32, 8), (16, 16, 8)],
    "IDI_PORT": [(32, 32, 1), (32, 32, 4)],
    "IDI_NETWORK": [(48, 48, 8), (32, 32, 8), (16, 16, 8)],
    "IDI_DISK": [(16, 16, 4), (16, 16, 8), (32, 32, 4), (32, 32, 8)],
}

# Bitmaps by number: (width, height, bits per pixel).
EXPECTED_BITMAPS = {113: (497, 309, 24), 2039: (154, 248, 4)}
PANEL = (181, 8, 490, 299)  # light panel of bitmap 113, inclusive pixel bounds

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
MANIFEST_START = b'<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">\r\n'


# fmt: off
def expected_strings(lang):
    """The string table of a build: id -> text."""
    en = {
        4000: "The Installation has done successfully.",
        4001: "The Installation has failed.",
        4007: "Cannot read the source file",
        4008: "Cannot create the destination file.",
        4013: "Unknown error accured.",
        4014: "Decompression error.",
        4015: "Memory exhausted.",
        4016: "File has damaged.",
        4017: "Insufficient disk space.",
        4018: "File open error.",
        4027: "Reading setup information...",
        4028: "Writing system information...",
        4032: "Error",
        4033: "Question",
        4034: "Warinig",
        4044: "Are you sure you want to cancel TQL driver installation?",
        4052: "Select printer model to install.",
        4053: "Select printer port to connect.",
        4054: "There is no setup information. Cannot continue.",
        4055: "Selected printer driver has installed already. Exit setup and delete old "
              "printer driver and continue.",
        4056: "Another installation is in progress. Wait until it has finished, then run "
              "setup again.",
    }
    ko = {
        4000: "설치가 완료되었습니다.",
        4001: "설치를 중지합니다.",
        4007: "원본 파일을 읽을 수 없습니다.",
        4008: "사본 파일을 작성할 수 없습니다.",
        4013: "알 수 없는 오류가 발생했습니다.",
        4014: "파일 압축 해제 오류.",
        4015: "시스템 메모리가 부족합니다.",
        4016: "파일이 손상되었습니다.",
        4017: "설치할 디스크 공간이 부족합니다.",
        4018: "파일이 없습니다.",
        4027: "설치 정보를 읽고 있습니다...",
        4028: "시스템 정보를 수정하고 있습니다...",
        4032: "오류",
        4033: "질문",
        4034: "경고",
        4044: "프린터 드라이버 설치를 종료하시겠습니까?",
        4052: "먼저 설치할 프린터 모델을 선택하십시오.",
        4053: "먼저 포트를 선택하십시오.",
        4054: "설치 정보 파일을 찾을 수 없습니다. 설치를 계속할 수 없습니다. ",
        4055: "선택된 드라이버가 이미 설치되어 있습니다. 설치 프로그램을 종료한 후 "
              "프린터 폴더에서 이전 버전의 드라이버를 삭제한 후 다시 설치하십시오.",
        4056: "다른 설치가 진행 중입니다. 설치가 끝난 후 다시 실행하십시오.",
    }
    return ko if lang == "ko" else en
# fmt: on


# ---------------------------------------------------------------------------------------
# Reading the PE file.


class BadImage(Exception):
    pass


def unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise BadImage("truncated at offset %#x" % offset)
    return struct.unpack_from(fmt, data, offset)


def read_pe(data):
    """Headers, sections and data directories of a PE image."""
    if data[:2] != b"MZ":
        raise BadImage("no MZ header")
    (lfanew,) = unpack("<I", data, 0x3C)
    if data[lfanew : lfanew + 4] != b"PE\0\0":
        raise BadImage("no PE signature")
    machine, nsections, _, _, _, optsize, _ = unpack("<HHIIIHH", data, lfanew + 4)
    opt = lfanew + 24
    (magic,) = unpack("<H", data, opt)
    if magic not in (0x10B, 0x20B):
        raise BadImage("unknown optional header magic %#x" % magic)
    (subsystem,) = unpack("<H", data, opt + 68)
    dirs_at = opt + (96 if magic == 0x10B else 112)
    (ndirs,) = unpack("<I", data, dirs_at - 4)
    dirs = [unpack("<II", data, dirs_at + 8 * i) for i in range(min(ndirs, 16))]
    sections = []
    for i in range(nsections):
        at = opt + optsize + 40 * i
        name = data[at : at + 8].rstrip(b"\0").decode("latin-1")
        vsize, va, rawsize, rawptr = unpack("<IIII", data, at + 8)
        sections.append((name, va, max(vsize, rawsize), rawptr, rawsize))
    return {
        "data": data,
        "machine": machine,
        "magic": magic,
        "subsystem": subsystem,
        "dirs": dirs,
        "sections": sections,
    }


def rva_to_offset(pe, rva):
    for _, va, size, rawptr, rawsize in pe["sections"]:
        if va <= rva < va + size:
            if rva - va >= rawsize:
                raise BadImage("address %#x lies in uninitialised data" % rva)
            return rawptr + rva - va
    raise BadImage("address %#x lies in no section" % rva)


def c_string(data, offset):
    end = data.find(b"\0", offset)
    if end < 0:
        raise BadImage("unterminated name at %#x" % offset)
    return data[offset:end].decode("latin-1")


# The import and delay-import directories: (directory index, descriptor size, offset of
# the DLL's name, offsets of the name table and of the address table, which holds the same
# entries before binding).
IMPORT_DIRECTORIES = ((1, 20, 12, (0, 16)), (13, 32, 4, (16, 12)))


def import_descriptors(pe):
    """(directory index, DLL name, descriptor, its table offsets) for every descriptor of
    the import and delay-import directories."""
    data = pe["data"]
    for index, stride, name_at, table_ats in IMPORT_DIRECTORIES:
        if index >= len(pe["dirs"]) or pe["dirs"][index][0] == 0:
            continue
        at = rva_to_offset(pe, pe["dirs"][index][0])
        while True:
            entry = data[at : at + stride]
            if len(entry) < stride:
                raise BadImage("truncated import directory")
            if entry == b"\0" * stride:
                break
            (name_rva,) = struct.unpack_from("<I", entry, name_at)
            yield index, c_string(data, rva_to_offset(pe, name_rva)), entry, table_ats
            at += stride


def imported_dlls(pe):
    """Names of the DLLs in the import and delay-import directories."""
    return [name for _, name, _, _ in import_descriptors(pe)]


def ordinary_imports(pe):
    """Names of the DLLs in the import directory alone: those the loader looks for by name."""
    return [name for index, name, _, _ in import_descriptors(pe) if index == 1]


def delay_loaded_dlls(pe):
    """Names of the DLLs the delay-load helper loads: from the delay-import directory, or,
    as GNU ld leaves that directory empty for dlltool's delay-load libraries, from the
    helper's descriptors found in the image (attributes 1, then the RVAs of the name, the
    module handle, the address table and the name table, then three zeros)."""
    names = [n for n in imported_dlls(pe) if n not in ordinary_imports(pe)]
    if names:
        return names
    data = pe["data"]
    image_end = max(va + size for _, va, size, _, _ in pe["sections"])
    for _, va, size, rawptr, rawsize in pe["sections"]:
        for at in range(rawptr, rawptr + rawsize - 31, 4):
            fields = struct.unpack_from("<8I", data, at)
            if fields[0] != 1 or fields[5:] != (0, 0, 0):
                continue
            if not all(0 < rva < image_end for rva in fields[1:5]):
                continue
            try:
                name = c_string(data, rva_to_offset(pe, fields[1]))
            except BadImage:
                continue
            if name.lower().endswith((".dll", ".drv")):
                names.append(name)
    return names


# Windows 7's known DLLs among those the programs may import by name; any other DLL
# imported by name would be looked for beside the program first.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}
DELAY_LOADED = {"lz32.dll", "winspool.drv"}


def resource_name(data, base, value):
    """An id (int) or, when the high bit is set, a counted UTF-16 name (str)."""
    if not value & 0x80000000:
        return value
    at = base + (value & 0x7FFFFFFF)
    (length,) = unpack("<H", data, at)
    return data[at + 2 : at + 2 + 2 * length].decode("utf-16-le", "replace")


def resources(pe):
    """Every resource as (type, name, language, bytes); types and names are ints or strs."""
    if len(pe["dirs"]) <= 2 or pe["dirs"][2][0] == 0:
        return []
    data = pe["data"]
    base = rva_to_offset(pe, pe["dirs"][2][0])

    def entries(at):
        named, ids = unpack("<HH", data, at + 12)
        for i in range(named + ids):
            name, target = unpack("<II", data, at + 16 + 8 * i)
            yield resource_name(data, base, name), target

    found = []
    for rtype, t1 in entries(base):
        if not t1 & 0x80000000:
            raise BadImage("resource type %r is not a directory" % (rtype,))
        for name, t2 in entries(base + (t1 & 0x7FFFFFFF)):
            if not t2 & 0x80000000:
                raise BadImage("resource %r/%r is not a directory" % (rtype, name))
            for lang, t3 in entries(base + (t2 & 0x7FFFFFFF)):
                rva, size, _, _ = unpack("<IIII", data, base + (t3 & 0x7FFFFFFF))
                at = rva_to_offset(pe, rva)
                found.append((rtype, name, lang, data[at : at + size]))
    return found


# ---------------------------------------------------------------------------------------
# Decoding resources.

CLASS_ATOMS = {
    0x80: "BUTTON",
    0x81: "EDIT",
    0x82: "STATIC",
    0x83: "LISTBOX",
    0x84: "SCROLLBAR",
    0x85: "COMBOBOX",
}
DS_SETFONT = 0x40


def utf16z(blob, at):
    """A NUL-terminated UTF-16 string and the offset after it."""
    end = at
    while True:
        (ch,) = unpack("<H", blob, end)
        if ch == 0:
            return blob[at:end].decode("utf-16-le", "replace"), end + 2
        end += 2


def sz_or_ord(blob, at):
    """A template field that is empty, a resource number (int) or a string."""
    (first,) = unpack("<H", blob, at)
    if first == 0:
        return "", at + 2
    if first == 0xFFFF:
        (number,) = unpack("<H", blob, at + 2)
        return number, at + 4
    return utf16z(blob, at)


def align4(at):
    return (at + 3) & ~3


def parse_dialog(blob):
    """A DLGTEMPLATE or DLGTEMPLATEEX as a dict of its fields, its controls a list of dicts."""
    version, signature = unpack("<HH", blob, 0)
    d = {"ex": version == 1 and signature == 0xFFFF}
    if d["ex"]:
        d["help"], d["exstyle"], d["style"], count = unpack("<IIIH", blob, 4)
        d["rect"] = unpack("<hhhh", blob, 18)
        at = 26
    else:
        d["style"], d["exstyle"], count = unpack("<IIH", blob, 0)
        d["help"] = 0
        d["rect"] = unpack("<hhhh", blob, 10)
        at = 18
    d["menu"], at = sz_or_ord(blob, at)
    d["class"], at = sz_or_ord(blob, at)
    d["caption"], at = utf16z(blob, at)
    d["font"] = None
    if d["style"] & DS_SETFONT:
        if d["ex"]:
            points, weight, italic, charset = unpack("<HHBB", blob, at)
            face, at = utf16z(blob, at + 6)
            d["font"] = (points, weight, italic, charset, face)
        else:
            (points,) = unpack("<H", blob, at)
            face, at = utf16z(blob, at + 2)
            d["font"] = (points, face)
    controls = []
    for _ in range(count):
        at = align4(at)
        c = {}
        if d["ex"]:
            c["help"], c["exstyle"], c["style"] = unpack("<III", blob, at)
            c["rect"] = unpack("<hhhh", blob, at + 12)
            (c["id"],) = unpack("<i", blob, at + 20)
            at += 24
        else:
            c["style"], c["exstyle"] = unpack("<II", blob, at)
            c["help"] = 0
            c["rect"] = unpack("<hhhh", blob, at + 8)
            (c["id"],) = unpack("<h", blob, at + 16)
            at += 18
        cls, at = sz_or_ord(blob, at)
        c["class"] = CLASS_ATOMS.get(cls, "atom %#x" % cls) if isinstance(cls, int) else cls.upper()
        c["text"], at = sz_or_ord(blob, at)
        (c["extra"],) = unpack("<H", blob, at)
        at += 2 + c["extra"]
        controls.append(c)
    d["controls"] = controls
    return d


DIALOG_FIELDS = ("ex", "style", "exstyle", "help", "rect", "menu", "class", "caption", "font")
CONTROL_FIELDS = ("id", "class", "style", "exstyle", "help", "rect", "text", "extra")


def dialog_rules(name, got):
    """What every template of the program holds to: no help ids, menus, window classes,
    extended control styles or creation data."""
    out = ["%s %s: %r" % (name, k, got[k]) for k in ("help", "menu", "class") if got[k]]
    for i, c in enumerate(got["controls"]):
        out += ["%s control %d (id %d) %s: %r" % (name, i + 1, c["id"], k, c[k])
                for k in ("exstyle", "help", "extra") if c[k]]
    return out


def compare_dialog(name, want, got):
    """Every difference between a reference's template and the program's, one line each."""
    out = ["%s %s: expected %r, got %r" % (name, k, want[k], got[k])
           for k in DIALOG_FIELDS if want[k] != got[k]]
    if len(want["controls"]) != len(got["controls"]):
        out.append("%s control count: expected %d, got %d"
                   % (name, len(want["controls"]), len(got["controls"])))
    for i, (w, g) in enumerate(zip(want["controls"], got["controls"])):
        out += ["%s control %d (id %d) %s: expected %r, got %r" % (name, i + 1, w["id"], k, w[k], g[k])
                for k in CONTROL_FIELDS if w[k] != g[k]]
    return out


def string_blocks(found):
    """All strings of the RT_STRING blocks: id -> text (empty slots left out)."""
    strings = {}
    for rtype, name, _, blob in found:
        if rtype != RT_STRING or not isinstance(name, int):
            continue
        at = 0
        for i in range(16):
            (length,) = unpack("<H", blob, at)
            if length:
                strings[(name - 1) * 16 + i] = blob[at + 2 : at + 2 + 2 * length].decode(
                    "utf-16-le", "replace"
                )
            at += 2 + 2 * length
    return strings


def dib_header(blob):
    """size, width, height, planes, bits, compression, colours used of a BITMAPINFOHEADER."""
    size, w, h, planes, bits, compression, _, _, _, used = unpack("<IiiHHIIiiI", blob, 0)
    return size, w, h, planes, bits, compression, used


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def check_icon_group(name, want, group, images):
    """Differences between a group's images and the expected (width, height, bits) list."""
    out = []
    reserved, kind, count = unpack("<HHH", group, 0)
    if (reserved, kind) != (0, 1):
        out.append("%s: not an icon group directory (%d, %d)" % (name, reserved, kind))
    if count != len(want):
        out.append("%s: expected %d images, got %d" % (name, len(want), count))
    for i in range(min(count, len(want))):
        gw, gh, _, _, gplanes, gbits, gsize, image_id = unpack("<BBBBHHIH", group, 6 + 14 * i)
        w, h, bits = want[i]
        label = "%s image %d (%dx%d, %d bpp)" % (name, i + 1, w, h, bits)
        if (gw, gh, gbits) != (w % 256, h % 256, bits):
            out.append("%s: group entry says %dx%d, %d bpp" % (label, gw, gh, gbits))
        if image_id not in images:
            out.append("%s: icon image %d is missing" % (label, image_id))
            continue
        blob = images[image_id]
        if gsize != len(blob):
            out.append("%s: group entry size %d, image size %d" % (label, gsize, len(blob)))
        size, iw, ih, planes, ibits, compression, used = dib_header(blob)
        if (iw, ih, planes, ibits) != (w, 2 * h, 1, bits):
            out.append(
                "%s: image header says %dx%d/2, %d planes, %d bpp" % (label, iw, ih, planes, ibits)
            )
            continue
        if compression != 0 or size != 40:
            out.append(
                "%s: not an uncompressed DIB (header %d, compression %d)"
                % (label, size, compression)
            )
        colours = used or ((1 << bits) if bits <= 8 else 0)
        whole = size + 4 * colours + h * row_bytes(w, bits) + h * row_bytes(w, 1)
        if len(blob) != whole:
            out.append(
                "%s: %d bytes, an image with its AND mask takes %d" % (label, len(blob), whole)
            )
        if gplanes not in (0, 1):
            out.append("%s: group entry planes %d" % (label, gplanes))
    return out


def check_bitmap(number, want, blob):
    out = []
    w, h, bits = want
    size, bw, bh, planes, bbits, compression, used = dib_header(blob)
    label = "bitmap %d" % number
    if (bw, abs(bh), planes, bbits) != (w, h, 1, bits):
        return [
            "%s: expected %dx%d, %d bpp; got %dx%d, %d planes, %d bpp"
            % (label, w, h, bits, bw, bh, planes, bbits)
        ]
    if compression != 0 or size != 40:
        out.append(
            "%s: not an uncompressed DIB (header %d, compression %d)" % (label, size, compression)
        )
    colours = used or ((1 << bits) if bits <= 8 else 0)
    if bits <= 8 and colours != 1 << bits:
        out.append("%s: palette of %d colours, expected %d" % (label, colours, 1 << bits))
    if bits > 8 and colours:
        out.append("%s: has a palette of %d colours, expected none" % (label, colours))
    whole = size + 4 * colours + h * row_bytes(w, bits)
    if len(blob) != whole:
        out.append("%s: %d bytes, the pixels need %d" % (label, len(blob), whole))
    return out


def pixel24(blob, x, y):
    """(r, g, b) of a 24-bit bottom-up DIB."""
    _, w, h, _, _, _, _ = dib_header(blob)
    at = 40 + (h - 1 - y) * row_bytes(w, 24) + 3 * x
    b, g, r = blob[at : at + 3]
    return r, g, b


def check_panel(blob):
    """Bitmap 113 carries a light panel, cream at its left to white at its right, on a dark
    ground: the page texts and lists lie on it."""
    out = []
    x0, y0, x1, y1 = PANEL
    for y in range(y0, y1 + 1, 13):
        for x in range(x0, x1 + 1, 17):
            if min(pixel24(blob, x, y)) < 200:
                out.append(
                    "bitmap 113: panel pixel (%d, %d) is not light: %r"
                    % (x, y, pixel24(blob, x, y))
                )
                break
    for x, y in ((x0, y0), (x0, y1), (x1, y0), (x1, y1)):
        if min(pixel24(blob, x, y)) < 200:
            out.append(
                "bitmap 113: panel corner (%d, %d) is not light: %r" % (x, y, pixel24(blob, x, y))
            )
    left, right = pixel24(blob, x0, (y0 + y1) // 2), pixel24(blob, x1, (y0 + y1) // 2)
    if not (left[0] - left[2] >= 15):
        out.append("bitmap 113: panel's left edge is not cream: %r" % (left,))
    if min(right) < 245:
        out.append("bitmap 113: panel's right edge is not white: %r" % (right,))
    for x, y in ((2, 2), (2, 306), (x0 - 2, y0 - 2), (x0 - 2, y1 + 2)):
        if max(pixel24(blob, x, y)) > 128:
            out.append(
                "bitmap 113: ground pixel (%d, %d) is not dark: %r" % (x, y, pixel24(blob, x, y))
            )
    return out


def check_manifest(blob):
    out = []
    if not blob.startswith(MANIFEST_START) or not blob.endswith(b"</assembly>"):
        out.append(
            "manifest does not hold the asm.v1 assembly element with CR LF after its start tag"
        )
    try:
        root = ET.fromstring(blob)
    except ET.ParseError as e:
        return out + ["manifest is not well-formed XML: %s" % e]
    if root.tag != "{%s}assembly" % ASM_V1 or root.get("manifestVersion") != "1.0":
        out.append(
            "manifest root is %s, manifestVersion %r" % (root.tag, root.get("manifestVersion"))
        )
    if root.findall(".//{%s}dependency" % ASM_V1):
        out.append("manifest declares a dependency (the classic common controls are wanted)")
    levels = root.findall(
        "{%s}trustInfo/{%s}security/{%s}requestedPrivileges/{%s}requestedExecutionLevel"
        % (ASM_V3, ASM_V3, ASM_V3, ASM_V3)
    )
    if len(levels) != 1:
        out.append(
            "manifest has %d asm.v3 requestedExecutionLevel elements, expected 1" % len(levels)
        )
    elif (levels[0].get("level"), levels[0].get("uiAccess")) != ("requireAdministrator", "false"):
        out.append(
            "manifest requests level %r, uiAccess %r"
            % (levels[0].get("level"), levels[0].get("uiAccess"))
        )
    return out


# ---------------------------------------------------------------------------------------
# The checks.

MACHINES = {"amd64": (0x8664, 0x20B), "i386": (0x14C, 0x10B)}
KNOWN_BUILDS = {
    "drvsetup_x64": ("amd64", "en"),
    "drvsetup_x86": ("i386", "ko"),
    "drvsetup_x64_t": ("amd64", "en"),
    "drvsetup_ko64_t": ("amd64", "ko"),
}
SYSTEM_DLLS = {
    "kernel32.dll",
    "user32.dll",
    "gdi32.dll",
    "winspool.drv",
    "lz32.dll",
    "advapi32.dll",
    "msvcrt.dll",
    "shell32.dll",
    "comctl32.dll",
    "comdlg32.dll",
    "ole32.dll",
    "oleaut32.dll",
    "shlwapi.dll",
    "version.dll",
    "ntdll.dll",
}
RUNTIME_DLLS = ("libstdc++", "libgcc", "libwinpthread")


def is_system_dll(name):
    # Not ucrtbase.dll or the api-ms-win-* sets: Windows 2000, XP and Vista have neither.
    return name.lower() in SYSTEM_DLLS


# What the oldest system each build supports exports (tests/static/exports/*.txt, each
# naming its source): Windows 2000 for the 32-bit program, Vista x64 for the 64-bit ones.
EXPORTS_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "exports")
OLDEST_SYSTEM = {"i386": ("Windows 2000", "windows2000-x86.txt"),
                 "amd64": ("Windows Vista x64", "vista-x64.txt")}


def system_exports(machine):
    """The (dll, function) pairs the oldest supported system of `machine` exports."""
    exports = set()
    with open(os.path.join(EXPORTS_DIR, OLDEST_SYSTEM[machine][1]), encoding="utf-8") as f:
        for line in f:
            fields = line.split("#", 1)[0].split()
            if fields:
                if len(fields) != 2:
                    raise ValueError("bad line in the export data: %r" % line)
                exports.add((fields[0].lower(), fields[1]))
    return exports


def imported_functions(pe):
    """(dll, function) for every function imported by name, "#n" for one by ordinal, in the
    import and delay-import directories."""
    data, found = pe["data"], []
    wide = pe["magic"] == 0x20B
    thunk_size, ordinal_flag = (8, 1 << 63) if wide else (4, 1 << 31)
    for _, name, entry, table_ats in import_descriptors(pe):
        dll = name.lower()
        table = [struct.unpack_from("<I", entry, t)[0] for t in table_ats]
        thunk_at = rva_to_offset(pe, table[0] or table[1])
        while True:
            (thunk,) = unpack("<Q" if wide else "<I", data, thunk_at)
            if thunk == 0:
                break
            if thunk & ordinal_flag:
                found.append((dll, "#%d" % (thunk & 0xFFFF)))
            else:
                found.append((dll, c_string(data, rva_to_offset(pe, thunk & 0x7FFFFFFF) + 2)))
            thunk_at += thunk_size
    return found


def run_checks(pe, machine, lang, reference=None):
    """Every check: a list of (name, failures); a check passes when it has none."""
    results = []

    def check(name, failures):
        results.append((name, list(failures)))

    def same(name, what, got, want):
        check(name, [] if got == want else ["%s %s, expected %s" % (what, got, want)])

    want_machine, want_magic = MACHINES[machine]
    same(
        "machine %s" % machine,
        "machine and optional header magic",
        "%#06x/%#x" % (pe["machine"], pe["magic"]),
        "%#06x/%#x" % (want_machine, want_magic),
    )
    same("GUI subsystem", "subsystem", pe["subsystem"], 2)

    dlls = imported_dlls(pe)
    check(
        "imports only system DLLs",
        ["imports %s, not a system DLL" % d for d in dlls if not is_system_dll(d)],
    )
    check(
        "imports no MinGW runtime DLL",
        ["imports %s" % d for d in dlls if d.lower().startswith(RUNTIME_DLLS)],
    )
    system, _ = OLDEST_SYSTEM[machine]
    exports = system_exports(machine)
    check(
        "imports only functions %s exports" % system,
        [
            "imports %s!%s, which %s does not export" % (d, f, system)
            for d, f in imported_functions(pe)
            if (d, f) not in exports
        ],
    )

    check(
        "imports by name only known DLLs",
        ["imports %s by name" % d for d in ordinary_imports(pe) if d.lower() not in KNOWN_DLLS],
    )
    delayed = {d.lower() for d in delay_loaded_dlls(pe)}
    check(
        "delay-loads LZ32.dll and WINSPOOL.DRV",
        ["%s is not delay-loaded" % d for d in sorted(DELAY_LOADED - delayed)],
    )

    found = resources(pe)
    tags = [(t, n, lg, US_ENGLISH if t == RT_MANIFEST else KOREAN) for t, n, lg, _ in found]
    check(
        "language tags",
        [
            "%s %r tagged %#06x, expected %#06x" % (TYPE_NAMES.get(t, t), n, lg, w)
            for t, n, lg, w in tags
            if lg != w
        ],
    )
    check(
        "no other kinds of resource",
        [
            "unexpected %s resource %r" % (TYPE_NAMES.get(t, "type %r" % (t,)), n)
            for t, n, _, _ in found
            if t not in ALLOWED_TYPES
        ],
    )

    def named(rtype):
        return [(n, blob) for t, n, _, blob in found if t == rtype]

    dialogs = dict(named(RT_DIALOG))
    same(
        "the eleven dialog templates",
        "dialog templates",
        sorted(map(str, dialogs)),
        sorted(DIALOG_NAMES),
    )
    # Field for field as in the reference, a program linked with the same resource set.
    ref_dialogs = {}
    if reference:
        ref_dialogs = {n: b for t, n, _, b in resources(reference) if t == RT_DIALOG}
    for name in DIALOG_NAMES:
        if name not in dialogs:
            check("dialog %s" % name, ["%s is missing" % name])
            continue
        try:
            got = parse_dialog(dialogs[name])
            failures = dialog_rules(name, got)
            if reference:
                failures += compare_dialog(name, parse_dialog(ref_dialogs[name]), got)
        except (BadImage, KeyError) as e:
            failures = ["%s: template cannot be read: %s" % (name, e)]
        check("dialog %s" % name, failures)

    strings = string_blocks(found)
    want_strings = expected_strings(lang)
    same("the twenty-one strings", "string ids", sorted(strings), sorted(want_strings))
    for sid, text in sorted(want_strings.items()):
        same("string %d" % sid, "string %d" % sid, repr(strings.get(sid)), repr(text))

    groups = dict(named(RT_GROUP_ICON))
    images = dict(named(RT_ICON))
    same("the five icon groups", "icon groups", sorted(map(str, groups)), sorted(EXPECTED_ICONS))
    used = set()
    for name, want in EXPECTED_ICONS.items():
        if name not in groups:
            check("icon %s" % name, ["%s is missing" % name])
            continue
        (count,) = unpack("<H", groups[name], 4)
        used.update(unpack("<H", groups[name], 6 + 14 * i + 12)[0] for i in range(count))
        check("icon %s" % name, check_icon_group(name, want, groups[name], images))
    check(
        "no stray icon images",
        ["icon image %r belongs to no group" % n for n in images if n not in used],
    )

    bitmaps = dict(named(RT_BITMAP))
    same(
        "the two bitmaps", "bitmaps", sorted(map(str, bitmaps)), sorted(map(str, EXPECTED_BITMAPS))
    )
    for number, want in EXPECTED_BITMAPS.items():
        if number not in bitmaps:
            check("bitmap %d" % number, ["bitmap %d is missing" % number])
            continue
        check("bitmap %d" % number, check_bitmap(number, want, bitmaps[number]))
    if 113 in bitmaps and not check_bitmap(113, EXPECTED_BITMAPS[113], bitmaps[113]):
        check("bitmap 113 panel", check_panel(bitmaps[113]))

    manifests = named(RT_MANIFEST)
    if [n for n, _ in manifests] != [1]:
        same("manifest", "manifest resources", [n for n, _ in manifests], [1])
    else:
        check("manifest", check_manifest(manifests[0][1]))
    return results


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--machine", choices=sorted(MACHINES))
    parser.add_argument("--lang", choices=("en", "ko"))
    parser.add_argument("--reference", help="a program linked with the same resource set, "
                        "whose dialog templates this one's must equal field for field")
    args = parser.parse_args(argv[1:])
    stem = os.path.splitext(os.path.basename(args.exe))[0].lower()
    machine, lang = KNOWN_BUILDS.get(stem, (None, None))
    machine, lang = args.machine or machine, args.lang or lang
    if not machine or not lang:
        parser.error("%s is no known build: give --machine and --lang" % stem)

    try:
        reference = None
        if args.reference:
            with open(args.reference, "rb") as f:
                reference = read_pe(f.read())
        with open(args.exe, "rb") as f:
            results = run_checks(read_pe(f.read()), machine, lang, reference)
    except (OSError, BadImage, struct.error, ValueError) as e:
        results = [("readable PE image", ["%s: %s" % (args.exe, e)])]

    failed = 0
    for name, failures in results:
        if failures:
            failed += 1
            print("FAIL %s" % name)
            for line in failures:
                print("    %s" % line)
    print("%s (%s, %s)" % (args.exe, machine, "English" if lang == "en" else "Korean"))
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
