#!/usr/bin/env python3
"""Draws Varnel's icons and bitmaps and writes them as .ico and .bmp files.

Usage: make-images.py [output-folder]   (default: resources/ beside this script's folder)

Everything is drawn in the 16 colours of the standard VGA palette and written as 4-bit
images: icons as BITMAPINFOHEADER images with an AND mask (transparent background),
bitmaps as uncompressed BMP files. The output is byte-for-byte reproducible.
"""
import os
import struct
import sys

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
    """A grid of palette indices; None marks a transparent pixel."""

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        self.px = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour

    def fill_rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.fill_rect(x0, y0, x1, y0, colour)
        self.fill_rect(x0, y1, x1, y1, colour)
        self.fill_rect(x0, y0, x0, y1, colour)
        self.fill_rect(x1, y0, x1, y1, colour)

    def bevel(self, x0, y0, x1, y1, light, dark):
        """A one-pixel 3-D edge: light on top and left, dark on bottom and right."""
        self.fill_rect(x0, y0, x1, y0, light)
        self.fill_rect(x0, y0, x0, y1, light)
        self.fill_rect(x0, y1, x1, y1, dark)
        self.fill_rect(x1, y0, x1, y1, dark)

    def polygon(self, points, colour):
        """Fills every pixel whose centre lies inside the polygon (even-odd rule)."""
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        for y in range(max(0, int(min(ys))), min(self.height, int(max(ys)) + 1)):
            for x in range(max(0, int(min(xs))), min(self.width, int(max(xs)) + 1)):
                if _inside(points, x + 0.5, y + 0.5):
                    self.set(x, y, colour)

    def bar(self, x0, y0, x1, y1, half_width, colour):
        """A straight bar between two points (pixel-corner coordinates)."""
        dx, dy = x1 - x0, y1 - y0
        length = (dx * dx + dy * dy) ** 0.5
        nx, ny = -dy / length * half_width, dx / length * half_width
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour)

    def art(self, x, y, rows):
        """Paints a pixel-art drawing with its top-left corner at (x, y)."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != '.':
                    self.set(x + dx, y + dy, ART_COLOURS[ch])

    def blit(self, other, x, y):
        """Paints the opaque pixels of another canvas with its top-left corner at (x, y)."""
        for dy, row in enumerate(other.px):
            for dx, colour in enumerate(row):
                if colour is not None:
                    self.set(x + dx, y + dy, colour)


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


def _pixel_rows(canvas):
    """The 4-bit pixel rows, bottom-up, each padded to a multiple of four bytes."""
    stride = (canvas.width * 4 + 31) // 32 * 4
    out = bytearray()
    for row in reversed(canvas.px):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            # Transparent pixels are black in the colour image, so the AND mask leaves the
            # screen untouched there.
            value = 0 if colour is None else colour
            line[x // 2] |= value << 4 if x % 2 == 0 else value
        out += line
    return bytes(out)


def _mask_rows(canvas):
    stride = (canvas.width + 31) // 32 * 4
    out = bytearray()
    for row in reversed(canvas.px):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            if colour is None:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def _icon_image(canvas):
    pixels, mask = _pixel_rows(canvas), _mask_rows(canvas)
    # An icon's header gives twice the height: the colour image and the mask, one above the other.
    header = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height * 2, 1, 4, 0,
                         len(pixels) + len(mask), 0, 0, 16, 0)
    return header + _palette_bytes() + pixels + mask


def ico_bytes(canvases):
    images = [_icon_image(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack('<BBBBHHII', canvas.width % 256, canvas.height % 256, 16, 0, 1, 4,
                           len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def bmp_bytes(canvas):
    if any(c is None for row in canvas.px for c in row):
        raise ValueError('a bitmap has no transparent pixels')
    pixels = _pixel_rows(canvas)
    offset = 14 + 40 + 16 * 4
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 4, 0, len(pixels),
                       2835, 2835, 16, 0)
    return file_header + info + _palette_bytes() + pixels


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


def program_icon(size):
    """A window struck through with a red cross, and a mouse pointer clicking on it."""
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
    c = Canvas(size, size)
    rows = PIN_STUCK_IN if pinned else _rotate_clockwise(PIN_STUCK_IN)
    offset = (size - 10) // 2
    c.art(offset, offset, rows)
    return c


def triangle_icon(down):
    """A bold triangle, 11 pixels wide, in a 16 x 16 icon."""
    c = Canvas(16, 16)
    for i in range(6):
        y = 5 + i if down else 10 - i
        c.fill_rect(2 + i, y, 12 - i, y, BLACK if i == 0 or i == 5 else NAVY)
        c.set(2 + i, y, BLACK)
        c.set(12 - i, y, BLACK)
    return c


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


def tray_bitmap():
    """The bottom right corner of a screen: the taskbar's notification area with two other
    icons, the clock, and Varnel's icon with an arrow pointing at it."""
    c = Canvas(134, 43, TEAL)
    bar_top = 15
    c.fill_rect(0, bar_top, 133, 42, SILVER)
    c.fill_rect(0, bar_top + 1, 133, bar_top + 1, WHITE)
    # A program's taskbar button, cut off by the left edge.
    c.fill_rect(-4, bar_top + 4, 28, 39, SILVER)
    c.bevel(-4, bar_top + 4, 28, 39, WHITE, BLACK)
    c.fill_rect(-3, 38, 27, 38, GRAY)
    c.fill_rect(27, bar_top + 5, 27, 38, GRAY)
    c.fill_rect(3, 25, 24, 26, GRAY)
    c.fill_rect(3, 29, 18, 30, GRAY)
    # The notification area: a sunken box with the icons and the clock.
    tray_left = 36
    c.bevel(tray_left, bar_top + 3, 131, 40, GRAY, WHITE)
    icon_top = 21
    c.blit(_as_canvas(SPEAKER), tray_left + 4, icon_top + 2)
    c.blit(_as_canvas(NETWORK), tray_left + 22, icon_top + 3)
    varnel_left = tray_left + 40
    c.blit(program_icon(16), varnel_left, icon_top)
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
    c.art(0, 0, rows)
    return c


def rule_bitmap():
    """An etched horizontal line: dark over light."""
    c = Canvas(407, 2, WHITE)
    c.fill_rect(0, 0, 406, 0, GRAY)
    return c


def build():
    """Every output file, by name, with its content."""
    return {
        'varnel.ico': ico_bytes([program_icon(32), program_icon(16)]),
        'pin_off.ico': ico_bytes([pin_icon(32, False), pin_icon(16, False)]),
        'pin_on.ico': ico_bytes([pin_icon(32, True), pin_icon(16, True)]),
        'expand.ico': ico_bytes([triangle_icon(True)]),
        'collapse.ico': ico_bytes([triangle_icon(False)]),
        'tray.bmp': bmp_bytes(tray_bitmap()),
        'rule.bmp': bmp_bytes(rule_bitmap()),
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
