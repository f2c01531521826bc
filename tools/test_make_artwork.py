"""Checks for tools/make_artwork.py.

The generated files are read back with a small reader written here from the
file formats alone (nothing is shared with the generator), so a fault in the
writer shows up as a mismatch instead of being repeated on both sides.

Run: python3 -m unittest discover -s tools -p 'test_make_artwork.py'
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "make_artwork.py")
REPO_RES = os.path.join(os.path.dirname(HERE), "res")

ICON_SIZES = [16, 32, 48]
LOGO_W = 75
LOGO_H = 45
DIALOG_GREY = (240, 240, 240)


def pad4(n):
    return (n + 3) // 4 * 4


def run_generator(out_dir):
    subprocess.run([sys.executable, SCRIPT, "--out", out_dir], check=True,
                   stdout=subprocess.DEVNULL)
    result = {}
    for name in ("wrenquil.ico", "logo.bmp"):
        with open(os.path.join(out_dir, name), "rb") as f:
            result[name] = f.read()
    return result


# --------------------------------------------------------------------------
# Independent readers

class IconImage:
    def __init__(self, width, height, header, palette, pixels, mask):
        self.width = width
        self.height = height
        self.header = header      # dict of the BITMAPINFOHEADER fields
        self.palette = palette    # list of (r, g, b)
        self.pixels = pixels      # rows top first, palette indices
        self.mask = mask          # rows top first, 1 = transparent

    def opaque(self, x, y):
        return self.mask[y][x] == 0

    def colour(self, x, y):
        return self.palette[self.pixels[y][x]]


def read_ico(data):
    """Return (entries, images); raises AssertionError on malformed data."""
    assert len(data) >= 6, "too short for an ICONDIR"
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    entries = []
    for i in range(count):
        (w, h, colours, res, planes, bits, size,
         offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        entries.append(dict(width=w or 256, height=h or 256, colours=colours,
                            reserved=res, planes=planes, bits=bits,
                            size=size, offset=offset))
    images = []
    for e in entries:
        off = e["offset"]
        (bi_size, bi_w, bi_h, bi_planes, bi_bits, bi_comp, bi_img, _xppm,
         _yppm, bi_used, _bi_imp) = struct.unpack_from("<IiiHHIIiiII",
                                                        data, off)
        header = dict(size=bi_size, width=bi_w, height=bi_h,
                      planes=bi_planes, bits=bi_bits, compression=bi_comp,
                      image_size=bi_img, colours_used=bi_used)
        w = bi_w
        h = bi_h // 2
        n_colours = bi_used or (1 << bi_bits)
        pos = off + bi_size
        palette = []
        for i in range(n_colours):
            b, g, r, _zero = data[pos + 4 * i:pos + 4 * i + 4]
            palette.append((r, g, b))
        pos += 4 * n_colours
        xor_stride = pad4(w)
        and_stride = pad4((w + 7) // 8)
        pixels = [None] * h
        for row in range(h):                      # stored bottom-up
            line = data[pos + row * xor_stride:pos + row * xor_stride + w]
            pixels[h - 1 - row] = list(line)
        pos += h * xor_stride
        mask = [None] * h
        for row in range(h):
            line = data[pos + row * and_stride:pos + (row + 1) * and_stride]
            mask[h - 1 - row] = [(line[x // 8] >> (7 - x % 8)) & 1
                                 for x in range(w)]
        images.append(IconImage(w, h, header, palette, pixels, mask))
    return dict(reserved=reserved, type=kind, count=count), entries, images


def read_bmp(data):
    (magic, file_size, r1, r2, bits_off) = struct.unpack_from("<2sIHHI",
                                                              data, 0)
    (bi_size, w, h, planes, bits, comp, img_size, _x, _y, used,
     _imp) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    header = dict(magic=magic, file_size=file_size, reserved=(r1, r2),
                  bits_offset=bits_off, size=bi_size, width=w, height=h,
                  planes=planes, bits=bits, compression=comp,
                  image_size=img_size, colours_used=used)
    stride = pad4(abs(w) * 3)
    rows = [None] * abs(h)
    padding = []
    for row in range(abs(h)):
        start = bits_off + row * stride
        line = data[start:start + stride]
        px = [(line[3 * x + 2], line[3 * x + 1], line[3 * x])
              for x in range(abs(w))]
        padding.append(line[abs(w) * 3:])
        # Positive height: the first stored row is the bottom one.
        rows[abs(h) - 1 - row if h > 0 else row] = px
    return header, rows, padding


# --------------------------------------------------------------------------

class ArtworkTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="artwork-test-")
        cls.first = run_generator(os.path.join(cls.tmp, "a"))
        cls.ico = cls.first["wrenquil.ico"]
        cls.bmp = cls.first["logo.bmp"]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    # ---- icon -------------------------------------------------------------

    def test_icon_directory(self):
        head, entries, _images = read_ico(self.ico)
        self.assertEqual(head, dict(reserved=0, type=1, count=3))
        self.assertEqual([(e["width"], e["height"]) for e in entries],
                         [(s, s) for s in ICON_SIZES])
        for e in entries:
            self.assertEqual(e["colours"], 0)
            self.assertEqual(e["reserved"], 0)
            self.assertEqual(e["planes"], 1)
            self.assertEqual(e["bits"], 8)

    def test_icon_offsets_and_sizes(self):
        _head, entries, _images = read_ico(self.ico)
        expected_offset = 6 + 16 * len(entries)
        for e in entries:
            w, h = e["width"], e["height"]
            expected_size = (40 + 256 * 4 + h * pad4(w)
                             + h * pad4((w + 7) // 8))
            self.assertEqual(e["size"], expected_size, "size %d" % w)
            self.assertEqual(e["offset"], expected_offset, "offset %d" % w)
            expected_offset += e["size"]
        self.assertEqual(expected_offset, len(self.ico),
                         "images must end exactly at the end of the file")

    def test_icon_bitmap_headers(self):
        _head, _entries, images = read_ico(self.ico)
        for size, img in zip(ICON_SIZES, images):
            hd = img.header
            self.assertEqual(hd["size"], 40)
            self.assertEqual(hd["width"], size)
            self.assertEqual(hd["height"], 2 * size,
                             "height counts the XOR and AND halves")
            self.assertEqual(hd["planes"], 1)
            self.assertEqual(hd["bits"], 8)
            self.assertEqual(hd["compression"], 0)
            self.assertIn(hd["colours_used"], (0, 256))
            self.assertEqual(len(img.palette), 256)
            if hd["image_size"]:
                self.assertEqual(hd["image_size"],
                                 size * pad4(size)
                                 + size * pad4((size + 7) // 8))

    def test_icon_mask_padding_is_clear(self):
        # The AND rows of the 16 and 48 px images carry padding bytes past
        # the last pixel; they must hold zero bits.
        _head, entries, _images = read_ico(self.ico)
        for e in entries:
            w, h = e["width"], e["height"]
            used = (w + 7) // 8
            stride = pad4(used)
            start = e["offset"] + 40 + 1024 + h * pad4(w)
            for row in range(h):
                pad = self.ico[start + row * stride + used:
                               start + (row + 1) * stride]
                self.assertEqual(pad, b"\0" * (stride - used),
                                 "size %d row %d" % (w, row))

    def test_icon_has_transparent_and_opaque_pixels(self):
        _head, _entries, images = read_ico(self.ico)
        fractions = []
        for img in images:
            n = img.width * img.height
            opaque = sum(1 for y in range(img.height)
                         for x in range(img.width) if img.opaque(x, y))
            self.assertGreater(opaque, 0, "size %d fully transparent"
                               % img.width)
            self.assertLess(opaque, n, "size %d has no transparency"
                            % img.width)
            fractions.append(opaque / n)
            # The drawing fills a good part of the square but not all of it.
            self.assertTrue(0.35 < opaque / n < 0.9,
                            "size %d: %.2f opaque" % (img.width, opaque / n))
            # Rounded bubble: all four corners are see-through, the middle
            # is solid.
            last = img.width - 1
            for x, y in ((0, 0), (last, 0), (last, last)):
                self.assertFalse(img.opaque(x, y), "corner %d,%d" % (x, y))
            self.assertTrue(img.opaque(img.width // 2, img.height // 2))
        # The three sizes show the same drawing.
        self.assertLess(max(fractions) - min(fractions), 0.12)

    def test_icon_transparent_pixels_are_black(self):
        # A masked pixel is XORed onto the screen, so it must be black or it
        # tints whatever is behind the icon.
        _head, _entries, images = read_ico(self.ico)
        for img in images:
            for y in range(img.height):
                for x in range(img.width):
                    if not img.opaque(x, y):
                        self.assertEqual(img.colour(x, y), (0, 0, 0),
                                         "size %d at %d,%d"
                                         % (img.width, x, y))

    def test_icon_uses_several_colours(self):
        _head, _entries, images = read_ico(self.ico)
        for img in images:
            colours = {img.colour(x, y) for y in range(img.height)
                       for x in range(img.width) if img.opaque(x, y)}
            self.assertGreaterEqual(len(colours), 3, "size %d" % img.width)
            # Light feather and a warm accent on the teal bubble.
            self.assertTrue(any(min(c) > 220 for c in colours),
                            "no near-white pixel at %d" % img.width)
            self.assertTrue(any(c[0] > 200 and c[2] < 100 for c in colours),
                            "no amber pixel at %d" % img.width)

    def test_icon_is_upright(self):
        # Rows are stored bottom-up: the bubble's body is near the top and
        # only the narrow tail reaches the bottom.
        _head, _entries, images = read_ico(self.ico)
        for img in images:
            def count(y):
                return sum(img.opaque(x, y) for x in range(img.width))
            top = count(img.height // 10)
            bottom = count(img.height - 1 - img.height // 10)
            self.assertGreater(top, 2 * bottom, "size %d" % img.width)

    # ---- logo -------------------------------------------------------------

    def test_logo_headers(self):
        hd, _rows, _padding = read_bmp(self.bmp)
        stride = pad4(LOGO_W * 3)
        self.assertEqual(hd["magic"], b"BM")
        self.assertEqual(hd["file_size"], len(self.bmp))
        self.assertEqual(hd["reserved"], (0, 0))
        self.assertEqual(hd["bits_offset"], 14 + 40)
        self.assertEqual(hd["size"], 40)
        self.assertEqual(hd["width"], LOGO_W)
        self.assertEqual(hd["height"], LOGO_H, "positive height: bottom-up")
        self.assertEqual(hd["planes"], 1)
        self.assertEqual(hd["bits"], 24)
        self.assertEqual(hd["compression"], 0)
        self.assertIn(hd["image_size"], (0, stride * LOGO_H))
        self.assertEqual(hd["colours_used"], 0)
        self.assertEqual(len(self.bmp), 14 + 40 + stride * LOGO_H)

    def test_logo_row_padding(self):
        _hd, _rows, padding = read_bmp(self.bmp)
        self.assertEqual(len(padding), LOGO_H)
        self.assertEqual(pad4(LOGO_W * 3) - LOGO_W * 3, 3)
        for row, pad in enumerate(padding):
            self.assertEqual(pad, b"\0\0\0", "row %d" % row)

    def test_logo_background_and_content(self):
        _hd, rows, _padding = read_bmp(self.bmp)
        for x, y in ((0, 0), (LOGO_W - 1, 0), (0, LOGO_H - 1),
                     (LOGO_W - 1, LOGO_H - 1), (LOGO_W - 1, LOGO_H // 2)):
            self.assertEqual(rows[y][x], DIALOG_GREY, "at %d,%d" % (x, y))
        colours = {c for row in rows for c in row}
        self.assertGreater(len(colours), 3)
        drawn = sum(1 for row in rows for c in row if c != DIALOG_GREY)
        self.assertGreater(drawn, LOGO_W * LOGO_H // 5)
        self.assertTrue(any(min(c) > 245 for c in colours), "no white")
        self.assertTrue(any(c[0] > 200 and c[2] < 100 for c in colours),
                        "no amber")
        self.assertTrue(any(c[1] > c[0] + 40 and c[2] > c[0] + 40
                            and max(c) < 160 for c in colours), "no teal")

    def test_logo_is_upright(self):
        # The bubble's tail (bottom left) is narrower than its body.
        _hd, rows, _padding = read_bmp(self.bmp)

        def drawn(y):
            return sum(1 for x in range(LOGO_W // 2)
                       if rows[y][x] != DIALOG_GREY)
        self.assertGreater(drawn(6), 2 * drawn(LOGO_H - 6))

    # ---- reproducibility ---------------------------------------------------

    def test_two_runs_give_identical_bytes(self):
        second = run_generator(os.path.join(self.tmp, "b"))
        self.assertEqual(second["wrenquil.ico"], self.ico)
        self.assertEqual(second["logo.bmp"], self.bmp)

    def test_checked_in_files_are_current(self):
        for name in ("wrenquil.ico", "logo.bmp"):
            path = os.path.join(REPO_RES, name)
            self.assertTrue(os.path.isfile(path), path + " missing")
            with open(path, "rb") as f:
                self.assertEqual(f.read(), self.first[name],
                                 "%s is stale: rerun tools/make_artwork.py"
                                 % path)


if __name__ == "__main__":
    unittest.main()
