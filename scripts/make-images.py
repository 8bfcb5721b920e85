#!/usr/bin/env python3
"""Draws Varnel's icons and bitmaps and writes them as .ico and .bmp files.

Usage: make-images.py [output-folder]   (default: resources/ beside this script's folder)

Icons hold one image for each size that Windows asks for at 100% to 200% display scaling,
in 32-bit colour with alpha: BITMAPINFOHEADER images with an AND mask, and the 256-pixel
image as PNG. They are drawn from shapes at each size, with edges on whole pixels where the
shape allows. The welcome dialog's bitmaps are drawn from one design for five display
scalings from 100% to 300%, in the 16 colours of the standard VGA palette, and written as
4-bit BMP files, run-length encoded (RLE4). The output is byte-for-byte reproducible.
"""
import math
import os
import struct
import sys
import zlib

# The standard 16-colour palette, (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)

# Letters used in the pixel-art drawings below; '.' is transparent (or "leave as is").
ART_COLOURS = {
    'K': BLACK, 'm': MAROON, 'g': GREEN, 'o': OLIVE, 'n': NAVY, 'p': PURPLE, 't': TEAL,
    's': SILVER, 'G': GRAY, 'R': RED, 'L': LIME, 'Y': YELLOW, 'B': BLUE, 'F': FUCHSIA,
    'A': AQUA, 'W': WHITE,
}


class Canvas:
    """A grid of palette indices; None marks a transparent pixel. Drawings give their
    coordinates in pixels of the design; `unit` screen pixels make one design pixel, so one
    drawing serves every display scaling. Areas end on the nearest whole pixel, lines are
    `line` pixels thick whatever they cross."""

    def __init__(self, width, height, fill=None, unit=1):
        self.unit = unit
        self.line = max(1, math.floor(unit + 0.5))
        self.width, self.height = self.edge(width), self.edge(height)
        self.px = [[fill] * self.width for _ in range(self.height)]

    def edge(self, v):
        """The pixel edge nearest to a design coordinate."""
        return math.floor(v * self.unit + 0.5)

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour

    def pixels(self, x0, y0, x1, y1, colour):
        """Fills the pixels from (x0, y0) to (x1, y1), the far edges excluded."""
        x0, x1 = max(0, x0), min(self.width, x1)
        for y in range(max(0, y0), min(self.height, y1)):
            self.px[y][x0:max(x0, x1)] = [colour] * max(0, x1 - x0)

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fills the design pixels from (x0, y0) to (x1, y1), both inclusive."""
        self.pixels(self.edge(x0), self.edge(y0), self.edge(x1 + 1), self.edge(y1 + 1), colour)

    def hline(self, x0, x1, y, colour):
        """A line along design row y, from column x0 to x1 inclusive."""
        top = self.edge(y)
        self.pixels(self.edge(x0), top, self.edge(x1 + 1), top + self.line, colour)

    def bevel(self, x0, y0, x1, y1, light, dark, inset=0):
        """A 3-D edge inside the design pixels from (x0, y0) to (x1, y1): light on top and
        left, dark on bottom and right (None leaves that side), `inset` lines in from them."""
        step = inset * self.line
        left, top = self.edge(x0) + step, self.edge(y0) + step
        right, bottom = self.edge(x1 + 1) - step, self.edge(y1 + 1) - step
        t = self.line
        if light is not None:
            self.pixels(left, top, right, top + t, light)
            self.pixels(left, top, left + t, bottom, light)
        if dark is not None:
            self.pixels(left, bottom - t, right, bottom, dark)
            self.pixels(right - t, top, right, bottom, dark)

    def frame(self, x0, y0, x1, y1, colour):
        self.bevel(x0, y0, x1, y1, colour, colour)

    def polygon(self, points, colour):
        """Fills every pixel whose centre lies inside the polygon (even-odd rule)."""
        points = [(x * self.unit, y * self.unit) for x, y in points]
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        for y in range(max(0, int(min(ys))), min(self.height, int(max(ys)) + 1)):
            for x in range(max(0, int(min(xs))), min(self.width, int(max(xs)) + 1)):
                if _inside(points, x + 0.5, y + 0.5):
                    self.set(x, y, colour)

    def bar(self, x0, y0, x1, y1, half_width, colour):
        """A straight bar between two points (design-pixel-corner coordinates)."""
        self.polygon(bar_outline(x0, y0, x1, y1, half_width), colour)

    def art(self, x, y, rows):
        """Paints a pixel-art drawing with its top-left corner at design pixel (x, y)."""
        self.blit(_as_canvas(rows), x, y)

    def blit(self, other, x, y, density=1):
        """Paints the opaque pixels of another canvas with its top-left corner at design pixel
        (x, y); `density` of its pixels make one design pixel."""
        for dy, row in enumerate(other.px):
            for dx, colour in enumerate(row):
                if colour is not None:
                    self.pixels(self.edge(x + dx / density), self.edge(y + dy / density),
                                self.edge(x + (dx + 1) / density), self.edge(y + (dy + 1) / density), colour)


def bar_outline(x0, y0, x1, y1, half_width):
    """The four corners of a straight bar between two points."""
    dx, dy = x1 - x0, y1 - y0
    length = (dx * dx + dy * dy) ** 0.5
    nx, ny = -dy / length * half_width, dx / length * half_width
    return [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]


def _inside(points, px, py):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


# ---------------------------------------------------------------------------------------
# File formats

def _palette_bytes():
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)


BI_RLE4 = 2
RLE_END_OF_LINE, RLE_END_OF_BITMAP = b'\0\0', b'\0\1'


def _rle4_row(row):
    """One row in runs of the RLE4 encoded mode: a count, then two colours that alternate
    for that many pixels (the same colour twice for a plain run)."""
    out = bytearray()
    x = 0
    while x < len(row):
        first = row[x]
        second = row[x + 1] if x + 1 < len(row) else first
        n = 1
        while x + n < len(row) and n < 255 and row[x + n] == (first if n % 2 == 0 else second):
            n += 1
        out += bytes([n, first << 4 | second])
        x += n
    return bytes(out)


def _rle4_pixels(canvas):
    """The pixel rows, bottom-up, compressed: the pictures are mostly flat colour."""
    rows = [_rle4_row(row) for row in reversed(canvas.px)]
    return RLE_END_OF_LINE.join(rows) + RLE_END_OF_BITMAP


def bmp_bytes(canvas):
    if any(c is None for row in canvas.px for c in row):
        raise ValueError('a bitmap has no transparent pixels')
    pixels = _rle4_pixels(canvas)
    offset = 14 + 40 + 16 * 4
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 4, BI_RLE4, len(pixels),
                       2835, 2835, 16, 0)
    return file_header + info + _palette_bytes() + pixels


# ---------------------------------------------------------------------------------------
# 32-bit images

class RgbaCanvas:
    """Shapes painted at `ss` x `ss` samples per pixel; a pixel's colour and alpha are the
    average of its samples. Colours are (red, green, blue, alpha); None is transparent."""

    def __init__(self, size, ss):
        self.size, self.ss = size, ss
        self.samples = [[None] * (size * ss) for _ in range(size * ss)]

    def polygon(self, points, colour):
        """Fills the samples whose centre lies inside the polygon (pixel units, even-odd)."""
        ss, n = self.ss, self.size * self.ss
        pts = [(x * ss, y * ss) for x, y in points]
        ys = [p[1] for p in pts]
        for y in range(max(0, int(min(ys))), min(n, int(max(ys)) + 1)):
            centre = y + 0.5
            crossings = []
            for (xi, yi), (xj, yj) in zip(pts, pts[-1:] + pts[:-1]):
                if (yi > centre) != (yj > centre):
                    crossings.append((xj - xi) * (centre - yi) / (yj - yi) + xi)
            crossings.sort()
            row = self.samples[y]
            for a, b in zip(crossings[0::2], crossings[1::2]):
                start, end = max(0, math.ceil(a - 0.5)), min(n, math.ceil(b - 0.5))
                if end > start:
                    row[start:end] = [colour] * (end - start)

    def rect(self, x0, y0, x1, y1, colour):
        """The rectangle from (x0, y0) to (x1, y1), the far corner excluded."""
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], colour)

    def bar(self, x0, y0, x1, y1, half_width, colour):
        self.polygon(bar_outline(x0, y0, x1, y1, half_width), colour)

    def outlined(self, points, half_width, fill, line):
        """A polygon filled, then stroked along its edges, with square joints."""
        self.polygon(points, fill)
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            self.bar(x0, y0, x1, y1, half_width, line)
        for x, y in points:
            self.rect(x - half_width, y - half_width, x + half_width, y + half_width, line)

    def pixels(self):
        """The rows of (red, green, blue, alpha), top row first."""
        ss, out = self.ss, []
        for y in range(self.size):
            band = self.samples[y * ss:(y + 1) * ss]
            line = []
            for x in range(self.size):
                r = g = b = a = 0
                for row in band:
                    for c in row[x * ss:(x + 1) * ss]:
                        if c is not None:
                            r, g, b, a = r + c[0] * c[3], g + c[1] * c[3], b + c[2] * c[3], a + c[3]
                line.append((0, 0, 0, 0) if a == 0 else
                            (round(r / a), round(g / a), round(b / a), round(a / (ss * ss))))
            out.append(line)
        return out


def _rgba_icon_image(pixels):
    size = len(pixels)
    colour = b''.join(struct.pack('<BBBB', b, g, r, a) for row in reversed(pixels) for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def png_bytes(pixels):
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    size = len(pixels)
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in pixels)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


# Images this large are stored as PNG.
PNG_SIZE = 256


def rgba_ico_bytes(images):
    """An icon file from rows of (red, green, blue, alpha), one image per size."""
    data = [png_bytes(p) if len(p) >= PNG_SIZE else _rgba_icon_image(p) for p in images]
    out = struct.pack('<HHH', 0, 1, len(data))
    offset = 6 + 16 * len(data)
    for pixels, image in zip(images, data):
        out += struct.pack('<BBBBHHII', len(pixels) % 256, len(pixels) % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b''.join(data)


def rgb(index, alpha=255):
    return PALETTE[index] + (alpha,)


def samples_per_pixel(size):
    """16 pixels are drawn unsmoothed, so the small icon stays crisp."""
    return 1 if size <= 16 else 2 if size >= PNG_SIZE else 4


# ---------------------------------------------------------------------------------------
# Drawings

MOUSE_POINTER_LARGE = [
    "K...........",
    "KK..........",
    "KWK.........",
    "KWWK........",
    "KWWWK.......",
    "KWWWWK......",
    "KWWWWWK.....",
    "KWWWWWWK....",
    "KWWWWWWWK...",
    "KWWWWWWWWK..",
    "KWWWWWWWWWK.",
    "KWWWWWWKKKKK",
    "KWWWKWWK....",
    "KWWKKWWK....",
    "KWK..KWWK...",
    "KK...KWWK...",
    "K.....KWWK..",
    "......KWWK..",
    ".......KK...",
]

MOUSE_POINTER_SMALL = [
    "K......",
    "KK.....",
    "KWK....",
    "KWWK...",
    "KWWWK..",
    "KWWWWK.",
    "KWWWWWK",
    "KWWKKKK",
    "KWKWK..",
    "KK.KWK.",
    "K..KWK.",
    "....K..",
]


def program_icon_4bit(size):
    """The program icon in the 16 colours, for the notification-area picture."""
    c = Canvas(size, size)
    if size == 32:
        left, top, right, bottom, title = 1, 2, 25, 24, 5
        cross = (6.0, 11.0, 21.0, 22.0, 1.9)
        pointer, at = MOUSE_POINTER_LARGE, (18, 12)
    else:
        left, top, right, bottom, title = 0, 1, 12, 12, 2
        cross = (2.5, 5.0, 10.5, 11.0, 1.1)
        pointer, at = MOUSE_POINTER_SMALL, (8, 4)
    c.fill_rect(left, top, right, bottom, WHITE)
    c.fill_rect(left, top, right, top + title, NAVY)
    c.frame(left, top, right, bottom, BLACK)
    # Right-hand shadow, so the window stands off the background.
    c.fill_rect(right + 1, top + 1, right + 1, bottom + 1, GRAY)
    c.fill_rect(left + 1, bottom + 1, right + 1, bottom + 1, GRAY)
    x0, y0, x1, y1, half = cross
    c.bar(x0, y0, x1, y1, half, RED)
    c.bar(x1, y0, x0, y1, half, RED)
    c.art(at[0], at[1], pointer)
    return c


# The mouse pointer's outline through the centres of its edge pixels, in pixels of the
# 16- and the 32-pixel design.
POINTER_SMALL = [(0.5, 0.5), (6.5, 6.5), (6.5, 7.5), (4.5, 7.5), (5.5, 9.5), (5.5, 10.5),
                 (4.5, 11.5), (3.5, 10.5), (2.5, 8.5), (0.5, 10.5)]
POINTER_LARGE = [(0.5, 0.5), (11.5, 11.5), (7.5, 11.5), (7.5, 13.5), (9.5, 17.5), (8.5, 18.5),
                 (7.5, 18.5), (6.5, 17.5), (4.5, 12.5), (0.5, 16.5)]

# Two designs: below 32 pixels, the 16-pixel one (a larger pointer), else the 32-pixel one.
# Window (left, top, right, bottom, title height), cross (x0, y0, x1, y1, half width),
# pointer (outline, left, top), in pixels of the design.
PROGRAM_SMALL = ((0, 1, 13, 13, 3), (2.5, 5.0, 10.5, 11.0, 1.1), (POINTER_SMALL, 8, 4))
PROGRAM_LARGE = ((1, 2, 26, 25, 6), (6.0, 11.0, 21.0, 22.0, 1.9), (POINTER_LARGE, 18, 12))

CROSS_RED = (0xE0, 0x10, 0x10, 0xFF)
SHADOW = (0, 0, 0, 0x60)


def program_icon(size):
    """A window struck through with a red cross, and a mouse pointer clicking on it."""
    design, (window, cross, (pointer, px, py)) = (16, PROGRAM_SMALL) if size < 32 else (32, PROGRAM_LARGE)
    unit = size / design
    line = max(1, round(unit))
    c = RgbaCanvas(size, samples_per_pixel(size))
    left, top, right, bottom, title = (round(v * unit) for v in window)
    c.rect(left + line, top + line, right + line, bottom + line, SHADOW)
    c.rect(left, top, right, bottom, rgb(BLACK))
    c.rect(left + line, top + line, right - line, bottom - line, rgb(WHITE))
    c.rect(left + line, top + line, right - line, top + title, rgb(NAVY))
    x0, y0, x1, y1, half = (v * unit for v in cross)
    c.bar(x0, y0, x1, y1, half, CROSS_RED)
    c.bar(x1, y0, x0, y1, half, CROSS_RED)
    c.outlined([((px + x) * unit, (py + y) * unit) for x, y in pointer], line / 2, rgb(WHITE), rgb(BLACK))
    return c.pixels()


# The pins are drawn in a 10 x 10 box at the centre of the icon: a push-like button of
# 9 x 9 dialog units shows only the middle of an icon larger than itself.
PIN_STUCK_IN = [
    "..KKKKKK..",
    "..KRWRRK..",
    "..KRRRmK..",
    "..KKRmKK..",
    "...KRmK...",
    ".KKKKKKKK.",
    ".KmmmmmmK.",
    ".KKKKKKKK.",
    "....KG....",
    "....KG....",
]


def _rotate_clockwise(rows):
    height = len(rows)
    return [''.join(rows[height - 1 - y][x] for y in range(height)) for x in range(len(rows[0]))]


def pin_icon(size, pinned):
    """The pin drawing enlarged with the icon (1.5 times at 24 pixels), every drawing pixel a
    block of whole pixels."""
    rows = PIN_STUCK_IN if pinned else _rotate_clockwise(PIN_STUCK_IN)
    c = RgbaCanvas(size, 1)
    scale = size / 16
    offset = (size - 10 * scale) / 2
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != '.':
                edge = [round(offset + v * scale) for v in (x, y, x + 1, y + 1)]
                c.rect(*edge, rgb(ART_COLOURS[ch]))
    return c.pixels()


def triangle_icon(size, down):
    """A bold triangle, 11 pixels wide at 16 pixels, outlined."""
    unit = size / 16
    top, bottom = (5, 11) if down else (11, 5)
    points = [(2 * unit, top * unit), (13 * unit, top * unit), (7.5 * unit, bottom * unit)]
    c = RgbaCanvas(size, samples_per_pixel(size))
    c.outlined(points, max(1, round(unit)) / 2, rgb(NAVY), rgb(BLACK))
    return c.pixels()


SPEAKER = [
    "......K.........",
    ".....KK.........",
    "....KWK...K.....",
    "KKKKWWK....K....",
    "KWWWWWK..K..K...",
    "KWWWWWK...K.K...",
    "KWWWWWK...K.K...",
    "KWWWWWK..K..K...",
    "KKKKWWK....K....",
    "....KWK...K.....",
    ".....KK.........",
    "......K.........",
]

NETWORK = [
    "......KKKKKKKKK.",
    "......KtttttttK.",
    "......KtAttttGK.",
    "KKKKKKKKKtttttK.",
    "KtttttttKKKKKKK.",
    "KtAttttGK..KK...",
    "KtttttttK.KKKK..",
    "KKKKKKKKK.......",
    "....KK..........",
    "...KKKK.........",
]

DIGITS = {
    '0': [".KK.", "K..K", "K..K", "K..K", "K..K", "K..K", ".KK."],
    '1': ["..K.", ".KK.", "..K.", "..K.", "..K.", "..K.", ".KKK"],
    '2': [".KK.", "K..K", "...K", "..K.", ".K..", "K...", "KKKK"],
    '3': [".KK.", "K..K", "...K", "..K.", "...K", "K..K", ".KK."],
    '4': ["..K.", ".KK.", "K.K.", "K.K.", "KKKK", "..K.", "..K."],
    '5': ["KKKK", "K...", "KKK.", "...K", "...K", "K..K", ".KK."],
    '6': [".KK.", "K...", "KKK.", "K..K", "K..K", "K..K", ".KK."],
    '7': ["KKKK", "...K", "..K.", "..K.", ".K..", ".K..", ".K.."],
    '8': [".KK.", "K..K", "K..K", ".KK.", "K..K", "K..K", ".KK."],
    '9': [".KK.", "K..K", "K..K", ".KKK", "...K", "..K.", ".K.."],
    ':': [".", ".", "K", ".", "K", ".", "."],
}


def draw_text(c, x, y, text):
    for ch in text:
        glyph = DIGITS[ch]
        c.art(x, y, glyph)
        x += len(glyph[0]) + 1


def tray_bitmap(unit=1):
    """The bottom right corner of a screen: the taskbar's notification area with two other
    icons, the clock, and Varnel's icon with an arrow pointing at it. Drawn in 134 x 43 pixels
    of the design."""
    c = Canvas(134, 43, TEAL, unit)
    bar_top = 15
    c.fill_rect(0, bar_top, 133, 42, SILVER)
    c.hline(0, 133, bar_top + 1, WHITE)
    # A program's taskbar button, cut off by the left edge.
    c.fill_rect(-4, bar_top + 4, 28, 39, SILVER)
    c.bevel(-4, bar_top + 4, 28, 39, WHITE, BLACK)
    c.bevel(-4, bar_top + 4, 28, 39, None, GRAY, inset=1)
    c.fill_rect(3, 25, 24, 26, GRAY)
    c.fill_rect(3, 29, 18, 30, GRAY)
    # The notification area: a sunken box with the icons and the clock.
    tray_left = 36
    c.bevel(tray_left, bar_top + 3, 131, 40, GRAY, WHITE)
    icon_top = 21
    c.art(tray_left + 4, icon_top + 2, SPEAKER)
    c.art(tray_left + 22, icon_top + 3, NETWORK)
    varnel_left = tray_left + 40
    # From twice the size on, the icon's 32-pixel design, as the taskbar shows it there.
    if unit >= 2:
        c.blit(program_icon_4bit(32), varnel_left, icon_top, density=2)
    else:
        c.blit(program_icon_4bit(16), varnel_left, icon_top)
    draw_text(c, 101, 25, "12:00")
    # The arrow, straight down at Varnel's icon.
    mid = varnel_left + 8
    c.fill_rect(mid - 3, 0, mid + 2, 8, BLACK)
    c.fill_rect(mid - 2, 0, mid + 1, 8, RED)
    c.polygon([(mid - 9, 8), (mid + 9, 8), (mid, 18)], BLACK)
    c.polygon([(mid - 7, 9), (mid + 7, 9), (mid, 16.5)], RED)
    c.fill_rect(mid - 2, 8, mid + 1, 9, RED)
    return c


def _as_canvas(rows):
    c = Canvas(len(rows[0]), len(rows))
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != '.':
                c.px[y][x] = ART_COLOURS[ch]
    return c


def rule_bitmap(unit=1):
    """An etched horizontal line: dark over light, 407 pixels of the design long."""
    c = Canvas(407, 2, WHITE, unit)
    c.hline(0, 406, 0, GRAY)
    return c


# The small and large icon sizes at 100%, 125%, 150% and 200% scaling, and Explorer's largest.
PROGRAM_ICON_SIZES = [16, 20, 24, 32, 40, 48, 256]
# The dialog's small icons at 100%, 150% and 200%; other scalings take the nearest.
CONTROL_ICON_SIZES = [16, 24, 32]
# The display scalings, in percent, that the welcome dialog's pictures are drawn for: the
# steps that Windows proposes most. Those between take the next smaller pictures.
PICTURE_SCALES = [100, 125, 150, 200, 300]


def bitmap_name(drawing, percent):
    """tray.bmp at 100%, tray-150.bmp at 150%."""
    return f'{drawing}.bmp' if percent == 100 else f'{drawing}-{percent}.bmp'


def build():
    """Every output file, by name, with its content."""
    return {
        'varnel.ico': rgba_ico_bytes([program_icon(size) for size in PROGRAM_ICON_SIZES]),
        'pin_off.ico': rgba_ico_bytes([pin_icon(size, False) for size in CONTROL_ICON_SIZES]),
        'pin_on.ico': rgba_ico_bytes([pin_icon(size, True) for size in CONTROL_ICON_SIZES]),
        'expand.ico': rgba_ico_bytes([triangle_icon(size, True) for size in CONTROL_ICON_SIZES]),
        'collapse.ico': rgba_ico_bytes([triangle_icon(size, False) for size in CONTROL_ICON_SIZES]),
        **{bitmap_name('tray', percent): bmp_bytes(tray_bitmap(percent / 100)) for percent in PICTURE_SCALES},
        **{bitmap_name('rule', percent): bmp_bytes(rule_bitmap(percent / 100)) for percent in PICTURE_SCALES},
    }


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources')
    os.makedirs(out_dir, exist_ok=True)
    for name, data in build().items():
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
