"""Small PNG files of cairo pictures, with the pixels cairo itself would write.

cairo's own writer leaves compression to libpng's defaults. The 2x and 3x
pictures are several times larger than the 1x ones and are embedded in every
plug-in library, so they are written here instead: the same unpremultiplied
8-bit RGB or RGBA pixels as cairo_surface_write_to_png (RGB when the picture
is opaque), with each row's filter chosen from several plans and zlib at
level 9; the smallest result is kept. Only the standard library is used, so
the generator needs nothing beyond python3-cairo.

The row filters are computed on whole pictures at once with Python's big
integers, one byte (or, for Paeth, one 16-bit lane) per channel value, which
keeps a 3x knob strip to seconds rather than minutes.
"""

import hashlib
import re
import struct
import sys
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _lanes(value, count, width):
    """The integer whose count lanes of width bits all hold value."""
    return int.from_bytes(value.to_bytes(width // 8, "big") * count, "big")


def _unpremultiplied_rows(s):
    """The pixels of an ARGB32 surface as cairo's PNG writer stores them:
    (bytes per pixel, row bytes without filter bytes, all rows joined)."""
    s.flush()
    w, h, stride = s.get_width(), s.get_height(), s.get_stride()
    data = bytes(s.get_data())
    if stride != w * 4:
        data = b"".join(data[y * stride:y * stride + w * 4] for y in range(h))
    # Memory order of a native-endian ARGB32 pixel.
    assert sys.byteorder == "little"
    b, g, r, a = data[0::4], data[1::4], data[2::4], data[3::4]
    if a.count(255) == w * h:
        out = bytearray(w * h * 3)
        out[0::3], out[1::3], out[2::3] = r, g, b
        return 3, w * 3, bytes(out)
    out = bytearray(w * h * 4)
    out[0::4], out[1::4], out[2::4], out[3::4] = r, g, b, a
    # Colour is premultiplied; alpha 0 already holds zero colour and alpha 255
    # needs no change, so only the partly covered pixels are divided, with
    # cairo's rounding: (c * 255 + a / 2) / a.
    for run in re.finditer(rb"[\x01-\xfe]+", a):
        for i in range(run.start(), run.end()):
            alpha = a[i]
            half = alpha // 2
            k = i * 4
            out[k] = (out[k] * 255 + half) // alpha
            out[k + 1] = (out[k + 1] * 255 + half) // alpha
            out[k + 2] = (out[k + 2] * 255 + half) // alpha
    return 4, w * 4, bytes(out)


class _Filters:
    """The five PNG row filters applied to every row of a picture."""

    def __init__(self, bpp, row_bytes, raw):
        self.row_bytes = row_bytes
        self.rows = len(raw) // row_bytes
        n = len(raw)
        left = b"".join(b"\0" * bpp + raw[y * row_bytes:(y + 1) * row_bytes - bpp] for y in range(self.rows))
        up = b"\0" * row_bytes + raw[:n - row_bytes]
        up_left = b"\0" * row_bytes + left[:n - row_bytes]
        x, a, b, c = (int.from_bytes(v, "big") for v in (raw, left, up, up_left))
        high = _lanes(0x80, n, 8)
        low7 = _lanes(0x7F, n, 8)

        def minus(p, q):
            # Bytewise p - q modulo 256: no lane ever borrows from the next.
            return ((p | high) - (q & low7)) ^ ((p ^ q ^ high) & high)

        average = (a & b) + (((a ^ b) & _lanes(0xFE, n, 8)) >> 1)
        paeth = int.from_bytes(self._paeth(left, up, up_left), "big")
        self.filtered = [raw] + [minus(x, p).to_bytes(n, "big") for p in (a, b, average, paeth)]

    @staticmethod
    def _paeth(left, up, up_left):
        """The Paeth predictor of every byte, in 16-bit lanes for headroom."""
        n = len(left)

        def wide(v):
            out = bytearray(2 * n)
            out[1::2] = v
            return int.from_bytes(out, "big")

        a, b, c = wide(left), wide(up), wide(up_left)
        ones = _lanes(1, n, 16)
        all_ones = _lanes(0xFFFF, n, 16)

        def magnitude(d, bits):
            # |d - bias| for lanes holding d = value + bias, bias = 1 << bits.
            bias = ones << bits
            mask = (d >> bits) & ones
            mask *= 0xFFFF
            low = d & (bias - ones)
            return (low & mask) | (((bias - low) & (bias - ones)) & (all_ones ^ mask))

        pa = magnitude(b + (ones << 8) - c, 8)
        pb = magnitude(a + (ones << 8) - c, 8)
        pc = magnitude(a + b + (ones << 9) - c - c, 9)

        def at_most(p, q):
            # Lanes of all ones where p <= q (both below 1024).
            return ((q + (ones << 10) - p) >> 10 & ones) * 0xFFFF

        take_a = at_most(pa, pb) & at_most(pa, pc)
        take_b = (all_ones ^ take_a) & at_most(pb, pc)
        take_c = all_ones ^ take_a ^ take_b
        predictor = (a & take_a) | (b & take_b) | (c & take_c)
        return predictor.to_bytes(2 * n, "big")[1::2]

    def row(self, kind, y):
        return self.filtered[kind][y * self.row_bytes:(y + 1) * self.row_bytes]

    def stream(self, kinds):
        """The filtered image data with kinds[y] as the filter of row y."""
        return b"".join(bytes((k,)) + self.row(k, y) for y, k in enumerate(kinds))

    def least_absolute_sum(self):
        """Per row, the filter whose bytes, read as signed, sum smallest in
        magnitude (the usual heuristic for choosing PNG row filters)."""
        table = bytes(min(v, 256 - v) for v in range(256))
        kinds = []
        for y in range(self.rows):
            sums = [sum(self.row(k, y).translate(table)) for k in range(5)]
            kinds.append(sums.index(min(sums)))
        return kinds


def _deflate(data):
    z = zlib.compressobj(9, zlib.DEFLATED, 15, 9)
    return z.compress(data) + z.flush()


_encoded = {}  # pixels -> file, for the pictures both products share


def encode(s):
    """The smallest PNG file found for the ARGB32 surface s."""
    bpp, row_bytes, raw = _unpremultiplied_rows(s)
    key = (s.get_width(), bpp, hashlib.sha256(raw).digest())
    if key not in _encoded:
        filters = _Filters(bpp, row_bytes, raw)
        # The plans that came out smallest on our pictures: one filter for
        # every row (None for the brushed face and flat keys, Sub or Up for
        # some strips) or each row's own choice (most knob strips). Averaging
        # or Paeth on every row, and zlib's filtered strategy, never won.
        plans = [[kind] * filters.rows for kind in range(3)] + [filters.least_absolute_sum()]
        data = min((_deflate(filters.stream(kinds)) for kinds in plans), key=len)
        header = struct.pack(">IIBBBBB", s.get_width(), s.get_height(), 8, 2 if bpp == 3 else 6, 0, 0, 0)
        _encoded[key] = (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + _chunk(b"IDAT", data) +
                         _chunk(b"IEND", b""))
    return _encoded[key]
