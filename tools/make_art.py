#!/usr/bin/env python3
"""Draw the wizard's icons and bitmaps.

Usage: make_art.py OUTDIR

Writes setup.ico, printer.ico, port.ico, network.ico, disk.ico, background.bmp (the page
artwork, bitmap 113) and picture.bmp (the setup picture, bitmap 2039) into OUTDIR. The
pictures are simple shapes; what matters to the program is their exact sizes and formats:
icons are uncompressed DIB images with an AND mask, the page artwork is a 24-bit bitmap
without palette, the setup picture a 16-colour bitmap. The output is the same on every run.
"""

import os
import struct
import sys

# The sixteen colours of the standard Windows palette, in their usual order.
# fmt: off
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# fmt: on
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


def palette_for(bits):
    """The palette an image of this depth is stored with."""
    if bits == 1:
        return [(0, 0, 0), (255, 255, 255)]
    if bits == 4:
        return list(VGA)
    # 8 bits: the sixteen standard colours, a 6x6x6 colour cube and a grey ramp.
    cube = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    greys = [(v, v, v) for v in range(8, 248, 10)]
    return (VGA + cube + greys)[:256]


def nearest(palette, colour, cache):
    """Index of the palette colour closest to colour (plain squared distance)."""
    if colour not in cache:
        r, g, b = colour

        def distance(i):
            pr, pg, pb = palette[i]
            return (pr - r) ** 2 + (pg - g) ** 2 + (pb - b) ** 2

        best = min(range(len(palette)), key=distance)
        cache[colour] = best
    return cache[colour]


# ---------------------------------------------------------------------------------------
# Canvas: a width, a height and a flat list of pixels (RGB tuples, palette indices, or None
# for a transparent icon pixel). Shapes cover the pixels whose centres they contain, so a
# drawing scales to any size without gaps.


def canvas(w, h, fill=None):
    return {"w": w, "h": h, "px": [fill] * (w * h)}


def put(c, x, y, value):
    if 0 <= x < c["w"] and 0 <= y < c["h"]:
        c["px"][y * c["w"] + x] = value


def get(c, x, y):
    return c["px"][y * c["w"] + x]


def rect(c, x0, y0, x1, y1, value):
    """Fill the pixels whose centres lie in [x0, x1) x [y0, y1)."""
    for y in range(max(0, int(y0 - 1)), min(c["h"], int(y1 + 1))):
        if not (y0 <= y + 0.5 < y1):
            continue
        for x in range(max(0, int(x0 - 1)), min(c["w"], int(x1 + 1))):
            if x0 <= x + 0.5 < x1:
                c["px"][y * c["w"] + x] = value


def polygon(c, points, value):
    """Even-odd fill of a closed polygon, tested at pixel centres."""
    ys = [p[1] for p in points]
    for y in range(max(0, int(min(ys) - 1)), min(c["h"], int(max(ys) + 1))):
        yc = y + 0.5
        crossings = []
        for i in range(len(points)):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % len(points)]
            if (ya <= yc < yb) or (yb <= yc < ya):
                crossings.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
        crossings.sort()
        for i in range(0, len(crossings) - 1, 2):
            for x in range(max(0, int(crossings[i] - 1)), min(c["w"], int(crossings[i + 1] + 1))):
                if crossings[i] <= x + 0.5 < crossings[i + 1]:
                    c["px"][y * c["w"] + x] = value


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def hgradient(c, x0, y0, x1, y1, left, right):
    """Fill a rectangle of whole pixels [x0, x1] x [y0, y1], shading left to right."""
    for x in range(x0, x1 + 1):
        colour = mix(left, right, (x - x0) / max(1, x1 - x0))
        for y in range(y0, y1 + 1):
            put(c, x, y, colour)


def vgradient(c, x0, y0, x1, y1, top, bottom):
    for y in range(y0, y1 + 1):
        colour = mix(top, bottom, (y - y0) / max(1, y1 - y0))
        for x in range(x0, x1 + 1):
            put(c, x, y, colour)


def glow(c, cx, cy, radius, colour, strength):
    """Brighten an RGB canvas towards colour, strongest at the centre."""
    for y in range(max(0, int(cy - radius)), min(c["h"], int(cy + radius + 1))):
        for x in range(max(0, int(cx - radius)), min(c["w"], int(cx + radius + 1))):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5 / radius
            if d < 1.0:
                t = strength * (1.0 - d) ** 2
                c["px"][y * c["w"] + x] = mix(get(c, x, y), colour, t)


# ---------------------------------------------------------------------------------------
# Shapes drawn on a grid of 32 units, scaled to the target: an icon of 16, 32 or 48 pixels
# or a picture inside a larger bitmap. `u` maps a unit to pixels, (ox, oy) is the origin.


def grid(c, size, ox=0.0, oy=0.0):
    return {"c": c, "k": size / 32.0, "ox": ox, "oy": oy}


def g_rect(g, x0, y0, x1, y1, value, edge=None):
    """A rectangle in grid units, with a one-pixel border when edge is given."""
    k, ox, oy = g["k"], g["ox"], g["oy"]
    X0, Y0, X1, Y1 = ox + x0 * k, oy + y0 * k, ox + x1 * k, oy + y1 * k
    if edge is not None:
        rect(g["c"], X0, Y0, X1, Y1, edge)
        X0, Y0, X1, Y1 = X0 + 1, Y0 + 1, X1 - 1, Y1 - 1
    rect(g["c"], X0, Y0, X1, Y1, value)


def g_poly(g, points, value):
    k, ox, oy = g["k"], g["ox"], g["oy"]
    polygon(g["c"], [(ox + x * k, oy + y * k) for x, y in points], value)


def draw_printer(g, body=(200, 200, 196), shade=(150, 150, 146), edge=(40, 40, 40)):
    """A desk printer: paper standing in the feeder, the body, the output slot and sheet."""
    fine = g["k"] >= 1.0  # room for the printed lines at 32 pixels and more
    g_rect(g, 8, 1, 24, 13, (255, 255, 255), edge)
    for y in (4, 7, 10) if fine else ():
        g_rect(g, 11, y, 21, y + 1, (120, 120, 160))
    g_rect(g, 2, 12, 30, 25, body, edge)
    g_rect(g, 3.5, 19, 28.5, 24, shade)
    g_rect(g, 6, 16, 26, 18, (60, 60, 60))
    g_rect(g, 24, 13.5, 27, 15, (0, 200, 0))
    g_rect(g, 7, 22, 25, 30, (255, 255, 255), edge)
    for y in (25, 27) if fine else ():
        g_rect(g, 10, y, 22, y + 1, (60, 60, 60))


def draw_monitor(g, screen=(0, 0, 128), frame=(192, 192, 192), edge=(0, 0, 0)):
    g_rect(g, 2, 2, 30, 22, frame, edge)
    g_rect(g, 5, 5, 27, 19, screen, edge if g["k"] >= 1.0 else None)
    g_rect(g, 12, 22, 20, 25, (128, 128, 128))
    g_rect(g, 7, 25, 25, 28, frame, edge)


def draw_diskette(g, body=(0, 0, 128), edge=(0, 0, 0)):
    g_poly(g, [(2, 2), (27, 2), (30, 5), (30, 30), (2, 30)], edge)
    p = 1.0 / g["k"]  # one pixel in grid units: the body sits inside a one-pixel edge
    inner = [
        (2 + p, 2 + p),
        (27 - p / 2, 2 + p),
        (30 - p, 5 + p / 2),
        (30 - p, 30 - p),
        (2 + p, 30 - p),
    ]
    g_poly(g, inner, body)
    g_rect(g, 9, 2, 23, 12, (192, 192, 192), edge)
    g_rect(g, 17, 4, 20, 10, (0, 0, 0))
    g_rect(g, 6, 16, 26, 30, (255, 255, 255), edge)
    g_rect(g, 9, 20, 23, 21, (0, 0, 255))
    g_rect(g, 9, 24, 23, 25, (0, 0, 255))


def icon_setup(size):
    c = canvas(size, size)
    g = grid(c, size)
    draw_monitor(g, screen=(0, 128, 128))
    g_rect(g, 7, 7, 17, 9, (255, 255, 255))
    g_rect(g, 7, 11, 14, 13, (255, 255, 255))
    small = grid(c, size * 15 / 32.0, size * 16 / 32.0, size * 16 / 32.0)
    draw_diskette(small, body=(0, 0, 0))
    return c


def icon_printer(size):
    c = canvas(size, size)
    draw_printer(grid(c, size))
    return c


def icon_port(size):
    c = canvas(size, size)
    g = grid(c, size)
    g_rect(g, 13, 1, 19, 11, (128, 128, 128), (0, 0, 0))
    g_poly(g, [(2, 10), (30, 10), (26, 24), (6, 24)], (0, 0, 0))
    g_poly(g, [(4, 11.5), (28, 11.5), (24.8, 22.5), (7.2, 22.5)], (192, 192, 192))
    for i in range(5):
        g_rect(g, 7 + 4 * i, 14, 9 + 4 * i, 16, (0, 0, 0))
    for i in range(4):
        g_rect(g, 9 + 4 * i, 18, 11 + 4 * i, 20, (0, 0, 0))
    g_rect(g, 4, 24, 28, 28, (192, 192, 192), (0, 0, 0))
    return c


def icon_network(size):
    c = canvas(size, size)
    small = grid(c, size * 22 / 32.0, size * 5 / 32.0, 0)
    draw_printer(small)
    g = grid(c, size)
    g_rect(g, 14.5, 21, 17.5, 27, (0, 0, 0))
    g_rect(g, 1, 26, 31, 31, (0, 160, 160), (0, 0, 0))
    for x in (5, 15, 25):
        g_rect(g, x, 27.5, x + 2, 29.5, (255, 255, 0))
    return c


def icon_disk(size):
    c = canvas(size, size)
    draw_diskette(grid(c, size))
    return c


# ---------------------------------------------------------------------------------------
# File formats.


def dib_rows(c, bits, palette):
    """Pixel rows of a DIB, bottom-up, each padded to four bytes."""
    cache = {}
    stride = ((c["w"] * bits + 31) // 32) * 4
    rows = []
    for y in range(c["h"] - 1, -1, -1):
        row = bytearray(stride)
        for x in range(c["w"]):
            value = get(c, x, y)
            if bits == 24:
                r, g, b = value
                row[x * 3 : x * 3 + 3] = bytes((b, g, r))
                continue
            if value is None:
                index = 0
            elif isinstance(value, int):
                index = value
            else:
                index = nearest(palette, value, cache)
            bit = x * bits
            row[bit // 8] |= index << (8 - bits - bit % 8)
        rows.append(bytes(row))
    return b"".join(rows)


def and_mask(c):
    """The AND mask of an icon: a set bit where the pixel is transparent."""
    stride = ((c["w"] + 31) // 32) * 4
    rows = []
    for y in range(c["h"] - 1, -1, -1):
        row = bytearray(stride)
        for x in range(c["w"]):
            if get(c, x, y) is None:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(rows)


def info_header(w, h, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_size, 0, 0, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def icon_image(c, bits):
    palette = palette_for(bits)
    xor = dib_rows(c, bits, palette)
    mask = and_mask(c)
    header = info_header(c["w"], c["h"] * 2, bits, len(xor) + len(mask), 0)
    return header + palette_bytes(palette) + xor + mask


def write_icon(path, images):
    """images: (canvas, bits) in the order the icon group lists them."""
    blobs = [icon_image(c, bits) for c, bits in images]
    offset = 6 + 16 * len(images)
    out = [struct.pack("<HHH", 0, 1, len(images))]
    for (c, bits), blob in zip(images, blobs):
        colours = (1 << bits) if bits < 8 else 0
        out.append(
            struct.pack(
                "<BBBBHHII", c["w"] % 256, c["h"] % 256, colours, 0, 1, bits, len(blob), offset
            )
        )
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(b"".join(out) + b"".join(blobs))


def write_bitmap(path, c, bits):
    palette = palette_for(bits) if bits <= 8 else []
    pixels = dib_rows(c, bits, palette)
    header = info_header(c["w"], c["h"], bits, len(pixels), len(palette))
    body = header + palette_bytes(palette) + pixels
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 4 * len(palette)))
        f.write(body)


# ---------------------------------------------------------------------------------------
# The two bitmaps.

PANEL = (181, 8, 490, 299)  # the light panel under the page texts, inclusive pixels
CREAM = (255, 247, 218)


def page_background():
    """Bitmap 113: a dark ground with pictures down the left third and the light panel."""
    c = canvas(497, 309)
    vgradient(c, 0, 0, 496, 308, (22, 40, 86), (6, 12, 34))
    # A thin light rule down the right edge of the picture column.
    for y in range(20, 289):
        put(c, 168, y, mix((6, 12, 34), (90, 130, 190), 1.0 - abs(y - 154) / 140.0))
    glow(c, 84, 64, 70, (40, 140, 170), 0.55)
    glow(c, 84, 160, 62, (40, 110, 180), 0.45)
    glow(c, 84, 252, 60, (40, 140, 170), 0.40)
    draw_printer(grid(c, 96, 36, 20))
    draw_monitor(
        grid(c, 84, 42, 124), screen=(20, 90, 150), frame=(210, 210, 205), edge=(20, 20, 30)
    )
    # A page of text on the monitor's screen.
    rect(c, 70, 145, 98, 181, (250, 250, 245))
    for y in range(150, 178, 5):
        rect(c, 74, y, 94, y + 2, (120, 130, 160))
    # Diskettes fanned below.
    draw_diskette(grid(c, 46, 28, 226), body=(160, 30, 30), edge=(10, 10, 10))
    draw_diskette(grid(c, 46, 62, 220), body=(20, 20, 20), edge=(10, 10, 10))
    draw_diskette(grid(c, 46, 96, 226), body=(30, 60, 170), edge=(10, 10, 10))
    x0, y0, x1, y1 = PANEL
    hgradient(c, x0, y0, x1, y1, CREAM, (255, 255, 255))
    return c


def setup_picture():
    """Bitmap 2039: a computer with diskettes on a teal ground, in the sixteen colours."""
    c = canvas(154, 248, TEAL)
    # Monitor.
    rect(c, 24, 24, 130, 112, BLACK)
    rect(c, 25, 25, 129, 111, SILVER)
    rect(c, 25, 25, 129, 27, WHITE)
    rect(c, 34, 33, 120, 101, GRAY)
    rect(c, 35, 34, 120, 101, NAVY)
    rect(c, 42, 42, 90, 46, AQUA)
    rect(c, 42, 52, 108, 55, WHITE)
    rect(c, 42, 60, 100, 63, WHITE)
    rect(c, 42, 68, 104, 71, WHITE)
    rect(c, 42, 84, 72, 94, SILVER)
    rect(c, 116, 104, 122, 107, LIME)
    rect(c, 62, 112, 92, 120, GRAY)
    # System unit.
    rect(c, 10, 120, 144, 160, BLACK)
    rect(c, 11, 121, 143, 159, SILVER)
    rect(c, 11, 121, 143, 123, WHITE)
    rect(c, 82, 132, 132, 138, BLACK)
    rect(c, 82, 144, 132, 150, BLACK)
    rect(c, 22, 134, 30, 138, LIME)
    rect(c, 22, 144, 30, 148, RED)
    # Diskettes.
    for x, y, body in ((14, 176, BLACK), (56, 184, BLUE), (98, 176, MAROON)):
        polygon(c, [(x, y), (x + 36, y), (x + 42, y + 6), (x + 42, y + 48), (x, y + 48)], body)
        rect(c, x + 11, y, x + 31, y + 16, SILVER)
        rect(c, x + 24, y + 3, x + 28, y + 13, BLACK)
        rect(c, x + 6, y + 24, x + 36, y + 48, WHITE)
        rect(c, x + 10, y + 30, x + 32, y + 32, BLUE)
        rect(c, x + 10, y + 37, x + 32, y + 39, BLUE)
    return c


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_art.py OUTDIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    write_icon(os.path.join(out, "setup.ico"), [(icon_setup(32), 4), (icon_setup(16), 4)])
    write_icon(
        os.path.join(out, "printer.ico"),
        [(icon_printer(48), 8), (icon_printer(32), 8), (icon_printer(16), 8)],
    )
    write_icon(os.path.join(out, "port.ico"), [(icon_port(32), 1), (icon_port(32), 4)])
    write_icon(
        os.path.join(out, "network.ico"),
        [(icon_network(48), 8), (icon_network(32), 8), (icon_network(16), 8)],
    )
    write_icon(
        os.path.join(out, "disk.ico"),
        [(icon_disk(16), 4), (icon_disk(16), 8), (icon_disk(32), 4), (icon_disk(32), 8)],
    )
    write_bitmap(os.path.join(out, "background.bmp"), page_background(), 24)
    write_bitmap(os.path.join(out, "picture.bmp"), setup_picture(), 4)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
