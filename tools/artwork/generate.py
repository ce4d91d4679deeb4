#!/usr/bin/python3
"""Draws every picture of the Tessaro and Pallido editors.

Run with Debian's python3 (python3-cairo):

    /usr/bin/python3 tools/artwork/generate.py [--out resources]

writes resources/tessaro/*.png and resources/pallido/*.png, each picture in
three sets for the editor's scale factors: name.png at 1x, name@2x.png and
name@3x.png drawn from the same vectors at two and three device pixels per
panel pixel (exactly twice and three times the size, so frame i of a knob
strip starts at 2 * 53 * i; the brushed face's random strokes come from the
same seed at every scale). The pictures are committed; run this again after
changing the look, then rebuild (the build embeds whatever is in resources/).
It takes about a minute, most of it spent packing the large sets small
(pngpack.py); the 1x files are written by cairo as they always were.

One visual language for both products: a dark anodised face, cream legends,
machined knobs whose pointer frames sweep the 270-degree scale printed on the
face, and a product accent colour (amber for Tessaro, sea-green for Pallido).
Knob frame i of an n-frame strip points at value i / (n - 1); each stepped
knob's scale labels are printed inside the editor's click zones for its
positions, so a label is where a click selects it.
"""

import argparse
import math
import os
import random
import re

import cairo

import pngpack

FONT = "Liberation Sans"
FONT_NARROW = "Liberation Sans Narrow"

START_DEG = 225.0  # value 0: lower left
SWEEP_DEG = 270.0  # clockwise over the top to the lower right


def angle_for(value):
    """Screen angle (radians, y down) of a knob value 0..1."""
    return math.radians(START_DEG - SWEEP_DEG * value)


def polar(cx, cy, r, a):
    return cx + r * math.cos(a), cy - r * math.sin(a)


def rgb(hexcode, alpha=1.0):
    hexcode = hexcode.lstrip("#")
    return tuple(int(hexcode[i:i + 2], 16) / 255.0 for i in (0, 2, 4)) + (alpha,)


def mix(c1, c2, t):
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


# ---------------------------------------------------------------- products --

LEGEND = rgb("#ece4d0")
LEGEND_DIM = rgb("#a9a290")
FACE_TOP = rgb("#34363a")
FACE_BOTTOM = rgb("#232427")


def rect_center(r):
    return (r[0] + r[2]) / 2.0, (r[1] + r[3]) / 2.0


TESSARO = {
    "name": "TESSARO",
    "tagline": "FOUR-BAND STEREO EQUALISER",
    "size": (571, 267),
    "accent": rgb("#e8a33d"),
    "display": rgb("#e9d9a6"),
    "file_normal": "fileoff.png",
    "arrow_sizes": {"arrowdec.png": (20, 42), "arrowinc.png": (21, 42)},
    "blue_frames": 7,
    "black_frames": 5,
    "extra": {"redl.png": 5, "black2.png": 4},
    "sections": [  # (title, left, right)
        (None, 6, 118), ("LOW", 121, 232), ("MID", 234, 344), ("HIGH", 347, 462), ("OUTPUT", 464, 567),
    ],
    "stepped": [
        # bitmap, knob rect, hot zones, labels (read from the product's table
        # of printed scales, in its row order), caption, caption position
        ("redl.png", (36, 160, 89, 213),
         [(30, 216, 50, 232), (17, 180, 33, 196), (27, 147, 80, 163), (79, 147, 95, 163), (95, 179, 115, 195)],
         None, "LOW CUT", (62, 139)),
        ("red.png", (488, 160, 541, 213),
         [(482, 216, 498, 232), (466, 180, 482, 196), (479, 147, 495, 163), (531, 147, 547, 163),
          (547, 179, 563, 195), (531, 216, 547, 232)],
         None, "HIGH CUT", (514, 139)),
        ("black.png", (146, 75, 199, 128),
         [(137, 126, 157, 142), (124, 85, 140, 101), (163, 58, 179, 74), (203, 84, 223, 100), (186, 126, 206, 142)],
         None, None, None),
        ("black2.png", (384, 75, 437, 128),
         [(371, 126, 391, 142), (371, 63, 391, 79), (430, 63, 450, 79), (434, 125, 454, 141)],
         None, None, None),
        ("blue.png", (265, 75, 318, 128),
         [(257, 126, 277, 142), (237, 100, 257, 116), (250, 72, 270, 88), (281, 60, 301, 76), (315, 73, 335, 89),
          (317, 101, 337, 117), (304, 126, 324, 142)],
         None, None, None),
    ],
    "gains": [  # bitmap, rect, caption
        ("gain.png", (145, 184, 198, 237), "dB"),
        ("gain.png", (384, 184, 437, 237), "dB"),
        ("gainblue.png", (264, 184, 317, 237), "dB"),
        ("output.png", (488, 58, 541, 111), "dB"),
    ],
    "freq_captions": [],
    "switches": [  # bitmap, rect, caption, caption side
        ("q.png", (275, 148, 305, 165), "HI-Q", "right"),
    ],
    "phase": (47, 90, 77, 125),
    "onoff": (544, 8, 565, 29),
    "file": (45, 8, 104, 30),
    "preset": (144, 8, 303, 29),
    "prev": (124, 8, 144, 29),
    "next": (301, 8, 322, 29),
    "abswitch": (349, 8, 415, 30),
    "abcopy": (446, 8, 513, 30),
    "about_area": (10, 8, 30, 28),
    "badge_area": (6, 38, 118, 74),
}

PALLIDO = {
    "name": "PALLIDO",
    "tagline": "SIX-BAND STEREO EQUALISER",
    "size": (671, 267),
    "accent": rgb("#5cc6a8"),
    "display": rgb("#cfe6dc"),
    "file_normal": "fileon.png",
    "arrow_sizes": {"arrowdec.png": (21, 42), "arrowinc.png": (20, 42)},
    "blue_frames": 11,
    "black_frames": 6,
    "extra": {},
    "sections": [
        (None, 6, 122), ("LOW SHELF", 124, 236), ("LOW MID", 238, 348), ("HIGH MID", 350, 460),
        ("HIGH SHELF", 462, 565), ("OUTPUT", 567, 667),
    ],
    "stepped": [
        ("red.png", (40, 157, 93, 210),
         [(34, 211, 54, 227), (18, 176, 44, 192), (30, 144, 46, 160), (82, 144, 98, 160), (99, 176, 119, 192),
          (79, 211, 99, 227)],
         None, "LOW CUT", (66, 136)),
        ("red.png", (588, 157, 641, 210),
         [(575, 210, 595, 226), (564, 177, 584, 193), (574, 146, 594, 162), (630, 146, 650, 162),
          (644, 177, 664, 193), (628, 210, 648, 226)],
         None, "HIGH CUT", (614, 136)),
        ("black.png", (147, 73, 200, 126),
         [(139, 127, 159, 143), (126, 93, 142, 109), (139, 62, 155, 78), (192, 62, 212, 78), (206, 93, 226, 109),
          (189, 127, 209, 143)],
         None, None, None),
        ("blue.png", (269, 73, 322, 126),
         [(260, 126, 280, 142), (245, 110, 265, 126), (243, 94, 263, 110), (245, 75, 265, 91), (259, 59, 279, 75),
          (284, 52, 304, 68), (313, 57, 333, 73), (324, 74, 344, 90), (328, 92, 348, 108), (328, 110, 348, 126),
          (313, 126, 342, 142)],
         None, None, None),
        ("blue.png", (374, 73, 427, 126),
         [(366, 126, 386, 142), (354, 109, 374, 125), (350, 92, 370, 108), (353, 74, 373, 90), (366, 58, 386, 74),
          (389, 54, 409, 70), (415, 57, 435, 73), (427, 74, 447, 90), (431, 92, 451, 108), (426, 109, 446, 125),
          (414, 126, 434, 142)],
         None, None, None),
        ("black.png", (488, 73, 541, 126),
         [(474, 121, 494, 137), (464, 92, 484, 108), (479, 61, 499, 77), (530, 61, 550, 77), (545, 91, 565, 107),
          (531, 121, 551, 137)],
         None, None, None),
    ],
    "gains": [
        ("gain.png", (147, 182, 200, 235), "dB"),
        ("gainblue.png", (267, 182, 320, 235), "dB"),
        ("gainblue.png", (373, 182, 426, 235), "dB"),
        ("gain.png", (489, 182, 542, 235), "dB"),
        ("output.png", (588, 55, 641, 108), "dB"),
    ],
    "freq_captions": [],
    "switches": [
        ("q.png", (143, 144, 173, 161), "PEAK", "right"),
        ("q.png", (265, 144, 295, 161), "HI-Q", "right"),
        ("q.png", (400, 144, 430, 161), "HI-Q", "left"),
        ("q.png", (514, 144, 544, 161), "PEAK", "left"),
    ],
    "phase": (47, 90, 77, 125),
    "onoff": (643, 8, 664, 29),
    "file": (45, 8, 104, 30),
    "preset": (144, 8, 358, 29),
    "prev": (124, 9, 145, 30),
    "next": (358, 9, 378, 30),
    "abswitch": (407, 9, 473, 30),
    "abcopy": (485, 9, 552, 31),
    "about_area": (10, 8, 30, 28),
    "badge_area": (6, 38, 122, 74),
}

def printed_scales(product):
    """The scale labels the product's table prints, row by row: the same
    rows the editor's click zones and typed values use, so the pictures can
    never show a position the plug-in does not have."""
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "..", "plugin", product + ".cpp"), encoding="utf-8") as f:
        source = f.read()
    table = source[source.index("kPrintedScales["):]
    table = table[: table.index("};")]
    return [re.findall(r'"([^"]*)"', row) for row in re.findall(r"\{\d+, \{([^}]*)\}\},", table)]


def with_printed_scales(p, product):
    rows = printed_scales(product)
    if len(rows) != len(p["stepped"]):
        raise SystemExit("%s: %d printed scales for %d stepped knobs" % (product, len(rows), len(p["stepped"])))
    p["stepped"] = [k[:3] + (labels,) + k[4:] for k, labels in zip(p["stepped"], rows)]
    return p


KNOB_CAPS = {  # cap colour, skirt colour, pointer colour
    "red.png": (rgb("#b8332a"), rgb("#1b1b1d"), LEGEND),
    "redl.png": (rgb("#b8332a"), rgb("#1b1b1d"), LEGEND),
    "blue.png": (rgb("#2f62a8"), rgb("#1b1b1d"), LEGEND),
    "black.png": (rgb("#2a2b2e"), rgb("#1b1b1d"), LEGEND),
    "black2.png": (rgb("#2a2b2e"), rgb("#1b1b1d"), LEGEND),
    "gain.png": (rgb("#5a5c60"), rgb("#161618"), LEGEND),
    "gainblue.png": (rgb("#3c6fb3"), rgb("#161618"), LEGEND),
    "output.png": (rgb("#c9cbce"), rgb("#8d9095"), rgb("#141414")),
}

KNOB = 53

SCALES = (1, 2, 3)  # the sets drawn: file name.png, name@2x.png, name@3x.png
_scale = 1  # device pixels per panel pixel of the set being drawn

# ------------------------------------------------------------------ helpers --


def surface(w, h):
    """A picture of w x h panel pixels, drawn at the scale being generated."""
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, w * _scale, h * _scale)
    cr = cairo.Context(s)
    if _scale != 1:
        cr.scale(_scale, _scale)
    return s, cr


def set_font(cr, size, bold=True, narrow=False):
    cr.select_font_face(FONT_NARROW if narrow else FONT, cairo.FONT_SLANT_NORMAL,
                        cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    cr.set_font_size(size)
    fo = cairo.FontOptions()
    fo.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    fo.set_antialias(cairo.ANTIALIAS_GRAY)
    cr.set_font_options(fo)


_measure = cairo.Context(cairo.ImageSurface(cairo.FORMAT_ARGB32, 1, 1))


def extents(cr, text):
    """The extents of text in cr's font as the 1x pictures measure them:
    hinted advances differ by fractions of a pixel from scale to scale, and
    would add up along a spaced legend or move a scale label to another
    place in its click zone. Measured here, every set lays its text out
    alike, and the larger sets draw it sharper in the same places."""
    _measure.set_font_face(cr.get_font_face())
    _measure.set_font_matrix(cr.get_font_matrix())
    _measure.set_font_options(cr.get_font_options())
    return _measure.text_extents(text)


def text_width(cr, text, spacing=0.0):
    return extents(cr, text).x_advance + spacing * max(0, len(text) - 1)


def draw_text(cr, text, x, y, color, align="center", spacing=0.0, shadow=True):
    """Text with its baseline at y; x is the left, centre or right end."""
    w = text_width(cr, text, spacing)
    if align == "center":
        x -= w / 2.0
    elif align == "right":
        x -= w
    for dx, dy, col in ((0, 1, (0, 0, 0, 0.55)), (0, 0, color)) if shadow else ((0, 0, color),):
        cr.set_source_rgba(*col)
        px = x + dx
        if spacing == 0:
            cr.move_to(px, y + dy)
            cr.show_text(text)
            continue
        for ch in text:
            cr.move_to(px, y + dy)
            cr.show_text(ch)
            px += extents(cr, ch).x_advance + spacing


def centred_text(cr, text, cx, cy, color, spacing=0.0, shadow=True):
    """Text whose capitals are vertically centred on cy."""
    cap = extents(cr, "H").height
    draw_text(cr, text, cx, cy + cap / 2.0, color, "center", spacing, shadow)


def rounded_rect(cr, x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def vgrad(y0, y1, stops):
    g = cairo.LinearGradient(0, y0, 0, y1)
    for t, c in stops:
        g.add_color_stop_rgba(t, *c)
    return g


def save(s, path, scale):
    if scale == 1:
        s.write_to_png(path)  # the 1x files stay exactly as they have always been written
        return
    with open(path, "wb") as f:
        f.write(pngpack.encode(s))


# -------------------------------------------------------------------- knobs --


def draw_knob(cr, cx, cy, value, cap, skirt, pointer, large=False):
    a = angle_for(value)
    r_skirt = 21.0
    r_cap = 14.5 if not large else 15.5
    # Shadow on the panel, light from the top.
    for i in range(6):
        cr.arc(cx + 0.6, cy + 2.2, r_skirt + 3.5 - i * 0.7, 0, 2 * math.pi)
        cr.set_source_rgba(0, 0, 0, 0.07)
        cr.fill()
    # Skirt: dark machined cone with knurled edge.
    g = cairo.LinearGradient(cx - r_skirt, cy - r_skirt, cx + r_skirt, cy + r_skirt)
    g.add_color_stop_rgba(0, *mix(skirt, (1, 1, 1, 1), 0.28))
    g.add_color_stop_rgba(0.5, *skirt)
    g.add_color_stop_rgba(1, *mix(skirt, (0, 0, 0, 1), 0.5))
    cr.arc(cx, cy, r_skirt, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill()
    cr.set_line_width(0.8)
    for k in range(48):
        ka = a + k * 2 * math.pi / 48
        x0, y0 = polar(cx, cy, r_skirt - 2.6, ka)
        x1, y1 = polar(cx, cy, r_skirt - 0.4, ka)
        light = 0.5 + 0.5 * math.sin(ka + math.pi / 4)
        cr.set_source_rgba(*mix((0, 0, 0, 0.45), (1, 1, 1, 0.22), light))
        cr.move_to(x0, y0)
        cr.line_to(x1, y1)
        cr.stroke()
    cr.arc(cx, cy, r_skirt - 0.3, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.6)
    cr.set_line_width(0.8)
    cr.stroke()
    # Index line on the skirt.
    x0, y0 = polar(cx, cy, r_cap + 0.5, a)
    x1, y1 = polar(cx, cy, r_skirt - 0.8, a)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    cr.set_line_width(2.2)
    cr.set_source_rgba(*pointer)
    cr.move_to(x0, y0)
    cr.line_to(x1, y1)
    cr.stroke()
    # Cap: coloured dome with a soft top-left highlight.
    g = cairo.RadialGradient(cx - 4, cy - 5, 1, cx, cy, r_cap + 2)
    g.add_color_stop_rgba(0, *mix(cap, (1, 1, 1, 1), 0.45))
    g.add_color_stop_rgba(0.55, *cap)
    g.add_color_stop_rgba(1, *mix(cap, (0, 0, 0, 1), 0.45))
    cr.arc(cx, cy, r_cap, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill_preserve()
    cr.set_source_rgba(0, 0, 0, 0.55)
    cr.set_line_width(0.9)
    cr.stroke()
    cr.arc(cx, cy, r_cap - 1.2, math.radians(200), math.radians(340))
    cr.set_source_rgba(1, 1, 1, 0.18)
    cr.set_line_width(1.0)
    cr.stroke()
    # Pointer groove on the cap.
    x0, y0 = polar(cx, cy, 3.5, a)
    x1, y1 = polar(cx, cy, r_cap - 2.0, a)
    cr.set_line_width(2.0)
    cr.set_source_rgba(*pointer)
    cr.move_to(x0, y0)
    cr.line_to(x1, y1)
    cr.stroke()
    cr.set_line_cap(cairo.LINE_CAP_BUTT)


def knob_strip(name, frames):
    cap, skirt, pointer = KNOB_CAPS[name]
    s, cr = surface(KNOB, KNOB * frames)
    for i in range(frames):
        value = i / (frames - 1)
        draw_knob(cr, KNOB / 2.0, i * KNOB + KNOB / 2.0 - 1, value, cap, skirt, pointer, name == "output.png")
    return s


# ----------------------------------------------------------------- switches --


def led(cr, cx, cy, r, color, lit):
    if lit:
        g = cairo.RadialGradient(cx, cy, 0, cx, cy, r * 2.6)
        g.add_color_stop_rgba(0, *color[:3], 0.55)
        g.add_color_stop_rgba(1, *color[:3], 0.0)
        cr.arc(cx, cy, r * 2.6, 0, 2 * math.pi)
        cr.set_source(g)
        cr.fill()
    g = cairo.RadialGradient(cx - r * 0.3, cy - r * 0.4, 0, cx, cy, r)
    if lit:
        g.add_color_stop_rgba(0, *mix(color, (1, 1, 1, 1), 0.7))
        g.add_color_stop_rgba(1, *color)
    else:
        g.add_color_stop_rgba(0, *mix(color, (0, 0, 0, 1), 0.45))
        g.add_color_stop_rgba(1, *mix(color, (0, 0, 0, 1), 0.8))
    cr.arc(cx, cy, r, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill_preserve()
    cr.set_source_rgba(0, 0, 0, 0.7)
    cr.set_line_width(0.7)
    cr.stroke()


def key_cap(cr, x, y, w, h, pressed, radius=3.0, tint=None):
    """A rectangular push key; pressed keys sit lower and darker."""
    base = tint or rgb("#3d3f44")
    rounded_rect(cr, x, y + 1, w, h, radius)
    cr.set_source_rgba(0, 0, 0, 0.6)
    cr.fill()
    off = 1.0 if pressed else 0.0
    top = mix(base, (1, 1, 1, 1), 0.10 if pressed else 0.22)
    bottom = mix(base, (0, 0, 0, 1), 0.35 if pressed else 0.25)
    rounded_rect(cr, x + 0.5, y + 0.5 + off, w - 1, h - 1.5, radius)
    cr.set_source(vgrad(y, y + h, [(0, top), (1, bottom)]))
    cr.fill_preserve()
    cr.set_source_rgba(0, 0, 0, 0.8)
    cr.set_line_width(0.8)
    cr.stroke()
    if not pressed:
        cr.move_to(x + radius, y + 1.3)
        cr.line_to(x + w - radius, y + 1.3)
        cr.set_source_rgba(1, 1, 1, 0.22)
        cr.set_line_width(0.8)
        cr.stroke()
    return off


def q_switch(accent):
    """Two frames of 30 × 17: a small key with an LED, off and on."""
    s, cr = surface(30, 34)
    for f in range(2):
        y = f * 17
        off = key_cap(cr, 2, y + 1.5, 26, 14, f == 1, 3)
        led(cr, 15, y + 8.5 + off, 3.0, accent, f == 1)
    return s


def phase_switch(accent):
    """Two frames of 30 × 35: a toggle switch, lever up (normal) and down (inverted)."""
    s, cr = surface(30, 70)
    for f in range(2):
        y = f * 35
        cx, cy = 15, y + 17.5
        # Hex nut and bushing.
        for i in range(5):
            cr.arc(cx + 0.5, cy + 1.5, 11.5 - i * 0.6, 0, 2 * math.pi)
            cr.set_source_rgba(0, 0, 0, 0.08)
            cr.fill()
        cr.save()
        cr.translate(cx, cy)
        cr.move_to(10, 0)
        for k in range(1, 6):
            cr.line_to(10 * math.cos(k * math.pi / 3), 10 * math.sin(k * math.pi / 3))
        cr.close_path()
        g = cairo.LinearGradient(-10, -10, 10, 10)
        g.add_color_stop_rgba(0, *rgb("#e4e5e7"))
        g.add_color_stop_rgba(1, *rgb("#6c6f74"))
        cr.set_source(g)
        cr.fill_preserve()
        cr.set_source_rgba(0, 0, 0, 0.6)
        cr.set_line_width(0.8)
        cr.stroke()
        cr.arc(0, 0, 5.5, 0, 2 * math.pi)
        cr.set_source_rgba(*rgb("#2b2c2f"))
        cr.fill()
        # Lever: a tapered chrome bat, pointing up or down.
        d = -1 if f == 0 else 1
        tip = 15.5 * d
        cr.move_to(-2.2, 0)
        cr.line_to(2.2, 0)
        cr.line_to(3.2, tip)
        cr.line_to(-3.2, tip)
        cr.close_path()
        g = cairo.LinearGradient(-3.2, 0, 3.2, 0)
        g.add_color_stop_rgba(0, *rgb("#8b8e93"))
        g.add_color_stop_rgba(0.4, *rgb("#f4f5f6"))
        g.add_color_stop_rgba(1, *rgb("#63666b"))
        cr.set_source(g)
        cr.fill()
        cr.arc(0, tip, 3.4, 0, 2 * math.pi)
        cr.set_source(g)
        cr.fill_preserve()
        cr.set_source_rgba(0, 0, 0, 0.5)
        cr.set_line_width(0.6)
        cr.stroke()
        cr.restore()
    return s


def power_switch(accent):
    """Two frames of 21 × 21: frame 0 is the engaged (processing) state, lit."""
    s, cr = surface(21, 42)
    for f in range(2):
        cx, cy = 10.5, f * 21 + 10.5
        cr.arc(cx, cy + 0.8, 9.6, 0, 2 * math.pi)
        cr.set_source_rgba(0, 0, 0, 0.6)
        cr.fill()
        g = cairo.LinearGradient(0, cy - 9, 0, cy + 9)
        g.add_color_stop_rgba(0, *rgb("#55575c"))
        g.add_color_stop_rgba(1, *rgb("#1f2023"))
        cr.arc(cx, cy, 9, 0, 2 * math.pi)
        cr.set_source(g)
        cr.fill()
        lit = f == 0
        col = accent if lit else rgb("#6b6d70")
        if lit:
            gl = cairo.RadialGradient(cx, cy, 0, cx, cy, 9)
            gl.add_color_stop_rgba(0, *col[:3], 0.35)
            gl.add_color_stop_rgba(1, *col[:3], 0.0)
            cr.arc(cx, cy, 9, 0, 2 * math.pi)
            cr.set_source(gl)
            cr.fill()
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        cr.set_line_width(1.6)
        cr.set_source_rgba(*col)
        cr.arc(cx, cy, 4.6, math.radians(-60), math.radians(240))
        cr.stroke()
        cr.move_to(cx, cy - 6.2)
        cr.line_to(cx, cy - 1.6)
        cr.stroke()
        cr.set_line_cap(cairo.LINE_CAP_BUTT)
    return s


def arrow_button(w, h, direction):
    """Two frames of w × 21: a key with a triangle, normal and pressed."""
    s, cr = surface(w, h)
    fh = h // 2
    for f in range(2):
        y = f * fh
        off = key_cap(cr, 1, y + 1.5, w - 2, fh - 3, f == 1, 3)
        cx, cy = w / 2.0, y + fh / 2.0 + off - 0.5
        d = -1 if direction == "left" else 1
        cr.move_to(cx + 3.5 * d, cy)
        cr.line_to(cx - 3 * d, cy - 4)
        cr.line_to(cx - 3 * d, cy + 4)
        cr.close_path()
        cr.set_source_rgba(*(LEGEND if f == 0 else mix(LEGEND, (1, 1, 1, 1), 0.5)))
        cr.fill()
    return s


def labelled_key(w, h, frames, frame_h, text, accent, lit_frame=None, pressed_frame=None, text_size=9.0,
                 content_top=0, content_h=None):
    s, cr = surface(w, h)
    ch = content_h or frame_h
    for f in range(frames):
        y = f * frame_h + content_top
        pressed = pressed_frame == f
        off = key_cap(cr, 1, y + 1, w - 2, ch - 2.5, pressed, 3.5)
        label = text[f] if isinstance(text, (list, tuple)) else text
        lit = lit_frame == f
        set_font(cr, text_size, True)
        centred_text(cr, label, w / 2.0, y + (ch - 2.5) / 2.0 + 1 + off,
                     accent if lit else LEGEND, spacing=0.6)
    return s


def ab_switch(accent):
    """66 x 43, frames of 21 rows shown through a 22-row window: A and B, the
    live side lit. The rows the two windows share are left empty."""
    s, cr = surface(66, 43)
    for f in range(2):
        y = 0 if f == 0 else 22
        key_cap(cr, 1, y, 64, 19.5, False, 3.5)
        set_font(cr, 10, True)
        for side, cx in (("A", 17.5), ("B", 48.5)):
            lit = (side == "A") == (f == 0)
            if lit:
                rounded_rect(cr, cx - 11, y + 3.5, 22, 12.5, 2.5)
                cr.set_source_rgba(*accent[:3], 0.22)
                cr.fill()
            centred_text(cr, side, cx, y + 9.8, accent if lit else LEGEND_DIM, shadow=False)
        cr.move_to(33, y + 3.5)
        cr.line_to(33, y + 16.5)
        cr.set_source_rgba(0, 0, 0, 0.6)
        cr.set_line_width(1)
        cr.stroke()
        cr.move_to(34, y + 3.5)
        cr.line_to(34, y + 16.5)
        cr.set_source_rgba(1, 1, 1, 0.08)
        cr.stroke()
    return s


def file_button(highlight, accent):
    s, cr = surface(59, 22)
    key_cap(cr, 1, 1, 57, 19.5, highlight, 3.5)
    set_font(cr, 9.5, True)
    centred_text(cr, "FILE", 25, 10.8 + (1 if highlight else 0), accent if highlight else LEGEND, spacing=0.8)
    cr.move_to(43, 8.5 + (1 if highlight else 0))
    cr.line_to(51, 8.5 + (1 if highlight else 0))
    cr.line_to(47, 13 + (1 if highlight else 0))
    cr.close_path()
    cr.set_source_rgba(*(accent if highlight else LEGEND))
    cr.fill()
    return s


# --------------------------------------------------------------- background --


def brushed_face(cr, w, h, seed):
    cr.set_source(vgrad(0, h, [(0, FACE_TOP), (1, FACE_BOTTOM)]))
    cr.rectangle(0, 0, w, h)
    cr.fill()
    rnd = random.Random(seed)
    cr.set_line_width(1)
    for _ in range(int(h * 2.2)):
        y = rnd.uniform(0, h)
        x0 = rnd.uniform(-w * 0.3, w)
        length = rnd.uniform(w * 0.2, w * 0.9)
        shade = rnd.choice(((1, 1, 1), (0, 0, 0)))
        cr.set_source_rgba(*shade, rnd.uniform(0.012, 0.04))
        cr.move_to(x0, y + 0.5)
        cr.line_to(x0 + length, y + 0.5)
        cr.stroke()


def screw(cr, cx, cy, angle):
    cr.arc(cx, cy + 0.6, 3.6, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.5)
    cr.fill()
    g = cairo.RadialGradient(cx - 1.2, cy - 1.2, 0.2, cx, cy, 3.6)
    g.add_color_stop_rgba(0, *rgb("#d6d7d9"))
    g.add_color_stop_rgba(1, *rgb("#6a6c70"))
    cr.arc(cx, cy, 3.2, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill()
    cr.set_line_width(0.9)
    cr.set_source_rgba(0.15, 0.15, 0.16, 0.9)
    for a in (angle, angle + math.pi / 2):
        x0, y0 = polar(cx, cy, 2.3, a)
        x1, y1 = polar(cx, cy, 2.3, a + math.pi)
        cr.move_to(x0, y0)
        cr.line_to(x1, y1)
    cr.stroke()


def recess(cr, r, radius=3.0, fill=None):
    x0, y0, x1, y1 = r
    rounded_rect(cr, x0 - 1.5, y0 - 1.5, x1 - x0 + 3, y1 - y0 + 3, radius + 1.5)
    cr.set_source(vgrad(y0 - 1.5, y1 + 1.5, [(0, (0, 0, 0, 0.55)), (1, (1, 1, 1, 0.10))]))
    cr.fill()
    if fill is not None:
        rounded_rect(cr, x0, y0, x1 - x0, y1 - y0, radius)
        cr.set_source(fill)
        cr.fill()


def best_label_point(zone, centre, angle, w, h):
    """The point inside the zone (label box kept inside where it fits) that
    lies nearest the ray of that scale position, ties to the zone centre."""
    zx0, zy0, zx1, zy1 = zone
    xs0, xs1 = zx0 + w / 2.0, zx1 + 1 - w / 2.0
    ys0, ys1 = zy0 + h / 2.0, zy1 + 1 - h / 2.0
    if xs0 > xs1:
        xs0 = xs1 = (zx0 + zx1 + 1) / 2.0
    if ys0 > ys1:
        ys0 = ys1 = (zy0 + zy1 + 1) / 2.0
    dx, dy = math.cos(angle), -math.sin(angle)
    zc = ((zx0 + zx1 + 1) / 2.0, (zy0 + zy1 + 1) / 2.0)
    best = None
    for i in range(21):
        for j in range(21):
            px = xs0 + (xs1 - xs0) * i / 20.0
            py = ys0 + (ys1 - ys0) * j / 20.0
            vx, vy = px - centre[0], py - centre[1]
            along = vx * dx + vy * dy
            dist = abs(vx * dy - vy * dx) if along > 0 else math.hypot(vx, vy)
            key = (round(dist, 1), math.hypot(px - zc[0], py - zc[1]))
            if best is None or key < best[0]:
                best = (key, (px, py))
    return best[1]


def scale_ticks(cr, cx, cy, steps, accent, r0=24.5, r1=28.0, major=None, dots=False):
    for i in range(steps):
        v = i / (steps - 1)
        a = angle_for(v)
        is_major = major is None or i in major
        if dots:
            x, y = polar(cx, cy, r0 + 1.5, a)
            cr.arc(x, y, 1.2 if is_major else 0.8, 0, 2 * math.pi)
            cr.set_source_rgba(*(LEGEND if is_major else LEGEND_DIM))
            cr.fill()
            continue
        x0, y0 = polar(cx, cy, r0, a)
        x1, y1 = polar(cx, cy, r1 if is_major else r0 + (r1 - r0) * 0.55, a)
        cr.set_line_width(1.2 if is_major else 0.8)
        cr.set_source_rgba(*(LEGEND if is_major else LEGEND_DIM))
        cr.move_to(x0, y0)
        cr.line_to(x1, y1)
        cr.stroke()


def scale_arc(cr, cx, cy, r, accent):
    cr.set_line_width(1.0)
    cr.set_source_rgba(*LEGEND_DIM[:3], 0.55)
    cr.arc_negative(cx, cy, r, -math.radians(START_DEG), -math.radians(START_DEG - SWEEP_DEG))
    cr.stroke()


def knob_well(cr, cx, cy):
    g = cairo.RadialGradient(cx, cy - 1, 18, cx, cy, 25)
    g.add_color_stop_rgba(0, 0, 0, 0, 0.35)
    g.add_color_stop_rgba(1, 0, 0, 0, 0.0)
    cr.arc(cx, cy, 25, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill()


def stepped_scale(cr, knob, accent):
    bitmap, r, zones, labels, caption, cpos = knob
    cx, cy = rect_center(r)
    n = len(zones)
    knob_well(cr, cx, cy)
    scale_ticks(cr, cx, cy, n, accent, dots=True)
    set_font(cr, 8.0, True, narrow=True)
    for i, (zone, text) in enumerate(zip(zones, labels)):
        a = angle_for(i / (n - 1))
        w = text_width(cr, text)
        cap = extents(cr, "8").height
        px, py = best_label_point(zone, (cx, cy), a, w, cap)
        col = accent if text == "OFF" else LEGEND
        draw_text(cr, text, px, py + cap / 2.0, col, "center")
    if caption:
        set_font(cr, 8.5, True)
        centred_text(cr, caption, cpos[0], cpos[1], LEGEND, spacing=1.2)


def gain_scale(cr, gain, accent, section_caption=None):
    bitmap, r, caption = gain
    cx, cy = rect_center(r)
    knob_well(cr, cx, cy)
    scale_ticks(cr, cx, cy, 21, accent, major={0, 5, 10, 15, 20})
    set_font(cr, 7.5, True, narrow=True)
    cap = extents(cr, "8").height
    for i, text in ((0, "-20"), (5, "-10"), (10, "0"), (15, "+10"), (20, "+20")):
        if i == 10 and bitmap == "output.png":
            continue  # the column's title tab sits there; the long tick marks 0 dB
        a = angle_for(i / 20.0)
        x, y = polar(cx, cy, 35.5, a)
        if i in (0, 20):
            x, y = polar(cx, cy, 33.5, a)
            y += 3
        draw_text(cr, text, x, y + cap / 2.0, LEGEND, "center")
    set_font(cr, 7.5, True)
    centred_text(cr, caption, cx, cy + 31, accent, spacing=0.8)


def section_frame(cr, left, right, top, bottom, title, accent):
    # A faint engraved panel for each band, its title on a tab at the top.
    rounded_rect(cr, left + 0.5, top + 0.5, right - left - 1, bottom - top - 1, 5)
    cr.set_source_rgba(1, 1, 1, 0.025)
    cr.fill_preserve()
    cr.set_line_width(1)
    cr.set_source_rgba(0, 0, 0, 0.45)
    cr.stroke()
    rounded_rect(cr, left + 1.5, top + 1.5, right - left - 3, bottom - top - 3, 4)
    cr.set_source_rgba(1, 1, 1, 0.05)
    cr.stroke()
    if title:
        set_font(cr, 9.0, True)
        w = text_width(cr, title, 1.6) + 14
        cx = (left + right) / 2.0
        rounded_rect(cr, cx - w / 2.0, top - 6, w, 12, 6)
        cr.set_source_rgba(*accent[:3], 1.0)
        cr.fill()
        centred_text(cr, title, cx, top, rgb("#1b1b1d"), spacing=1.6, shadow=False)


def background(p):
    w, h = p["size"]
    accent = p["accent"]
    s, cr = surface(w, h)
    brushed_face(cr, w, h, seed=len(p["name"]) * 7919 + w)

    # Top bar: darker strip holding the preset browser and the A/B controls.
    cr.set_source(vgrad(0, 37, [(0, rgb("#1e1f22")), (1, rgb("#17181a"))]))
    cr.rectangle(0, 0, w, 37)
    cr.fill()
    cr.rectangle(0, 37, w, 1)
    cr.set_source_rgba(*accent[:3], 0.85)
    cr.fill()
    cr.rectangle(0, 38, w, 1)
    cr.set_source_rgba(0, 0, 0, 0.5)
    cr.fill()

    # Band panels.
    for title, left, right in p["sections"]:
        section_frame(cr, left, right, 46, h - 8, title, accent)

    # Maker's badge: the about screen opens from it.
    ax0, ay0, ax1, ay1 = p["about_area"]
    bcx, bcy = (ax0 + ax1) / 2.0, (ay0 + ay1) / 2.0
    cr.arc(bcx, bcy + 0.6, 10, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.7)
    cr.fill()
    g = cairo.RadialGradient(bcx - 3, bcy - 3, 1, bcx, bcy, 10)
    g.add_color_stop_rgba(0, *mix(accent, (1, 1, 1, 1), 0.35))
    g.add_color_stop_rgba(1, *mix(accent, (0, 0, 0, 1), 0.35))
    cr.arc(bcx, bcy, 9.2, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill()
    set_font(cr, 12, True)
    centred_text(cr, "S", bcx, bcy, rgb("#1b1b1d"), shadow=False)

    # Recesses behind the top-bar controls and the preset display.
    for key in ("file", "prev", "next", "abswitch", "abcopy"):
        recess(cr, p[key], 4)
    px0, py0, px1, py1 = p["preset"]
    disp = p["display"]
    recess(cr, (px0, py0, px1, py1), 2.5,
           vgrad(py0, py1, [(0, mix(disp, (0, 0, 0, 1), 0.12)), (0.3, disp), (1, mix(disp, (0, 0, 0, 1), 0.08))]))
    cr.rectangle(px0, py0, px1 - px0, 1.5)
    cr.set_source_rgba(0, 0, 0, 0.25)
    cr.fill()
    ox0, oy0, ox1, oy1 = p["onoff"]
    cr.arc((ox0 + ox1) / 2.0, (oy0 + oy1) / 2.0, 11.8, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.55)
    cr.fill()
    set_font(cr, 7.5, True)
    draw_text(cr, "IN", ox0 - 5, (oy0 + oy1) / 2.0 + 2.7, LEGEND_DIM, "right", 0.8)

    # Product badge above the phase switch.
    bx0, by0, bx1, by1 = p["badge_area"]
    bcx = (bx0 + bx1) / 2.0
    set_font(cr, 7, True)
    centred_text(cr, "SORVANE", bcx, by0 + 16, LEGEND_DIM, spacing=2.4)
    set_font(cr, 15.5, True)
    centred_text(cr, p["name"], bcx, by0 + 30, accent, spacing=1.8)

    # Phase switch legend.
    phx0, phy0, phx1, phy1 = p["phase"]
    pcx = (phx0 + phx1) / 2.0
    set_font(cr, 8.5, True)
    centred_text(cr, "PHASE", pcx, phy0 - 6, LEGEND, spacing=1.2)
    set_font(cr, 7.5, True, narrow=True)
    draw_text(cr, "0\u00b0", phx1 + 3, phy0 + 9, LEGEND_DIM, "left")
    draw_text(cr, "180\u00b0", phx1 + 3, phy1 - 3, LEGEND_DIM, "left")

    # Scales around the knobs; labels sit in the click zones.
    for knob in p["stepped"]:
        stepped_scale(cr, knob, accent)
    for gain in p["gains"]:
        gain_scale(cr, gain, accent)
    set_font(cr, 7, True)
    for text, (fx, fy) in p["freq_captions"]:
        centred_text(cr, text, fx, fy, LEGEND_DIM, spacing=0.8)

    # Legends beside the Q and peak keys.
    for _, r, text, side in p["switches"]:
        x0, y0, x1, y1 = r
        recess(cr, (x0 + 2, y0 + 2, x1 - 2, y1 - 1), 3)
        set_font(cr, 7.5, True)
        cy = (y0 + y1) / 2.0 + 0.5
        if side == "right":
            draw_text(cr, text, x1 + 3, cy + 2.7, LEGEND, "left", 0.6)
        else:
            draw_text(cr, text, x0 - 3, cy + 2.7, LEGEND, "right", 0.6)

    # Rack screws in the corners of the face.
    for sx, sy, a in ((4.5, 262.5, 0.3), (w - 4.5, 262.5, 1.1)):
        screw(cr, sx, sy, a)
    return s


# -------------------------------------------------------------------- about --


def about(p):
    w, h = 396, 225
    accent = p["accent"]
    s, cr = surface(w, h)
    rounded_rect(cr, 0.5, 0.5, w - 1, h - 1, 8)
    cr.set_source(vgrad(0, h, [(0, rgb("#1d1e21")), (1, rgb("#111214"))]))
    cr.fill_preserve()
    cr.set_source_rgba(*accent[:3], 0.9)
    cr.set_line_width(1)
    cr.stroke()
    rounded_rect(cr, 3.5, 3.5, w - 7, h - 7, 6)
    cr.set_source_rgba(1, 1, 1, 0.06)
    cr.stroke()
    # Maker and version line; the version label is drawn at 218,11 - 274,21.
    set_font(cr, 8.5, True)
    draw_text(cr, "SORVANE AUDIO", 16, 19.5, LEGEND_DIM, "left", 2.0)
    set_font(cr, 8.5, False)
    cr.rectangle(14, 29, w - 28, 1)
    cr.set_source_rgba(*accent[:3], 0.6)
    cr.fill()
    # Product name.
    set_font(cr, 40, True)
    centred_text(cr, p["name"], w / 2.0, 78, accent, spacing=6)
    set_font(cr, 9.5, True)
    centred_text(cr, p["tagline"], w / 2.0, 110, LEGEND, spacing=2.2)
    # A stylised response curve under the name.
    cr.set_line_width(1.6)
    cr.set_source_rgba(*accent[:3], 0.75)
    for i in range(0, 301):
        x = 48 + i
        t = i / 300.0
        y = 150 - 14 * math.exp(-((t - 0.3) / 0.09) ** 2) + 10 * math.exp(-((t - 0.72) / 0.12) ** 2) \
            - 6 / (1 + math.exp(-(t - 0.95) * 40))
        if i == 0:
            cr.move_to(x, y)
        else:
            cr.line_to(x, y)
    cr.stroke()
    cr.set_line_width(0.6)
    cr.set_source_rgba(*LEGEND_DIM[:3], 0.35)
    cr.move_to(48, 150.5)
    cr.line_to(348, 150.5)
    cr.stroke()
    set_font(cr, 8.5, False)
    lines = ["Analog circuit models, double precision, crossfaded coefficients.",
             "VST 2.4 plug-in for 64-bit Windows hosts."]
    for i, text in enumerate(lines):
        centred_text(cr, text, w / 2.0, 178 + i * 13, LEGEND_DIM)
    set_font(cr, 7.5, True)
    centred_text(cr, "CLICK ANYWHERE TO CLOSE", w / 2.0, 212, accent, spacing=1.4)
    return s


# --------------------------------------------------------------------- main --


def product_pictures(p):
    accent = p["accent"]
    pics = {
        "background.png": background(p),
        "q.png": q_switch(accent),
        "phase.png": phase_switch(accent),
        "red.png": knob_strip("red.png", 6),
        "blue.png": knob_strip("blue.png", p["blue_frames"]),
        "black.png": knob_strip("black.png", p["black_frames"]),
        "output.png": knob_strip("output.png", 101),
        "gain.png": knob_strip("gain.png", 101),
        "gainblue.png": knob_strip("gainblue.png", 101),
        "onoff.png": power_switch(accent),
        "abswitch.png": ab_switch(accent),
        "ab.png": labelled_key(67, 44, 2, 22, "A \u2192 B", accent, lit_frame=1, pressed_frame=1),
        "ba.png": labelled_key(67, 44, 2, 22, "B \u2192 A", accent, lit_frame=1, pressed_frame=1),
        "about.png": about(p),
    }
    for name, frames in p["extra"].items():
        pics[name] = knob_strip(name, frames)
    for name, (w, h) in p["arrow_sizes"].items():
        pics[name] = arrow_button(w, h, "left" if name == "arrowdec.png" else "right")
    normal = p["file_normal"]
    other = "fileon.png" if normal == "fileoff.png" else "fileoff.png"
    pics[normal] = file_button(False, accent)
    pics[other] = file_button(True, accent)
    return pics


def scaled_name(name, scale):
    stem, ext = os.path.splitext(name)
    return name if scale == 1 else "%s@%dx%s" % (stem, scale, ext)


def main():
    global _scale
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "resources"))
    args = parser.parse_args()
    for key, p in (("tessaro", TESSARO), ("pallido", PALLIDO)):
        p = with_printed_scales(p, key)
        folder = os.path.join(args.out, key)
        os.makedirs(folder, exist_ok=True)
        for scale in SCALES:
            _scale = scale
            for name, s in sorted(product_pictures(p).items()):
                save(s, os.path.join(folder, scaled_name(name, scale)), scale)
            print("wrote", folder, "at %dx" % scale)
    _scale = 1


if __name__ == "__main__":
    main()
