"""Writes .ico files from pixel functions: 32-bit BGRA images with an AND mask.

Shared by the icon generators of this folder (python3 standard library only)."""
import struct


def image_entry(size, pixel):
    """`pixel(x, y, size)` -> (r, g, b, a) with x, y in 0..size-1. Returns the DIB bytes."""
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    xor = b"".join(rows)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            if pixel(x, y, size)[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def write_ico(path, sizes, pixel):
    images = [image_entry(s, pixel) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def coverage(inside, x, y, size, samples=4):
    """Fraction of pixel (x, y) covered by `inside(u, v)` with u, v in 0..1 (anti-aliasing)."""
    hit = 0
    for i in range(samples):
        for j in range(samples):
            u = (x + (i + 0.5) / samples) / size
            v = (y + (j + 0.5) / samples) / size
            hit += 1 if inside(u, v) else 0
    return hit / (samples * samples)


def layers(x, y, size, shapes):
    """Paints (inside, (r, g, b)) shapes in order over a transparent pixel."""
    r = g = b = 0.0
    a = 0.0
    for inside, colour in shapes:
        c = coverage(inside, x, y, size)
        if c <= 0:
            continue
        r = r * (1 - c) + colour[0] * c
        g = g * (1 - c) + colour[1] * c
        b = b * (1 - c) + colour[2] * c
        a = a * (1 - c) + 255 * c
    return (int(r), int(g), int(b), int(a))
