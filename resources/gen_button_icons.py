#!/usr/bin/env python3
"""Draws the task panel's eight expand/collapse button icons into resources/icons/.

Each icon is one 24 x 24 image of 256 colours (8 bits per pixel with a palette and an AND
mask), transparent outside a round button in its top-left corner: a 17 x 17 disc, or in the
"w" pictures (white discs for bars of the second style) a 19 x 19 area that adds a soft
shadow below and right of the disc. Two chevrons point up ("c": the group is open, a click
closes it) or down ("e": the group is closed). The "s" pictures are the hovered ones.

python3 standard library only:  python3 resources/gen_button_icons.py
"""
import math
import os
import struct

SIZE = 24
SAMPLES = 4  # per axis, for anti-aliased edges

DARK_DISC = (0x2D, 0x63, 0xD0)
DARK_RIM = (0x8C, 0xAE, 0xEC)
WHITE_DISC = (0xFF, 0xFF, 0xFF)
WHITE_RIM = (0xB4, 0xC4, 0xE6)
SHADOW = (0x7E, 0x8E, 0xB0)
# A style-1 bar runs from white to light blue: the shadow is blended against its light end.
SHADOW_GROUND = (0xF4, 0xF6, 0xFC)

CHEVRONS = {
    # (disc, rim, chevron colour, shadow)
    "": (DARK_DISC, DARK_RIM, (0xFF, 0xFF, 0xFF), False),
    "s": (DARK_DISC, DARK_RIM, (0xA8, 0xD0, 0xFF), False),
    "w": (WHITE_DISC, WHITE_RIM, (0x21, 0x4B, 0xA8), True),
    "sw": (WHITE_DISC, WHITE_RIM, (0x42, 0x8E, 0xFF), True),
}

CENTRE = 8.5  # disc centre in pixel units: the disc covers pixels 0..16
RADIUS = 8.5


def in_disc(u, v):
    return (u - CENTRE) ** 2 + (v - CENTRE) ** 2 <= RADIUS ** 2


def in_disc_inner(u, v):
    return (u - CENTRE) ** 2 + (v - CENTRE) ** 2 <= (RADIUS - 1.2) ** 2


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def in_chevrons(u, v, up):
    """Two chevrons, 7 pixels wide, stacked 4 pixels apart around the disc centre."""
    if not up:
        v = 2 * CENTRE - v  # mirror: pointing down
    for apex in (4.6, 8.6):
        for end_x in (CENTRE - 3.5, CENTRE + 3.5):
            if segment_distance(u, v, CENTRE, apex, end_x, apex + 3.5) <= 0.85:
                return True
    return False


def shadow_alpha(u, v):
    """A soft shadow: the disc moved 1.5 pixels down and right, fading over 1.5 pixels."""
    d = math.hypot(u - (CENTRE + 1.5), v - (CENTRE + 1.5)) - RADIUS
    if d <= -1.0:
        return 0.55
    if d >= 1.5:
        return 0.0
    return 0.55 * (1.5 - d) / 2.5


def mix(a, b, t):
    return tuple(int(round(x * (1 - t) + y * t)) for x, y in zip(a, b))


def render(kind, up):
    disc, rim, chevron, shadowed = CHEVRONS[kind]
    extent = 19 if shadowed else 17
    pixels = []  # rows of (r, g, b) or None for transparent
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if x >= extent or y >= extent:
                row.append(None)
                continue
            disc_cover = chevron_cover = inner_cover = 0
            shade = 0.0
            for i in range(SAMPLES):
                for j in range(SAMPLES):
                    u = x + (i + 0.5) / SAMPLES
                    v = y + (j + 0.5) / SAMPLES
                    if in_disc(u, v):
                        disc_cover += 1
                        inner_cover += in_disc_inner(u, v)
                        chevron_cover += in_chevrons(u, v, up)
                    elif shadowed:
                        shade += shadow_alpha(u, v)
            n = SAMPLES * SAMPLES
            if disc_cover == 0:
                a = shade / n
                row.append(mix(SHADOW_GROUND, SHADOW, a / 0.55) if a > 0.04 else None)
                continue
            face = mix(rim, disc, inner_cover / disc_cover)
            face = mix(face, chevron, chevron_cover / disc_cover)
            coverage = disc_cover / n
            if coverage < 0.35:
                row.append(None)
            elif coverage < 1.0 and shadowed:
                row.append(mix(mix(SHADOW_GROUND, SHADOW, 0.5), face, coverage))
            else:
                row.append(face)
        pixels.append(row)
    return pixels


def palette_of(pixels):
    colours = sorted({p for row in pixels for p in row if p is not None})
    step = 1
    while len(colours) > 255:  # index 0 is kept for the transparent pixels
        step *= 2
        colours = sorted({tuple(min(255, (c // step) * step) for c in p) for row in pixels for p in row if p})
    return step, colours


def write_ico(path, pixels):
    step, colours = palette_of(pixels)
    index = {c: i + 1 for i, c in enumerate(colours)}
    palette = bytearray(b"\0\0\0\0")
    for r, g, b in colours:
        palette += bytes((b, g, r, 0))
    palette += b"\0\0\0\0" * (256 - 1 - len(colours))

    xor = bytearray()
    mask = bytearray()
    mask_stride = ((SIZE + 31) // 32) * 4
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        bits = bytearray(mask_stride)
        for x in range(SIZE):
            p = pixels[y][x]
            if p is None:
                xor.append(0)
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                xor.append(index[tuple(min(255, (c // step) * step) for c in p)])
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    image = header + bytes(palette) + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 22)
    with open(path, "wb") as f:
        f.write(directory + image)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "icons")
    os.makedirs(out, exist_ok=True)
    for state, up in (("c", True), ("e", False)):
        for kind in ("", "s", "w", "sw"):
            name = "taskxp%s%s.ico" % (state, kind)
            write_ico(os.path.join(out, name), render(kind, up))
            print(name)


if __name__ == "__main__":
    main()
