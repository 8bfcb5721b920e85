#!/usr/bin/env python3
"""Checks the icons and bitmaps in resources/: their formats and sizes, the transparent
corners of the icons, and that scripts/make-images.py still produces exactly these files.

Usage: check-images.py   (exit code 0 when everything holds; the faults are printed)
"""
import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..')
RESOURCES = os.path.join(ROOT, 'resources')

# File: sizes of its images, in order.
ICONS = {
    'varnel.ico': [32, 16],
    'pin_off.ico': [32, 16],
    'pin_on.ico': [32, 16],
    'expand.ico': [16],
    'collapse.ico': [16],
}
BITMAPS = {'tray.bmp': (134, 43), 'rule.bmp': (407, 2)}

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
        check((w, h) == (size, size), f'{where}: directory says {w}x{h}, wanted {size}')
        check(offset + length <= len(data), f'{where}: runs past the end of the file')
        hsize, hw, hh, hplanes, hbits, compression = struct.unpack_from('<IiiHHI', data, offset)
        check((hsize, hw, hh, hplanes, compression) == (40, size, 2 * size, 1, 0),
              f'{where}: BITMAPINFOHEADER {hsize} {hw}x{hh} planes {hplanes} compression {compression}')
        check(hbits == bits and hbits in (4, 8, 32), f'{where}: bit counts {bits} and {hbits}')
        palette = 4 * (1 << hbits) if hbits <= 8 else 0
        xor_stride = (size * hbits + 31) // 32 * 4
        and_stride = (size + 31) // 32 * 4
        if not check(length == 40 + palette + (xor_stride + and_stride) * size,
                     f'{where}: length {length} does not hold the colour image and the AND mask'):
            continue
        mask = data[offset + 40 + palette + xor_stride * size:offset + length]
        # The four corners must be transparent, so the icon sits on any background.
        for row in (0, size - 1):
            line = mask[row * and_stride:(row + 1) * and_stride]
            check(line[0] & 0x80 and line[(size - 1) // 8] & (0x80 >> ((size - 1) % 8)),
                  f'{where}: a corner of row {row} is not transparent')
        check(any(b != 0xFF for b in mask), f'{where}: the image is fully transparent')


def check_bitmap(name, size):
    data = open(os.path.join(RESOURCES, name), 'rb').read()
    magic, file_size, _, _, offset = struct.unpack_from('<2sIHHI', data, 0)
    check(magic == b'BM' and file_size == len(data), f'{name}: file header')
    hsize, w, h, planes, bits, compression = struct.unpack_from('<IiiHHI', data, 14)
    check((hsize, w, h, planes, compression) == (40, size[0], size[1], 1, 0),
          f'{name}: {w}x{h}, wanted {size[0]}x{size[1]} (header {hsize}, compression {compression})')
    stride = (w * bits + 31) // 32 * 4
    check(offset + stride * abs(h) == len(data), f'{name}: pixel data does not fill the file')


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
