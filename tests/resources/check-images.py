#!/usr/bin/env python3
"""Checks the icons and bitmaps in resources/: their formats and sizes (every icon size in
32-bit colour with alpha, the largest as PNG), the transparent corners of the icons, and that
scripts/make-images.py still produces exactly these files.

Usage: check-images.py   (exit code 0 when everything holds; the faults are printed)
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
RESOURCES = os.path.join(ROOT, 'resources')

# File: sizes of its images, in order.
ICONS = {
    'varnel.ico': [16, 20, 24, 32, 40, 48, 256],
    'pin_off.ico': [16, 24, 32],
    'pin_on.ico': [16, 24, 32],
    'expand.ico': [16, 24, 32],
    'collapse.ico': [16, 24, 32],
}


def scaled_bitmaps():
    """The welcome dialog's pictures at each display scaling that they are drawn for, in
    16 colours: the view of the notification area, 134 x 43 pixels at 100%, and the rule, 407
    x 2 pixels at 100%; both sizes rounded to whole pixels."""
    sizes = {}
    for percent in (100, 125, 150, 200, 300):
        suffix = '' if percent == 100 else f'-{percent}'
        sizes[f'tray{suffix}.bmp'] = ((134 * percent + 50) // 100, (43 * percent + 50) // 100)
        sizes[f'rule{suffix}.bmp'] = ((407 * percent + 50) // 100, (2 * percent + 50) // 100)
    return sizes


BITMAPS = scaled_bitmaps()

faults = []


def check(condition, message):
    if not condition:
        faults.append(message)
    return condition


def check_icon(name, sizes):
    data = open(os.path.join(RESOURCES, name), 'rb').read()
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    if not check((reserved, kind, count) == (0, 1, len(sizes)), f'{name}: header {reserved} {kind} {count}'):
        return
    for i, size in enumerate(sizes):
        w, h, colours, _, planes, bits, length, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        where = f'{name} image {i}'
        check((w, h) == (size % 256, size % 256), f'{where}: directory says {w}x{h}, wanted {size}')
        check(bits == 32, f'{where}: {bits} bits, wanted 32')
        if not check(offset + length <= len(data), f'{where}: runs past the end of the file'):
            continue
        image = data[offset:offset + length]
        alpha = png_alpha(image, where) if size >= 256 else bitmap_alpha(image, size, where)
        if alpha is None:
            continue
        # The four corners must be transparent, so the icon sits on any background.
        check(all(alpha[y][x] == 0 for y in (0, size - 1) for x in (0, size - 1)), f'{where}: a corner is not transparent')
        check(any(a == 255 for row in alpha for a in row), f'{where}: no opaque pixel')


def bitmap_alpha(image, size, where):
    """The alpha rows of a BITMAPINFOHEADER image, top row first; None when malformed. The AND
    mask must mark exactly the fully transparent pixels."""
    hsize, hw, hh, hplanes, hbits, compression = struct.unpack_from('<IiiHHI', image, 0)
    and_stride = (size + 31) // 32 * 4
    if not check((hsize, hw, hh, hplanes, hbits, compression) == (40, size, 2 * size, 1, 32, 0)
                 and len(image) == 40 + (4 * size + and_stride) * size,
                 f'{where}: BITMAPINFOHEADER {hsize} {hw}x{hh} bits {hbits} compression {compression}, length {len(image)}'):
        return None
    rows = [[image[40 + (y * size + x) * 4 + 3] for x in range(size)] for y in range(size)]
    mask = image[40 + 4 * size * size:]
    for y, row in enumerate(rows):
        bits = mask[y * and_stride:(y + 1) * and_stride]
        marked = [bool(bits[x // 8] & (0x80 >> (x % 8))) for x in range(size)]
        check(marked == [a == 0 for a in row], f'{where}: the AND mask of row {y} does not follow the alpha')
    return rows[::-1]


def png_alpha(image, where):
    """The alpha rows of an 8-bit RGBA PNG without filters (as make-images.py writes it)."""
    if not check(image[:8] == b'\x89PNG\r\n\x1a\n', f'{where}: not a PNG'):
        return None
    width, height, depth, kind = struct.unpack_from('>IIBB', image, 16)
    if not check((width, height, depth, kind) == (256, 256, 8, 6), f'{where}: PNG {width}x{height} depth {depth} type {kind}'):
        return None
    raw = zlib.decompress(image[41:image.index(b'IEND') - 8])
    stride = 1 + 4 * width
    return [[raw[y * stride + 1 + 4 * x + 3] for x in range(width)] for y in range(height)]


def check_bitmap(name, size):
    data = open(os.path.join(RESOURCES, name), 'rb').read()
    magic, file_size, _, _, offset = struct.unpack_from('<2sIHHI', data, 0)
    check(magic == b'BM' and file_size == len(data), f'{name}: file header')
    hsize, w, h, planes, bits, compression, image_size = struct.unpack_from('<IiiHHII', data, 14)
    check((hsize, w, h, planes, bits, compression) == (40, size[0], size[1], 1, 4, BI_RLE4),
          f'{name}: {w}x{h} in {bits} bits, compression {compression}, wanted {size[0]}x{size[1]} in RLE4 '
          f'(header {hsize})')
    check(offset + image_size == len(data), f'{name}: pixel data does not fill the file')
    rows = rle4_rows(data[offset:], name)
    if rows is not None:
        check(len(rows) == h and all(len(row) == w for row in rows),
              f'{name}: decodes to {len(rows)} rows of {sorted(set(map(len, rows)))} pixels')


BI_RLE4 = 2


def rle4_rows(pixels, name):
    """The rows of an RLE4 image, bottom-up, as the system decodes it: runs of two alternating
    colours, absolute runs, end of line, end of bitmap (no jumps). None when malformed."""
    rows, row, i = [], [], 0
    while i + 1 < len(pixels):
        count, value = pixels[i], pixels[i + 1]
        i += 2
        if count:
            row += [value >> 4 if k % 2 == 0 else value & 15 for k in range(count)]
        elif value == 0:
            rows.append(row)
            row = []
        elif value == 1:
            rows.append(row)
            check(i == len(pixels), f'{name}: data after the end of the bitmap')
            return rows
        elif value == 2:
            check(False, f'{name}: a jump, which a picture never needs')
            return None
        else:
            packed = pixels[i:i + (value + 1) // 2]
            row += [packed[k // 2] >> 4 if k % 2 == 0 else packed[k // 2] & 15 for k in range(value)]
            i += ((value + 1) // 2 + 1) // 2 * 2
    check(False, f'{name}: no end of bitmap')
    return None


def check_reproducible():
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(ROOT, 'scripts', 'make-images.py'), out], check=True)
        for name in list(ICONS) + list(BITMAPS):
            fresh = open(os.path.join(out, name), 'rb').read()
            committed = open(os.path.join(RESOURCES, name), 'rb').read()
            check(fresh == committed, f'{name}: differs from what scripts/make-images.py draws now')


def main():
    for name, sizes in ICONS.items():
        check_icon(name, sizes)
    for name, size in BITMAPS.items():
        check_bitmap(name, size)
    check_reproducible()
    for fault in faults:
        print('FAIL', fault)
    print('images: ' + ('ok' if not faults else f'{len(faults)} fault(s)'))
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
