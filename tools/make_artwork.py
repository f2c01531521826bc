#!/usr/bin/env python3
"""Draw Wrenquil's artwork from simple geometry and write it as resource files.

Outputs (into res/ at the repository root unless --out is given):

  wrenquil.ico  three 8-bit palettised images (16, 32 and 48 px) with a
                1-bit transparency mask
  logo.bmp      a 75 x 45, 24-bit logo for the dialogs, drawn on the
                dialog grey

The motif is a deep teal speech bubble with a white quill feather inside,
its nib drawing a wavy amber ink line along the bottom of the bubble.
Every shape is described in "motif units" (0..1 across a square, y pointing
down) and is rasterised by point sampling on a fixed sub-pixel grid, so the
output is the same byte for byte on every run.

Only the Python 3 standard library is used.
"""

import argparse
import math
import os
import struct
import sys

# --------------------------------------------------------------------------
# Colours (R, G, B)

RIM = (9, 62, 70)            # darker teal outline of the bubble
TEAL = (17, 112, 120)        # bubble body
WHITE = (255, 255, 255)      # feather vanes
SHAFT = (12, 78, 86)         # feather shaft, drawn over the white vanes
AMBER = (242, 163, 38)       # the ink line and the accent stripe
DIALOG_GREY = (240, 240, 240)

BASE_COLOURS = (RIM, TEAL, WHITE, AMBER, SHAFT)

ICON_SIZES = (16, 32, 48)
LOGO_WIDTH = 75
LOGO_HEIGHT = 45

SUPERSAMPLE = 8              # samples per pixel along each axis


# --------------------------------------------------------------------------
# Geometry helpers (all in motif units)

def _sd_round_rect(x, y, cx, cy, hw, hh, r):
    """Signed distance to a rounded rectangle (negative inside)."""
    qx = abs(x - cx) - (hw - r)
    qy = abs(y - cy) - (hh - r)
    ox = max(qx, 0.0)
    oy = max(qy, 0.0)
    return math.hypot(ox, oy) + min(max(qx, qy), 0.0) - r


def _sd_polygon(x, y, pts):
    """Signed distance to a simple polygon (negative inside)."""
    n = len(pts)
    dx = x - pts[0][0]
    dy = y - pts[0][1]
    best = dx * dx + dy * dy
    sign = 1.0
    j = n - 1
    for i in range(n):
        xi, yi = pts[i]
        xj, yj = pts[j]
        ex = xj - xi
        ey = yj - yi
        wx = x - xi
        wy = y - yi
        t = (wx * ex + wy * ey) / (ex * ex + ey * ey)
        t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
        bx = wx - ex * t
        by = wy - ey * t
        d = bx * bx + by * by
        if d < best:
            best = d
        c1 = y >= yi
        c2 = y < yj
        c3 = ex * wy > ey * wx
        if (c1 and c2 and c3) or not (c1 or c2 or c3):
            sign = -sign
        j = i
    return sign * math.sqrt(best)


def _inside_polygon(x, y, pts):
    """Even-odd point-in-polygon test."""
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y):
            if x < xi + (y - yi) * (xj - xi) / (yj - yi):
                inside = not inside
        j = i
    return inside


def _sd_segment(x, y, ax, ay, bx, by):
    """Distance to the segment a-b."""
    px = x - ax
    py = y - ay
    ex = bx - ax
    ey = by - ay
    t = (px * ex + py * ey) / (ex * ex + ey * ey)
    t = 0.0 if t < 0.0 else (1.0 if t > 1.0 else t)
    return math.hypot(px - ex * t, py - ey * t)


# --------------------------------------------------------------------------
# The motif

# Speech bubble: a rounded rectangle with a tail at the lower left.
BUBBLE = (0.5, 0.40, 0.47, 0.35, 0.2)            # cx, cy, half-w, half-h, r
TAIL = ((0.125, 0.60), (0.43, 0.70), (0.125, 0.98))

# Quill: the nib sits at the lower left, the feather sweeps up-right.
QUILL_NIB = (0.24, 0.60)
QUILL_TOP = (0.80, 0.13)
QUILL_VANE_START = 0.22    # fraction of the length where the vanes begin
QUILL_SHAFT_END = 0.88     # fraction of the length where the shaft ends

# Ink line written by the nib: a shallow wave running right from the nib.
INK_START_X = 0.24
INK_END_X = 0.76
INK_Y = 0.635
INK_WAVE = 0.022


def _quill_frame():
    nx, ny = QUILL_NIB
    tx, ty = QUILL_TOP
    length = math.hypot(tx - nx, ty - ny)
    ux = (tx - nx) / length
    uy = (ty - ny) / length
    # Perpendicular pointing to the upper-left side of the feather.
    vx, vy = uy, -ux
    return nx, ny, ux, uy, vx, vy, length


def _feather_outline(notch):
    """Polygon for the feather vanes: widest about two thirds of the way up
    and a slightly broader upper-left vane; optionally a small notch cut into
    the lower-right vane (only drawn where there are pixels enough)."""
    nx, ny, ux, uy, vx, vy, length = _quill_frame()
    steps = 24
    k = math.log(0.5) / math.log(0.62)      # puts the widest point at 62 %
    left = []
    right = []
    for i in range(steps + 1):
        s = i / steps
        t = QUILL_VANE_START + (1.0 - QUILL_VANE_START) * s
        w = math.sin(math.pi * (s ** k)) ** 0.8 if 0.0 < s < 1.0 else 0.0
        wl = 0.15 * w
        wr = 0.115 * w
        if notch and 0.40 < s < 0.52:
            wr *= 0.35 + 0.65 * abs(s - 0.46) / 0.06
        px = nx + ux * t * length
        py = ny + uy * t * length
        left.append((px + vx * wl, py + vy * wl))
        right.append((px - vx * wr, py - vy * wr))
    return left + right[-2:0:-1]


def _box(pts):
    return (min(p[0] for p in pts), min(p[1] for p in pts),
            max(p[0] for p in pts), max(p[1] for p in pts))


FEATHER_PLAIN = _feather_outline(False)
FEATHER_NOTCHED = _feather_outline(True)
_FEATHER_BOX = _box(FEATHER_PLAIN)


def _along_quill(t):
    nx, ny, ux, uy, _vx, _vy, length = _quill_frame()
    return nx + ux * t * length, ny + uy * t * length


_VANE_START_PT = _along_quill(QUILL_VANE_START)
_SHAFT_END_PT = _along_quill(QUILL_SHAFT_END)


def _ink_distance(x, y, base_y, wave):
    """Approximate distance to the ink line (a sine wave of one period)."""
    if x < INK_START_X:
        return math.hypot(x - INK_START_X, y - base_y)
    if x > INK_END_X:
        return math.hypot(x - INK_END_X, y - base_y)
    span = INK_END_X - INK_START_X
    phase = 2.0 * math.pi * (x - INK_START_X) / span
    wy = base_y - wave * math.sin(phase)
    slope = -wave * math.cos(phase) * 2.0 * math.pi / span
    return abs(y - wy) / math.sqrt(1.0 + slope * slope)


def motif_colour(x, y, pixel):
    """Colour of the motif at (x, y) in motif units, or None if outside.
    pixel is the size of one output pixel in motif units: small sizes drop
    the feather's shaft and notch and draw the ink as one straight pixel
    row, which stays crisp where a wave would only smear."""
    rim_width = max(pixel, 0.04)
    detail = pixel <= 1.0 / 24.0
    d_body = _sd_round_rect(x, y, *BUBBLE)
    if y > 0.55:
        d_body = min(d_body, _sd_polygon(x, y, TAIL))
    if d_body > 0.0:
        return None

    # The bare quill below the vanes, narrowing to a point at the nib.
    nx, ny = QUILL_NIB
    vx, vy = _VANE_START_PT
    seg = _sd_segment(x, y, nx, ny, vx, vy)
    if seg < 0.04:
        along = ((x - nx) * (vx - nx) + (y - ny) * (vy - ny)) / \
            ((vx - nx) ** 2 + (vy - ny) ** 2)
        along = min(max(along, 0.0), 1.0)
        if seg < 0.008 + 0.026 * along:
            return WHITE

    fx0, fy0, fx1, fy1 = _FEATHER_BOX
    if fx0 <= x <= fx1 and fy0 <= y <= fy1 and _inside_polygon(
            x, y, FEATHER_NOTCHED if detail else FEATHER_PLAIN):
        if detail:
            sx, sy = _SHAFT_END_PT
            if _sd_segment(x, y, vx, vy, sx, sy) < 0.016:
                return SHAFT
        return WHITE

    if detail:
        ink = _ink_distance(x, y, INK_Y, INK_WAVE) < rim_width * 0.8
    else:
        row_y = (math.floor(INK_Y / pixel - 0.5) + 0.5) * pixel
        ink = _ink_distance(x, y, row_y, 0.0) < pixel * 0.5
    if ink:
        return AMBER

    if d_body > -rim_width:
        return RIM
    return TEAL


# --------------------------------------------------------------------------
# Rasterising

def render(width, height, shade, ss=SUPERSAMPLE):
    """Sample shade(x, y) (pixel coordinates, y down) on an ss x ss grid per
    pixel.  Returns rows (top first) of (coverage, (r, g, b)) where the colour
    is the mean of the covered samples (or None when nothing is covered)."""
    offsets = [(i + 0.5) / ss for i in range(ss)]
    total = ss * ss
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            n = 0
            r = g = b = 0
            for oy in offsets:
                for ox in offsets:
                    c = shade(px + ox, py + oy)
                    if c is not None:
                        n += 1
                        r += c[0]
                        g += c[1]
                        b += c[2]
            if n:
                row.append((n / total, (r / n, g / n, b / n)))
            else:
                row.append((0.0, None))
        rows.append(row)
    return rows


def _motif_shader(ox, oy, size):
    pixel = 1.0 / size

    def shade(x, y):
        return motif_colour((x - ox) / size, (y - oy) / size, pixel)
    return shade


# --------------------------------------------------------------------------
# Icon

def build_palette():
    """A fixed 256-entry palette: black (for masked pixels), then ramps
    between every pair of the base colours."""
    pal = [(0, 0, 0)]
    steps = 40
    for i in range(len(BASE_COLOURS)):
        for j in range(i + 1, len(BASE_COLOURS)):
            a = BASE_COLOURS[i]
            b = BASE_COLOURS[j]
            for k in range(steps + 1):
                c = tuple(int(round(a[n] + (b[n] - a[n]) * k / steps))
                          for n in range(3))
                if c not in pal:
                    pal.append(c)
    if len(pal) > 256:
        # Thin the ramps evenly, keeping black and the base colours.
        keep = [(0, 0, 0)] + list(BASE_COLOURS)
        rest = [c for c in pal if c not in keep]
        room = 256 - len(keep)
        rest = [rest[(i * len(rest)) // room] for i in range(room)]
        pal = keep + rest
    while len(pal) < 256:
        pal.append((0, 0, 0))
    return pal


def _nearest(colour, palette, cache):
    key = tuple(int(round(v)) for v in colour)
    idx = cache.get(key)
    if idx is None:
        best = None
        for i in range(1, len(palette)):
            p = palette[i]
            d = ((p[0] - key[0]) ** 2 + (p[1] - key[1]) ** 2
                 + (p[2] - key[2]) ** 2)
            if best is None or d < best:
                best = d
                idx = i
        cache[key] = idx
    return idx


def icon_image(size, palette, cache):
    """Return (indices, mask) rows, top first; mask 1 = transparent."""
    pixels = render(size, size, _motif_shader(0.0, 0.0, float(size)))
    indices = []
    mask = []
    for row in pixels:
        irow = []
        mrow = []
        for coverage, colour in row:
            if coverage >= 0.5:
                irow.append(_nearest(colour, palette, cache))
                mrow.append(0)
            else:
                irow.append(0)
                mrow.append(1)
        indices.append(irow)
        mask.append(mrow)
    return indices, mask


def _pad4(n):
    return (n + 3) & ~3


def encode_icon_image(size, palette, indices, mask):
    xor_stride = _pad4(size)
    and_stride = _pad4((size + 7) // 8)
    xor_bytes = bytearray()
    and_bytes = bytearray()
    for y in range(size - 1, -1, -1):            # bottom-up
        line = bytearray(indices[y])
        line += b"\0" * (xor_stride - size)
        xor_bytes += line
        bits = bytearray(and_stride)
        for x in range(size):
            if mask[y][x]:
                bits[x >> 3] |= 0x80 >> (x & 7)
        and_bytes += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         len(xor_bytes) + len(and_bytes), 0, 0, 0, 0)
    pal = bytearray()
    for r, g, b in palette:
        pal += bytes((b, g, r, 0))
    return header + bytes(pal) + bytes(xor_bytes) + bytes(and_bytes)


def make_icon():
    palette = build_palette()
    cache = {}
    images = []
    for size in ICON_SIZES:
        indices, mask = icon_image(size, palette, cache)
        images.append((size, encode_icon_image(size, palette, indices, mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 8,
                           len(data), offset)
        offset += len(data)
    for _size, data in images:
        out += data
    return bytes(out)


# --------------------------------------------------------------------------
# Logo

LOGO_MOTIF = (3.0, 3.0, 40.0)        # left, top, size in pixels
# Wordmark-like stripes: (x0, y0, x1, y1, colour) in pixels, rounded ends.
LOGO_STRIPES = (
    (47.0, 15.0, 72.0, 23.0, TEAL),
    (47.0, 26.5, 64.0, 29.5, AMBER),
)


def _stripe_colour(x, y):
    for x0, y0, x1, y1, colour in LOGO_STRIPES:
        r = (y1 - y0) / 2.0
        cy = (y0 + y1) / 2.0
        if _sd_segment(x, y, x0 + r, cy, x1 - r, cy) <= r:
            return colour
    return None


def make_logo():
    motif = _motif_shader(*LOGO_MOTIF)
    mx, my, ms = LOGO_MOTIF

    def shade(x, y):
        if mx <= x <= mx + ms and my <= y <= my + ms:
            c = motif(x, y)
            if c is not None:
                return c
        return _stripe_colour(x, y)

    pixels = render(LOGO_WIDTH, LOGO_HEIGHT, shade)
    stride = _pad4(LOGO_WIDTH * 3)
    body = bytearray()
    for y in range(LOGO_HEIGHT - 1, -1, -1):     # bottom-up
        line = bytearray()
        for coverage, colour in pixels[y]:
            if colour is None:
                r, g, b = DIALOG_GREY
            else:
                r, g, b = (int(round(colour[n] * coverage
                                     + DIALOG_GREY[n] * (1.0 - coverage)))
                           for n in range(3))
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    info = struct.pack("<IiiHHIIiiII", 40, LOGO_WIDTH, LOGO_HEIGHT, 1, 24, 0,
                       len(body), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body),
                              0, 0, 14 + len(info))
    return file_header + info + bytes(body)


# --------------------------------------------------------------------------

def default_out_dir():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.join(os.path.dirname(here), "res")


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Draw Wrenquil's icon and logo.")
    parser.add_argument("--out", metavar="DIR", default=None,
                        help="output directory (default: res/ in the "
                             "repository)")
    args = parser.parse_args(argv)
    out_dir = args.out or default_out_dir()
    os.makedirs(out_dir, exist_ok=True)
    for name, data in (("wrenquil.ico", make_icon()),
                       ("logo.bmp", make_logo())):
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (path, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
