#!/usr/bin/env python3
"""Draws Tavren's artwork: the front panel, the knob sprite strips, the lever
switches, the bank buttons, the glyph strip, the About picture and the icons.

The panel's layout (controls, frames, legends, dials, icons) comes from the native
tool layout-export, which prints the program's own tables as JSON, so the picture
always matches where the program puts its controls. The output is the same bytes
on every run: no randomness, no dates, fonts pinned by file.

    generate.py --layout-tool PATH --out DIR [--doc-panel FILE.png]
"""
import argparse
import io
import json
import math
import os
import struct
import subprocess
import sys

try:
    import cairo
    from PIL import Image
except ImportError:
    # A Python of its own (pyenv, venv) may shadow the system one that carries the
    # Debian packages python3-cairo and python3-pil.
    if os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3") and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

# ------------------------------------------------------------------ look

PANEL = (12, 12, 13)          # the black of the panel
INK = (236, 236, 232)         # legends, frames, dials
WELL = (0, 0, 0)              # the patch list and status panel show pure black
RED_LIT = (255, 42, 26)

# family, weight, size in pixels, extra spacing between letters
STYLES = {
    "title": ("Nimbus Sans", cairo.FONT_WEIGHT_BOLD, 14.0, 1.2),
    "legend": ("Nimbus Sans Narrow", cairo.FONT_WEIGHT_BOLD, 12.0, 0.35),
    "position": ("Nimbus Sans Narrow", cairo.FONT_WEIGHT_BOLD, 10.0, 0.3),
    "dial": ("Nimbus Sans Narrow", cairo.FONT_WEIGHT_BOLD, 10.0, 0.0),
}
LOGO_FACE = ("Z003", cairo.FONT_WEIGHT_NORMAL, cairo.FONT_SLANT_ITALIC)

# The faces are part of the look: a substitute would change every legend's width.
PINNED_FONTS = {
    "Nimbus Sans:bold": "NimbusSans-Bold",
    "Nimbus Sans Narrow:bold": "NimbusSansNarrow-Bold",
    "Z003:medium:italic": "Z003-MediumItalic",
    "Liberation Sans": "LiberationSans-Regular",  # the example list rows of the pictures
}


def check_fonts():
    for pattern, stem in PINNED_FONTS.items():
        found = subprocess.run(["fc-match", "-f", "%{file}", pattern], capture_output=True, text=True).stdout
        if stem not in os.path.basename(found):
            sys.exit(f"artgen: font '{pattern}' resolves to '{found}', expected {stem} "
                     "(install fonts-urw-base35 and fonts-liberation)")


# ------------------------------------------------------------------ helpers

def rgb(c, scale=255.0):
    return tuple(v / scale for v in c)


def surface(width, height):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    return s, cairo.Context(s)


def to_pil(s):
    """Cairo's premultiplied BGRA as a PIL RGBA image (colours premultiplied)."""
    s.flush()
    return Image.frombuffer("RGBA", (s.get_width(), s.get_height()), bytes(s.get_data()),
                            "raw", "BGRA", s.get_stride(), 1).copy()


def flatten(s):
    """The surface drawn over black, as RGB."""
    img = to_pil(s)
    return img.convert("RGB")  # premultiplied colour is the colour over black


def set_font(cr, style):
    family, weight, size, tracking = STYLES[style]
    cr.set_font_options(font_options())
    cr.select_font_face(family, cairo.FONT_SLANT_NORMAL, weight)
    cr.set_font_size(size)
    return tracking


def text_width(cr, text, tracking):
    width = 0.0
    for ch in text:
        width += cr.text_extents(ch).x_advance + tracking
    return width - tracking if text else 0.0


def show_tracked(cr, x, y, text, tracking):
    glyphs = []
    for ch in text:
        index = cr.get_scaled_font().text_to_glyphs(0, 0, ch, False)[0].index
        glyphs.append(cairo.Glyph(index, x, y))
        x += cr.text_extents(ch).x_advance + tracking
    cr.show_glyphs(glyphs)


def cap_height(cr):
    return -cr.text_extents("H").y_bearing


class Overflow(Exception):
    pass


def draw_text_in_box(cr, text, box, style, align="centre", colour=INK):
    """Draws text (lines split on newline) in box; raises Overflow when it does not fit."""
    left, top, width, height = box
    tracking = set_font(cr, style)
    lines = text.split("\n")
    line_height = height / len(lines)
    cap = cap_height(cr)
    spans = []
    for i, line in enumerate(lines):
        w = text_width(cr, line, tracking)
        if w > width + 0.01:
            raise Overflow(f"'{line}' is {w:.1f} px wide in a {width} px box at {box}")
        if align == "left":
            x = left + 1
        elif align == "right":
            x = left + width - 1 - w
        else:
            x = left + (width - w) / 2.0
        baseline = top + i * line_height + (line_height + cap) / 2.0
        cr.set_source_rgb(*rgb(colour))
        show_tracked(cr, round(x * 2) / 2.0, round(baseline), line, tracking)
        spans.append((x, x + w))
    return spans


def wave_points(shape, left, top, width, height):
    """A waveform as a polyline inside the box, two cycles of it."""
    b, t = top + height, top
    m = top + height / 2.0
    w = width
    if shape == "sawtooth":
        return [(left, b), (left + w / 2, t), (left + w / 2, b), (left + w, t), (left + w, b)]
    if shape == "ramp-down":
        return [(left, b), (left, t), (left + w / 2, b), (left + w / 2, t), (left + w, b)]
    if shape == "triangle":
        return [(left, m), (left + w / 8, t), (left + 3 * w / 8, b), (left + 5 * w / 8, t),
                (left + 7 * w / 8, b), (left + w, m)]
    if shape == "pulse":
        xs = [0, 0.12, 0.12, 0.32, 0.32, 0.62, 0.62, 0.82, 0.82, 1.0]
        ys = [b, b, t, t, b, b, t, t, b, b]
        return [(left + x * w, y) for x, y in zip(xs, ys)]
    if shape == "square":
        xs = [0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1.0, 1.0]
        ys = [m, t, t, b, b, t, t, b, b, m]
        return [(left + x * w, y) for x, y in zip(xs, ys)]
    if shape == "sine":
        return [(left + i * w / 40.0, m - math.sin(i / 40.0 * 4 * math.pi) * height / 2.0) for i in range(41)]
    if shape == "random":
        levels = [0.55, 0.1, 0.8, 0.35, 1.0, 0.2, 0.65]
        points = []
        step = w / len(levels)
        for i, level in enumerate(levels):
            y = t + level * height
            points += [(left + i * step, y), (left + (i + 1) * step, y)]
        return points
    raise ValueError(shape)


def stroke_wave(cr, shape, box, line_width=1.5, colour=INK):
    left, top, width, height = box
    pad = line_width / 2.0
    points = wave_points(shape, left + pad, top + pad, width - 2 * pad, height - 2 * pad)
    cr.new_path()
    cr.move_to(*points[0])
    for p in points[1:]:
        cr.line_to(*p)
    cr.set_source_rgb(*rgb(colour))
    cr.set_line_width(line_width)
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    cr.stroke()


def rounded_rect(cr, x, y, w, h, r):
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def direction(angle):
    """Unit vector of an angle measured clockwise from straight down (y grows downward)."""
    a = math.radians(angle)
    return -math.sin(a), math.cos(a)


# ------------------------------------------------------------------ palettes

def gray_palette():
    return [v for i in range(256) for v in (i, i, i)]


def panel_palette():
    """Grays for metal and print, a ramp of reds for lit digits and lamps, the panel's black."""
    colours = [(round(i * 255 / 175),) * 3 for i in range(176)]
    for i in range(79):
        f = (i + 1) / 79.0
        colours.append((round(RED_LIT[0] * f), round(RED_LIT[1] * f), round(RED_LIT[2] * f)))
    colours.append(PANEL)
    return [v for c in colours for v in c]


def to_indexed(img, palette):
    pal = Image.new("P", (1, 1))
    pal.putpalette(palette)
    return img.convert("RGB").quantize(palette=pal, dither=Image.Dither.NONE)


def gray_indexed(img):
    out = img.convert("L").convert("P")
    out.putpalette(gray_palette())
    return out


def save_bmp(img, path):
    img.save(path, format="BMP")


# ------------------------------------------------------------------ knob

KNOB_SKIRT = 32.4
KNOB_BODY = 25.5
KNOB_CAP = 19.0
RIDGES = 30


def draw_knob(cr, cx, cy, angle, scale=1.0):
    """One knob, pointer at angle (clockwise from straight down); lit from the top left."""
    cr.save()
    cr.translate(cx, cy)
    cr.scale(scale, scale)
    # skirt: a flange sloping down from the body, its rim catching the light
    g = cairo.LinearGradient(-KNOB_SKIRT, -KNOB_SKIRT, KNOB_SKIRT, KNOB_SKIRT)
    g.add_color_stop_rgb(0.0, *rgb((150, 150, 154)))
    g.add_color_stop_rgb(0.45, *rgb((62, 62, 65)))
    g.add_color_stop_rgb(1.0, *rgb((26, 26, 28)))
    cr.arc(0, 0, KNOB_SKIRT, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill()
    cone = cairo.RadialGradient(0, 0, KNOB_BODY, 0, 0, KNOB_SKIRT - 1.0)
    cone.add_color_stop_rgb(0.0, *rgb((20, 20, 21)))
    cone.add_color_stop_rgb(1.0, *rgb((44, 44, 46)))
    cr.arc(0, 0, KNOB_SKIRT - 1.0, 0, 2 * math.pi)
    cr.set_source(cone)
    cr.fill()
    sheen = cairo.LinearGradient(-KNOB_SKIRT, -KNOB_SKIRT, KNOB_SKIRT, KNOB_SKIRT)
    sheen.add_color_stop_rgba(0.0, 1, 1, 1, 0.20)
    sheen.add_color_stop_rgba(0.5, 1, 1, 1, 0.0)
    sheen.add_color_stop_rgba(1.0, 0, 0, 0, 0.35)
    cr.arc(0, 0, KNOB_SKIRT - 1.0, 0, 2 * math.pi)
    cr.set_source(sheen)
    cr.fill()
    # knurled body: ridges turn with the knob
    dx, dy = direction(angle)
    base = math.atan2(dy, dx)
    for i in range(RIDGES):
        a0 = base + 2 * math.pi * i / RIDGES
        a1 = a0 + math.pi / RIDGES
        # shade by where the ridge faces the light (top left)
        mid = (a0 + a1) / 2
        light = 0.5 + 0.5 * math.cos(mid - math.radians(225))
        shade = 36 + 62 * light ** 1.5
        cr.move_to(0, 0)
        cr.arc(0, 0, KNOB_BODY, a0, a1)
        cr.close_path()
        cr.set_source_rgb(*rgb((shade, shade, shade + 2)))
        cr.fill()
        shade2 = 16 + 22 * light
        cr.move_to(0, 0)
        cr.arc(0, 0, KNOB_BODY, a1, a0 + 2 * math.pi / RIDGES)
        cr.close_path()
        cr.set_source_rgb(*rgb((shade2, shade2, shade2)))
        cr.fill()
    # a thin shadow ring between body and cap
    cr.arc(0, 0, KNOB_CAP + 1.6, 0, 2 * math.pi)
    cr.set_source_rgb(*rgb((10, 10, 10)))
    cr.fill()
    # cap: a soft dome with a highlight where the light falls
    g = cairo.RadialGradient(-7, -9, 1, 0, 0, KNOB_CAP + 2)
    g.add_color_stop_rgb(0.0, *rgb((112, 112, 116)))
    g.add_color_stop_rgb(0.5, *rgb((52, 52, 55)))
    g.add_color_stop_rgb(1.0, *rgb((20, 20, 21)))
    cr.arc(0, 0, KNOB_CAP, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill()
    rim = cairo.LinearGradient(-KNOB_CAP, -KNOB_CAP, KNOB_CAP, KNOB_CAP)
    rim.add_color_stop_rgba(0.0, 1, 1, 1, 0.35)
    rim.add_color_stop_rgba(0.5, 1, 1, 1, 0.0)
    rim.add_color_stop_rgba(1.0, 1, 1, 1, 0.08)
    cr.arc(0, 0, KNOB_CAP - 0.5, 0, 2 * math.pi)
    cr.set_line_width(1.0)
    cr.set_source(rim)
    cr.stroke()
    # pointer: a white line from near the middle across the cap and the skirt
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    cr.set_line_width(3.2)
    cr.set_source_rgb(*rgb((250, 250, 246)))
    cr.move_to(dx * 9.0, dy * 9.0)
    cr.line_to(dx * (KNOB_SKIRT - 2.4), dy * (KNOB_SKIRT - 2.4))
    cr.stroke()
    cr.restore()


def knob_strips(layout):
    k = layout["knob"]
    size, count = k["frameSize"], k["frameCount"]
    s, cr = surface(size * count, size)
    for n in range(count):
        angle = k["firstAngle"] + n * k["degreesPerFrame"]
        draw_knob(cr, size * n + size / 2.0, size / 2.0, angle)
    rgba = to_pil(s)
    alpha = rgba.getchannel("A")
    # The mask marks every pixel the knob touches; the image is the knob over black
    # and black everywhere else, so OR leaves the panel alone outside the knob.
    mask = alpha.point(lambda a: 0 if a > 0 else 255)
    image = gray_indexed(rgba.convert("RGB"))
    return image, gray_indexed(mask)


# ------------------------------------------------------------------ switches

def lever_image(height, tip_y):
    """A chrome toggle lever in a black bezel, tip at tip_y, pivot at the middle."""
    width = 24
    s, cr = surface(width, height)
    cr.set_source_rgb(*rgb(PANEL))
    cr.paint()
    cx = width / 2.0
    pivot = height / 2.0
    # mounting bezel: a dark plate with a slot along the travel
    rounded_rect(cr, 3.5, 2.5, 17, height - 5, 4.5)
    g = cairo.LinearGradient(0, 0, width, 0)
    g.add_color_stop_rgb(0, *rgb((46, 46, 48)))
    g.add_color_stop_rgb(0.5, *rgb((30, 30, 31)))
    g.add_color_stop_rgb(1, *rgb((18, 18, 19)))
    cr.set_source(g)
    cr.fill_preserve()
    cr.set_source_rgb(*rgb((70, 70, 72)))
    cr.set_line_width(1.0)
    cr.stroke()
    rounded_rect(cr, cx - 3, 6, 6, height - 12, 3)
    cr.set_source_rgb(*rgb((4, 4, 4)))
    cr.fill()
    # pivot nut
    cr.arc(cx, pivot, 5.0, 0, 2 * math.pi)
    cr.set_source_rgb(*rgb((58, 58, 60)))
    cr.fill()
    # shaft from the pivot to the tip, narrowing toward the pivot
    if abs(tip_y - pivot) > 1:
        shaft = cairo.LinearGradient(cx - 3, 0, cx + 3, 0)
        shaft.add_color_stop_rgb(0, *rgb((110, 110, 112)))
        shaft.add_color_stop_rgb(0.35, *rgb((238, 238, 240)))
        shaft.add_color_stop_rgb(1, *rgb((90, 90, 92)))
        cr.move_to(cx - 1.8, pivot)
        cr.line_to(cx - 3.0, tip_y)
        cr.line_to(cx + 3.0, tip_y)
        cr.line_to(cx + 1.8, pivot)
        cr.close_path()
        cr.set_source(shaft)
        cr.fill()
    # the lever's end: a chrome barrel seen from the front, lit from above
    rounded_rect(cr, cx - 8, tip_y - 6, 16, 12, 4)
    g = cairo.LinearGradient(0, tip_y - 6, 0, tip_y + 6)
    g.add_color_stop_rgb(0.0, *rgb((250, 250, 252)))
    g.add_color_stop_rgb(0.3, *rgb((200, 200, 204)))
    g.add_color_stop_rgb(0.55, *rgb((120, 120, 124)))
    g.add_color_stop_rgb(0.8, *rgb((170, 170, 174)))
    g.add_color_stop_rgb(1.0, *rgb((86, 86, 90)))
    cr.set_source(g)
    cr.fill_preserve()
    cr.set_source_rgb(*rgb((40, 40, 42)))
    cr.set_line_width(0.8)
    cr.stroke()
    # grip lines
    cr.set_line_width(0.8)
    for dy in (-2.5, 0.0, 2.5):
        cr.move_to(cx - 5.5, tip_y + dy + 0.5)
        cr.line_to(cx + 5.5, tip_y + dy + 0.5)
        cr.set_source_rgba(0, 0, 0, 0.28)
        cr.stroke()
    return flatten(s)


# Where the lever's end sits for each image: in the middle of the band of pointer
# heights that selects its position (quarters of 75 for four positions, thirds
# for three, halves of 60 for two).
LEVERS = {
    "switch-up.bmp": (60, 14.0),
    "switch-down.bmp": (60, 46.0),
    "lever-top.bmp": (75, 10.0),
    "lever-upper-middle.bmp": (75, 28.0),
    "lever-middle.bmp": (75, 37.5),
    "lever-lower-middle.bmp": (75, 47.0),
    "lever-bottom.bmp": (75, 65.0),
}


def bank_button(digit, lit):
    size = 45
    s, cr = surface(size, size)
    cr.set_source_rgb(*rgb(PANEL))
    cr.paint()
    # bezel
    rounded_rect(cr, 1.5, 1.5, size - 3, size - 3, 8)
    cr.set_source_rgb(*rgb((6, 6, 6)))
    cr.fill()
    # cap
    rounded_rect(cr, 4, 4, size - 8, size - 8, 6)
    g = cairo.LinearGradient(0, 4, 0, size - 4)
    top, bottom = ((86, 86, 90), (34, 34, 36)) if lit else ((62, 62, 65), (26, 26, 27))
    g.add_color_stop_rgb(0, *rgb(top))
    g.add_color_stop_rgb(1, *rgb(bottom))
    cr.set_source(g)
    cr.fill_preserve()
    cr.set_line_width(1.0)
    cr.set_source_rgb(*rgb((120, 120, 124) if lit else (80, 80, 82)))
    cr.stroke()
    rounded_rect(cr, 7, 7, size - 14, size - 14, 4)
    g = cairo.LinearGradient(0, 7, 0, size - 7)
    g.add_color_stop_rgb(0, *rgb((58, 58, 61) if lit else (44, 44, 46)))
    g.add_color_stop_rgb(1, *rgb((40, 40, 42) if lit else (32, 32, 33)))
    cr.set_source(g)
    cr.fill()
    # lamp
    cr.arc(size / 2.0, 11.5, 2.4, 0, 2 * math.pi)
    cr.set_source_rgb(*rgb(RED_LIT if lit else (70, 12, 8)))
    cr.fill()
    # digit
    cr.select_font_face("Nimbus Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    cr.set_font_size(19)
    e = cr.text_extents(str(digit))
    x = size / 2.0 - e.x_bearing - e.width / 2.0
    y = 30.5
    cr.move_to(x, y)
    cr.set_source_rgb(*rgb((255, 255, 255) if lit else (118, 118, 120)))
    cr.show_text(str(digit))
    return flatten(s)


GLYPHS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-."


def glyph_strip():
    cell, height = 24, 33
    s, cr = surface(cell * len(GLYPHS), height)
    cr.set_source_rgb(0, 0, 0)
    cr.paint()
    cr.select_font_face("Nimbus Sans Narrow", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    cr.set_font_size(26)
    cr.set_source_rgb(*rgb(RED_LIT))
    for i, ch in enumerate(GLYPHS):
        e = cr.text_extents(ch)
        cr.move_to(i * cell + cell / 2.0 - e.x_bearing - e.width / 2.0, 26)
        cr.show_text(ch)
    return flatten(s)


# ------------------------------------------------------------------ panel

def draw_frame(cr, frame):
    left, top, width, height = frame["rect"]
    cr.set_source_rgb(*rgb(INK))
    cr.set_line_width(2.0)
    rounded_rect(cr, left + 1, top + 1, width - 2, height - 2, 9)
    cr.stroke()
    # the title sits in a gap of the top edge
    tracking = set_font(cr, "title")
    title = frame["title"]
    w = text_width(cr, title, tracking)
    box = frame["titleBox"]
    if w + 12 > box[2]:
        raise Overflow(f"title '{title}' is {w:.1f} px wide in a {box[2]} px gap")
    cx = left + width / 2.0
    cr.rectangle(math.floor(cx - w / 2 - 7), top - 1, math.ceil(w + 14), 5)
    cr.set_source_rgb(*rgb(PANEL))
    cr.fill()
    cr.set_source_rgb(*rgb(INK))
    show_tracked(cr, round((cx - w / 2) * 2) / 2, round(top + 1 + cap_height(cr) / 2), title, tracking)


def draw_legend(cr, legend):
    left, top, width, height = legend["box"]
    spans = draw_text_in_box(cr, legend["text"], legend["box"], legend["style"], legend["align"])
    if legend["ruled"]:
        y = round(top + height / 2.0) - 0.5 - 1
        x0, x1 = spans[0]
        cr.set_source_rgb(*rgb(INK))
        cr.set_line_width(1.0)
        for a, b in ((left, x0 - 6), (x1 + 6, left + width)):
            if b - a > 2:
                cr.move_to(round(a), y)
                cr.line_to(round(b), y)
                cr.stroke()


def draw_dial(cr, dial):
    cx, cy = dial["centre"]
    cr.set_source_rgb(*rgb(INK))
    cr.set_line_cap(cairo.LINE_CAP_BUTT)
    for mark in dial["marks"]:
        dx, dy = direction(mark["angle"])
        outer = dial["tickMajor"] if mark["major"] else dial["tickMinor"]
        cr.set_line_width(1.6 if mark["major"] else 1.0)
        cr.move_to(cx + dx * dial["tickInner"], cy + dy * dial["tickInner"])
        cr.line_to(cx + dx * outer, cy + dy * outer)
        cr.stroke()
        if mark["text"]:
            tracking = set_font(cr, "dial")
            w = text_width(cr, mark["text"], tracking)
            left, top, width, height = mark["box"]
            if w > width:
                raise Overflow(f"dial number '{mark['text']}' is {w:.1f} px wide in {width} px")
            bx, by = left + width / 2.0, top + height / 2.0
            cr.move_to(round((bx - w / 2.0) * 2) / 2, round(by + cap_height(cr) / 2.0))
            cr.show_text(mark["text"])


def draw_logo(cr, box):
    left, top, width, height = box
    family, weight, slant = LOGO_FACE
    cr.select_font_face(family, slant, weight)
    cr.set_font_size(96)
    e = cr.text_extents("Tavren")
    x = left + width - 24 - e.width - e.x_bearing
    baseline = top + 92
    cr.move_to(x, baseline)
    cr.set_source_rgb(*rgb(INK))
    cr.show_text("Tavren")
    # a fine rule under the script and a line of small capitals
    cr.set_line_width(1.0)
    y = baseline + 22.5
    cr.move_to(left + 40, y)
    cr.line_to(left + width - 24, y)
    cr.stroke()
    cr.select_font_face("Nimbus Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    cr.set_font_size(10)
    line = "PATCH EDITOR AND LIBRARIAN"
    w = text_width(cr, line, 2.2)
    show_tracked(cr, left + width - 24 - w, y + 16, line, 2.2)


def draw_well(cr, rect):
    """A recessed black window for the patch list and the status lines."""
    left, top, width, height = rect
    rounded_rect(cr, left - 4.5, top - 4.5, width + 9, height + 9, 5)
    cr.set_source_rgb(*rgb((52, 52, 54)))
    cr.set_line_width(1.0)
    cr.stroke()
    cr.rectangle(left - 3, top - 3, width + 6, height + 6)
    cr.set_source_rgb(*rgb(WELL))
    cr.fill()


def draw_screw(cr, box):
    """A countersunk cross-head screw, lit from the top left like the knobs."""
    left, top, width, height = box
    cx, cy, r = left + width / 2.0, top + height / 2.0, width / 2.0
    cr.arc(cx, cy, r, 0, 2 * math.pi)  # the countersink: a dark ring
    cr.set_source_rgb(*rgb((4, 4, 4)))
    cr.fill()
    g = cairo.RadialGradient(cx - r * 0.35, cy - r * 0.4, 0.5, cx, cy, r)
    g.add_color_stop_rgb(0.0, *rgb((186, 186, 190)))
    g.add_color_stop_rgb(0.6, *rgb((92, 92, 96)))
    g.add_color_stop_rgb(1.0, *rgb((40, 40, 42)))
    cr.arc(cx, cy, r - 1.0, 0, 2 * math.pi)
    cr.set_source(g)
    cr.fill()
    # the cross, turned a little as a real one rarely sits square
    cr.save()
    cr.translate(cx, cy)
    cr.rotate(math.radians(22))
    cr.set_line_width(1.6)
    cr.set_line_cap(cairo.LINE_CAP_BUTT)
    cr.set_source_rgb(*rgb((12, 12, 13)))
    for dx, dy in ((1, 0), (0, 1)):
        cr.move_to(-dx * (r - 2.6), -dy * (r - 2.6))
        cr.line_to(dx * (r - 2.6), dy * (r - 2.6))
    cr.stroke()
    cr.restore()


def draw_plate_edge(cr, width, height):
    """The panel's edge: a faint bevel, lighter along the top and left."""
    cr.set_line_width(1.0)
    for inset, colour in ((0.5, (46, 46, 48)), (1.5, (24, 24, 25))):
        cr.move_to(inset, height - inset)
        cr.line_to(inset, inset)
        cr.line_to(width - inset, inset)
        cr.set_source_rgb(*rgb(colour))
        cr.stroke()
    for inset, colour in ((0.5, (2, 2, 2)), (1.5, (6, 6, 6))):
        cr.move_to(width - inset, inset)
        cr.line_to(width - inset, height - inset)
        cr.line_to(inset, height - inset)
        cr.set_source_rgb(*rgb(colour))
        cr.stroke()


def panel_image(layout):
    width, height = layout["panel"]["width"], layout["panel"]["height"]
    s, cr = surface(width, height)
    cr.set_source_rgb(*rgb(PANEL))
    cr.paint()
    cr.set_font_options(font_options())
    problems = []
    for frame in layout["frames"]:
        try:
            draw_frame(cr, frame)
        except Overflow as e:
            problems.append(str(e))
    draw_well(cr, layout["patchList"])
    draw_well(cr, layout["statusPanel"])
    cr.set_source_rgb(*rgb(INK))
    cr.set_line_width(1.0)
    for x1, y1, x2, y2 in layout["rules"]:
        cr.move_to(x1, y1 + 0.5)
        cr.line_to(x2, y2 + 0.5)
        cr.stroke()
    for legend in layout["legends"]:
        try:
            draw_legend(cr, legend)
        except Overflow as e:
            problems.append(str(e))
    for dial in layout["dials"]:
        try:
            draw_dial(cr, dial)
        except Overflow as e:
            problems.append(str(e))
    for icon in layout["icons"]:
        stroke_wave(cr, icon["shape"], icon["box"])
    draw_logo(cr, layout["logo"])
    for screw in layout["screws"]:
        draw_screw(cr, screw)
    draw_plate_edge(cr, width, height)
    if problems:
        sys.exit("artgen: legends do not fit their layout boxes:\n  " + "\n  ".join(problems))
    return flatten(s)


def font_options():
    o = cairo.FontOptions()
    o.set_antialias(cairo.ANTIALIAS_GRAY)
    o.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    o.set_hint_metrics(cairo.HINT_METRICS_OFF)
    return o


# ------------------------------------------------------------------ composites

def compose_controls(layout, panel, art, values=None):
    """The panel with every control drawn on it as the program draws them."""
    out = panel.copy()
    knob, mask = art["knob.bmp"].convert("RGB"), art["knob-mask.bmp"].convert("L")
    size = layout["knob"]["frameSize"]
    values = values or {}
    for row in layout["parameters"]:
        wl, wt, ww, wh = row["window"]
        value = values.get(row["id"], 0)
        if row["kind"] == "knob":
            frame = int(value / row["maxValue"] * layout["knob"]["lastValueFrame"])
            crop = (frame * size, 0, frame * size + size, size)
            x, y = wl + ww // 2 - size // 2 - 1, wt + wh // 2 - size // 2
            region = out.crop((x, y, x + size, y + size))
            knob_mask = mask.crop(crop).point(lambda v: 255 - v)
            region.paste(knob.crop(crop), (0, 0), knob_mask)
            out.paste(region, (x, y))
        else:
            if row["kind"] == "two-state":
                name = IMAGE_FILES[row["onImage"] if value else row["offImage"]]
            elif row["kind"] == "three-state":
                name = ["lever-bottom.bmp", "lever-middle.bmp", "lever-top.bmp"][value]
            else:
                name = ["lever-bottom.bmp", "lever-lower-middle.bmp", "lever-upper-middle.bmp", "lever-top.bmp"][value]
            out.paste(art[name].convert("RGB"), (wl, wt))
    return out


IMAGE_FILES = {141: "switch-up.bmp", 142: "switch-down.bmp"}
for _n in range(4):
    IMAGE_FILES[151 + 2 * _n] = f"bank{_n + 1}-on.bmp"
    IMAGE_FILES[152 + 2 * _n] = f"bank{_n + 1}-off.bmp"

# A plausible evening's settings for the pictures of the panel.
SHOWCASE = {8: 128, 10: 96, 9: 230, 11: 131, 14: 150, 13: 60, 12: 200, 26: 170, 27: 40, 37: 20,
            28: 90, 29: 70, 30: 30, 15: 110, 16: 150, 17: 180, 21: 10, 20: 120, 19: 160, 18: 90,
            25: 0, 24: 140, 23: 255, 22: 100, 34: 80, 35: 40, 31: 120, 32: 60, 39: 0, 40: 0, 41: 50,
            57: 1, 54: 0, 48: 1, 49: 0, 50: 1, 68: 1, 69: 2, 51: 0, 52: 1, 53: 1, 60: 2, 55: 0,
            56: 1, 65: 0, 62: 1, 61: 0, 74: 1, 76: 0, 75: 1, 72: 0, 63: 1, 59: 3, 58: 0, 1200: 1}
SHOWCASE_PATCHES = ["Warm Strings", "Sync Lead", "Glass Keys", "Brass Section", "Slow Pad",
                    "Resonant Bass", "Poly Sweep", "Bell Tones", "Unison Lead", "Soft Organ",
                    "Night Choir", "Hollow Pluck", "Wide Brass", "Deep Bass", "Shimmer",
                    "Clavi", "Echo Lead", "Sub Drone", "Airy Pad"]


def draw_patch_rows(img, layout):
    """Example rows of the patch list as the program draws them: number and name."""
    s = cairo.ImageSurface.create_for_data(bytearray(img.convert("RGBA").tobytes("raw", "BGRA")),
                                           cairo.FORMAT_ARGB32, img.width, img.height)
    cr = cairo.Context(s)
    left, top, width, height = layout["patchList"]
    cr.select_font_face("Liberation Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    cr.set_font_size(22)
    row_height = 30
    for i, name in enumerate(SHOWCASE_PATCHES):
        y = top + i * row_height + row_height / 2 + 8
        if y > top + height:
            break
        cr.set_source_rgb(*rgb((255, 255, 255) if i == 1 else (255, 0, 0)))
        cr.move_to(left + 2, y)
        cr.show_text(f"{i:<2d} {name}")
    lines = ["Instrument recognized", "Bank 0 loaded", "Patch 1: Sync Lead"]
    left, top, width, height = layout["statusPanel"]
    cr.select_font_face("Liberation Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_NORMAL)
    cr.set_font_size(14)
    cr.set_source_rgb(*rgb((200, 200, 200)))
    for i, line in enumerate(lines):
        cr.move_to(left, top + 12 + i * 15)
        cr.show_text(line)
    return flatten(s)


def about_picture(view):
    """The name over a darkened stretch of the panel. The About box shows the
    picture centred in a smaller frame, so everything that matters sits in the middle."""
    width, height = 640, 272
    scale = 0.5
    left, top = 300, 20
    region = view.crop((left, top, left + round(width / scale), top + round(height / scale)))
    base = Image.blend(Image.new("RGB", (width, height), (0, 0, 0)), region.resize((width, height), Image.LANCZOS), 0.42)
    s, cr = surface(width, height)
    # the panel shows through everywhere but behind the name
    cr.set_source_surface(cairo.ImageSurface.create_for_data(
        bytearray(base.convert("RGBA").tobytes("raw", "BGRA")), cairo.FORMAT_ARGB32, width, height), 0, 0)
    cr.paint()
    g = cairo.RadialGradient(width / 2, height / 2, 20, width / 2, height / 2, 230)
    g.add_color_stop_rgba(0, 0, 0, 0, 0.92)
    g.add_color_stop_rgba(0.6, 0, 0, 0, 0.7)
    g.add_color_stop_rgba(1, 0, 0, 0, 0.0)
    cr.save()
    cr.translate(0, height / 2)
    cr.scale(1, 0.55)
    cr.translate(0, -height / 2)
    cr.rectangle(0, -height, width, 3 * height)
    cr.set_source(g)
    cr.fill()
    cr.restore()
    cr.select_font_face(LOGO_FACE[0], LOGO_FACE[2], LOGO_FACE[1])
    cr.set_font_size(76)
    e = cr.text_extents("Tavren")
    cr.move_to((width - e.width) / 2 - e.x_bearing, 146)
    cr.set_source_rgb(*rgb(INK))
    cr.show_text("Tavren")
    cr.set_font_options(font_options())
    cr.select_font_face("Nimbus Sans", cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
    cr.set_font_size(10)
    line = "PATCH EDITOR AND LIBRARIAN"
    w = text_width(cr, line, 2.6)
    cr.set_line_width(1.0)
    cr.move_to(width / 2 - 150, 163.5)
    cr.line_to(width / 2 + 150, 163.5)
    cr.stroke()
    show_tracked(cr, (width - w) / 2, 181, line, 2.6)
    return flatten(s)


def icon_surface(size):
    s, cr = surface(size, size)
    f = size / 256.0
    rounded_rect(cr, 8 * f, 8 * f, 240 * f, 240 * f, 44 * f)
    g = cairo.LinearGradient(0, 0, 0, size)
    g.add_color_stop_rgb(0, *rgb((40, 40, 42)))
    g.add_color_stop_rgb(1, *rgb((10, 10, 11)))
    cr.set_source(g)
    cr.fill_preserve()
    cr.set_line_width(max(1.0, 6 * f))
    cr.set_source_rgb(*rgb(INK))
    cr.stroke()
    # a dial with a red lamp: the panel in one glance
    cx, cy = size / 2.0, size * 0.54
    if size < 64:
        # too small for ridges: a bright plain knob with a bold pointer, and ticks
        # only where there is room for them
        if size >= 32:
            cr.set_source_rgb(*rgb(INK))
            cr.set_line_width(size / 16.0)
            for i in range(6):
                dx, dy = direction(30 + i * 60)
                cr.move_to(cx + dx * size * 0.36, cy + dy * size * 0.36)
                cr.line_to(cx + dx * size * 0.43, cy + dy * size * 0.43)
                cr.stroke()
        radius = size * (0.29 if size >= 32 else 0.34)
        g = cairo.RadialGradient(cx - radius * 0.4, cy - radius * 0.5, 0.5, cx, cy, radius)
        g.add_color_stop_rgb(0, *rgb((160, 160, 164)))
        g.add_color_stop_rgb(1, *rgb((64, 64, 67)))
        cr.arc(cx, cy, radius, 0, 2 * math.pi)
        cr.set_source(g)
        cr.fill()
        dx, dy = direction(215)
        cr.set_line_width(max(2.0, size / 10.0))
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        cr.set_source_rgb(1, 1, 1)
        cr.move_to(cx, cy)
        cr.line_to(cx + dx * radius * 0.85, cy + dy * radius * 0.85)
        cr.stroke()
        cr.arc(size * 0.8, size * 0.2, size * 0.08, 0, 2 * math.pi)
        cr.set_source_rgb(*rgb(RED_LIT))
        cr.fill()
        return s
    cr.set_source_rgb(*rgb(INK))
    for i in range(11):
        dx, dy = direction(30 + i * 30)
        cr.set_line_width(max(1.0, 7 * f))
        cr.move_to(cx + dx * 92 * f, cy + dy * 92 * f)
        cr.line_to(cx + dx * 108 * f, cy + dy * 108 * f)
        cr.stroke()
    draw_knob(cr, cx, cy, 215, scale=2.45 * f)
    cr.arc(size * 0.8, size * 0.2, 12 * f, 0, 2 * math.pi)
    cr.set_source_rgb(*rgb(RED_LIT))
    cr.fill()
    return s


def icon_entry(size):
    """One image of an icon file: a 32-bit DIB with its AND mask below 256 pixels,
    a PNG at 256, as Windows' own icons are stored."""
    s = icon_surface(size)
    s.flush()
    # cairo keeps colour premultiplied by alpha; icons want it straight.
    img = Image.frombuffer("RGBA", (size, size), bytes(s.get_data()), "raw", "BGRa", s.get_stride(), 1)
    if size >= 256:
        out = io.BytesIO()
        img.save(out, format="PNG", optimize=True)
        return out.getvalue()
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [img.crop((0, y, size, y + 1)).tobytes("raw", "BGRA") for y in range(size)]
    mask_stride = ((size + 31) // 32) * 4
    alpha = img.getchannel("A")
    mask_rows = []
    for y in range(size):
        bits = bytearray(mask_stride)
        for x in range(size):
            if alpha.getpixel((x, y)) == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(bits))
    return header + b"".join(reversed(rows)) + b"".join(reversed(mask_rows))


def save_icon(path, sizes):
    entries = [icon_entry(n) for n in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, entries):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# ------------------------------------------------------------------ main

def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--layout-tool", required=True, help="path of the layout-export program")
    ap.add_argument("--out", required=True, help="folder for the bitmaps and icons")
    ap.add_argument("--doc-panel", help="also write a PNG of the panel with its controls")
    args = ap.parse_args()

    check_fonts()
    layout = json.loads(subprocess.run([args.layout_tool], check=True, capture_output=True, text=True).stdout)
    os.makedirs(args.out, exist_ok=True)

    art = {}
    art["panel.bmp"] = panel_image(layout)
    art["knob.bmp"], art["knob-mask.bmp"] = knob_strips(layout)
    palette = panel_palette()
    for name, (height, tip) in LEVERS.items():
        art[name] = to_indexed(lever_image(height, tip), palette)
    for n in range(1, 5):
        art[f"bank{n}-on.bmp"] = to_indexed(bank_button(n, True), palette)
        art[f"bank{n}-off.bmp"] = to_indexed(bank_button(n, False), palette)
    art["glyphs.bmp"] = to_indexed(glyph_strip(), palette)

    view = compose_controls(layout, art["panel.bmp"], art, SHOWCASE)
    view = draw_patch_rows(view, layout)
    art["about.bmp"] = about_picture(view)

    for name, img in art.items():
        save_bmp(img, os.path.join(args.out, name))
    save_icon(os.path.join(args.out, "tavren.ico"), [16, 20, 24, 32, 48, 64, 128, 256])
    save_icon(os.path.join(args.out, "small.ico"), [16, 20, 24, 32, 48, 256])
    if args.doc_panel:
        view.save(args.doc_panel, format="PNG", optimize=True)


if __name__ == "__main__":
    main()
