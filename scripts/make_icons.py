#!/usr/bin/env python3
"""Draws the program's own small pictures and writes them as resources.

resources/icons/weblink.ico         32x32, 32-bit with alpha (globe with a link)
resources/icons/toolbar_design16.png 16x16 (the category toolbar's design image)

Pure Python (no imaging library needed); shapes are sampled 4x4 per pixel for
smooth edges. Run from the repository root: python3 scripts/make_icons.py
"""
import math
import os
import struct
import zlib

SS = 4  # samples per pixel edge


def render(size, shader):
    """shader(x, y) -> (r, g, b, a) floats 0..1 at a point in pixel units."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    r, g, b, a = shader(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SS * SS
            a = acc[3] / n
            if a > 0:
                rgb = [min(255, round(c / acc[3] * 255)) for c in acc[:3]]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(a * 255)))
        rows.append(row)
    return rows


def over(top, bottom):
    tr, tg, tb, ta = top
    br, bg, bb, ba = bottom
    a = ta + ba * (1 - ta)
    if a == 0:
        return (0, 0, 0, 0)
    mix = lambda t, b: (t * ta + b * ba * (1 - ta)) / a
    return (mix(tr, br), mix(tg, bg), mix(tb, bb), a)


def globe_shader(size, link):
    c = size / 2.0
    radius = size * 0.44 if not link else size * 0.40
    cx, cy = (c, c) if not link else (c - size * 0.06, c - size * 0.06)
    line = max(0.7, size / 28.0)

    def shade(x, y):
        dx, dy = (x - cx) / radius, (y - cy) / radius
        d2 = dx * dx + dy * dy
        colour = (0, 0, 0, 0)
        if d2 <= 1.0:
            # Sphere shading: light from the upper left.
            z = math.sqrt(1.0 - d2)
            light = max(0.0, -0.45 * dx - 0.45 * dy + 0.77 * z)
            base = (0.10 + 0.35 * light, 0.38 + 0.45 * light, 0.78 + 0.22 * light, 1.0)
            colour = base
            # Meridians and parallels as thin pale lines.
            lat = math.asin(max(-1.0, min(1.0, dy)))
            lon_x = dx / math.sqrt(max(1e-6, 1 - dy * dy))
            lon = math.asin(max(-1.0, min(1.0, lon_x)))
            grid = False
            for k in (-2, -1, 0, 1, 2):
                if abs(lat - k * math.pi / 6) * radius < line * 0.6:
                    grid = True
                if abs(lon - k * math.pi / 5) * radius * math.sqrt(max(0.0, 1 - dy * dy)) < line * 0.6:
                    grid = True
            if grid:
                colour = over((0.85, 0.95, 1.0, 0.75), colour)
            # Rim.
            if math.sqrt(d2) * radius > radius - line:
                colour = (0.05, 0.20, 0.50, 1.0)
        if link:
            colour = over(link_shader(size)(x, y), colour)
        return colour

    return shade


def link_shader(size):
    """Two chain links across the lower right corner."""
    w = size * 0.10
    t = max(1.0, size / 16.0)

    def capsule(x, y, x0, y0, x1, y1):
        vx, vy = x1 - x0, y1 - y0
        L2 = vx * vx + vy * vy
        u = max(0.0, min(1.0, ((x - x0) * vx + (y - y0) * vy) / L2))
        px, py = x0 + u * vx, y0 + u * vy
        return math.hypot(x - px, y - py)

    def shade(x, y):
        s = size
        links = [(s * 0.56, s * 0.86, s * 0.70, s * 0.72), (s * 0.76, s * 0.66, s * 0.90, s * 0.52)]
        colour = (0, 0, 0, 0)
        for x0, y0, x1, y1 in links:
            d = capsule(x, y, x0, y0, x1, y1)
            if abs(d - w) < t * 0.55:
                colour = (0.30, 0.32, 0.36, 1.0)
            elif abs(d - w) < t * 0.55 + 0.9 and colour[3] == 0:
                colour = (1.0, 1.0, 1.0, 0.9)
        return colour

    return shade


def ico_bytes(pixels):
    size = len(pixels)
    header = struct.pack('<HHH', 0, 1, 1)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    image = info + xor + mask
    entry = struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def png_bytes(pixels):
    size = len(pixels)
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for p in row:
            raw += bytes(p)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def main():
    out = os.path.join('resources', 'icons')
    os.makedirs(out, exist_ok=True)
    weblink = render(32, globe_shader(32, link=True))
    with open(os.path.join(out, 'weblink.ico'), 'wb') as f:
        f.write(ico_bytes(weblink))
    toolbar = render(16, globe_shader(16, link=False))
    with open(os.path.join(out, 'toolbar_design16.png'), 'wb') as f:
        f.write(png_bytes(toolbar))


if __name__ == '__main__':
    main()
