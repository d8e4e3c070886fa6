#!/usr/bin/env python3
"""Draws the main window's own pictures: the window icon at six sizes and the
small picture-button bitmaps. Plain Python (zlib only), so anyone can rebuild
them:  python3 scripts/make_ui_pictures.py [--preview DIR]

Shapes are described in unit coordinates (0..1 across the picture) and
rendered with 4x4 supersampling, so every size is drawn from the same design.
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "ui")
SS = 4  # subsamples per axis


# --- shapes: functions (u, v) -> bool -------------------------------------

def rect(x0, y0, x1, y1):
    return lambda u, v: x0 <= u <= x1 and y0 <= v <= y1


def rounded(x0, y0, x1, y1, r):
    def inside(u, v):
        if not (x0 <= u <= x1 and y0 <= v <= y1):
            return False
        cx = min(max(u, x0 + r), x1 - r)
        cy = min(max(v, y0 + r), y1 - r)
        return (u - cx) ** 2 + (v - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def segment(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    half = width / 2.0

    def inside(u, v):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (u - px) ** 2 + (v - py) ** 2 <= half * half
    return inside


def polygon(points):
    def inside(u, v):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def minus(a, b):
    return lambda u, v: a(u, v) and not b(u, v)


def union(*shapes):
    return lambda u, v: any(s(u, v) for s in shapes)


def rotated(shape, cx, cy, degrees):
    c, s = math.cos(math.radians(-degrees)), math.sin(math.radians(-degrees))

    def inside(u, v):
        du, dv = u - cx, v - cy
        return shape(cx + du * c - dv * s, cy + du * s + dv * c)
    return inside


def gear(cx, cy, outer, inner, teeth, hole):
    body = circle(cx, cy, inner)

    def tooth(u, v):
        a = math.atan2(v - cy, u - cx)
        r = math.hypot(u - cx, v - cy)
        phase = (a * teeth / (2 * math.pi)) % 1.0
        return r <= outer and (phase < 0.5)
    return minus(union(body, tooth), circle(cx, cy, hole))


# --- colours ---------------------------------------------------------------

def rgb(hexcode, alpha=255):
    return (int(hexcode[1:3], 16), int(hexcode[3:5], 16), int(hexcode[5:7], 16), alpha)


def vertical(top, bottom, v0=0.0, v1=1.0):
    """A top-to-bottom gradient between two colours."""
    def colour(u, v):
        t = max(0.0, min(1.0, (v - v0) / (v1 - v0)))
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
    return colour


# --- canvas ------------------------------------------------------------------

class Canvas:
    def __init__(self, size, background=None):
        self.size = size
        bg = background if background else (0, 0, 0, 0)
        self.px = [[list(map(float, bg)) for _ in range(size)] for _ in range(size)]

    def fill(self, shape, colour):
        n = self.size
        paint = colour if callable(colour) else (lambda u, v, c=colour: c)
        step = 1.0 / (n * SS)
        for y in range(n):
            for x in range(n):
                hits = 0
                for sy in range(SS):
                    v = (y + (sy + 0.5) / SS) / n
                    for sx in range(SS):
                        u = (x + (sx + 0.5) / SS) / n
                        if shape(u, v):
                            hits += 1
                if not hits:
                    continue
                c = paint((x + 0.5) / n, (y + 0.5) / n)
                a = (c[3] / 255.0) * hits / (SS * SS)
                dst = self.px[y][x]
                da = dst[3] / 255.0
                out_a = a + da * (1 - a)
                for i in range(3):
                    dst[i] = (c[i] * a + dst[i] * da * (1 - a)) / out_a if out_a else 0.0
                dst[3] = out_a * 255.0
        del step

    def rows(self, alpha):
        for row in self.px:
            out = bytearray()
            for r, g, b, a in row:
                out += bytes((round(r), round(g), round(b)))
                if alpha:
                    out.append(round(a))
            yield bytes(out)


def write_png(path, canvas, alpha=True):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + row for row in canvas.rows(alpha))
    n = canvas.size
    ihdr = struct.pack(">IIBBBBB", n, n, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_bmp24(path, canvas):
    n = canvas.size
    stride = (n * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(list(canvas.rows(False))):  # bottom-up
        bgr = bytearray()
        for i in range(0, len(row), 3):
            bgr += bytes((row[i + 2], row[i + 1], row[i]))
        pixels += bgr + b"\x00" * (stride - len(bgr))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, n, n, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_preview(path, canvas, scale):
    """An enlarged copy on a checkerboard, for looking at the pictures."""
    n = canvas.size
    big = Canvas(n * scale)
    for y in range(n * scale):
        for x in range(n * scale):
            r, g, b, a = canvas.px[y // scale][x // scale]
            check = 200 if ((x // 8 + y // 8) % 2) else 255
            t = a / 255.0
            big.px[y][x] = [r * t + check * (1 - t), g * t + check * (1 - t),
                            b * t + check * (1 - t), 255.0]
    write_png(path, big, alpha=False)


# --- the pictures -------------------------------------------------------------

def app_icon(size):
    c = Canvas(size)
    dark = rgb("#7a1d12")
    # Shadow under the box.
    c.fill(rounded(0.08, 0.42, 0.96, 0.94, 0.08), (0, 0, 0, 60))
    # Handle: a rounded bow above the lid.
    handle = minus(rounded(0.32, 0.12, 0.68, 0.46, 0.09), rounded(0.40, 0.20, 0.60, 0.50, 0.04))
    c.fill(handle, vertical(rgb("#5c6670"), rgb("#2e353b"), 0.12, 0.46))
    # Body and lid.
    c.fill(rounded(0.04, 0.36, 0.92, 0.90, 0.07), vertical(rgb("#e8553e"), rgb("#b52d1c"), 0.36, 0.9))
    c.fill(rounded(0.04, 0.36, 0.92, 0.52, 0.07), vertical(rgb("#f47a5f"), rgb("#d4412b"), 0.36, 0.52))
    c.fill(rect(0.04, 0.515, 0.92, 0.545), dark)
    # Latch.
    c.fill(rounded(0.40, 0.45, 0.56, 0.62, 0.025), vertical(rgb("#f4f4f4"), rgb("#9ea5ab")))
    c.fill(rect(0.445, 0.53, 0.515, 0.56), rgb("#4b5258"))
    # Corner guards.
    for x0 in (0.04, 0.82):
        c.fill(rect(x0, 0.80, x0 + 0.10, 0.90), rgb("#8f2416"))
    return c


def button_category():
    c = Canvas(18)
    colours = ("#3b82d6", "#3aa757", "#f29d1e", "#9b59b6")
    cells = ((0.06, 0.06), (0.53, 0.06), (0.06, 0.53), (0.53, 0.53))
    for (x, y), col in zip(cells, colours):
        c.fill(rounded(x, y, x + 0.41, y + 0.41, 0.08), rgb(col))
    return c


def button_options():
    c = Canvas(18)
    c.fill(gear(0.5, 0.5, 0.47, 0.34, 8, 0.14), vertical(rgb("#7d8b99"), rgb("#44505c")))
    return c


def button_items():
    c = Canvas(18)
    bullets = ("#e8553e", "#3b82d6", "#3aa757")
    for i, col in enumerate(bullets):
        y = 0.08 + i * 0.31
        c.fill(rounded(0.04, y, 0.28, y + 0.24, 0.05), rgb(col))
        c.fill(rounded(0.38, y + 0.06, 0.96, y + 0.18, 0.04), rgb("#4b5563"))
    return c


def scaled(shape, cx, cy, factor):
    return lambda u, v: shape(cx + (u - cx) / factor, cy + (v - cy) / factor)


def pin(head, body, angle, needle="#6b7280"):
    """A push pin: round head, waist and needle, tilted by `angle` degrees."""
    cx, cy = 0.5, 0.5
    # A tilted pin is drawn smaller so its head stays inside the square.
    factor = 1.0 if angle == 0 else 0.86
    parts = [
        (segment(0.5, 0.62, 0.5, 0.98, 0.09), rgb(needle)),
        (polygon([(0.28, 0.60), (0.72, 0.60), (0.62, 0.50), (0.38, 0.50)]), rgb(body)),
        (rect(0.39, 0.28, 0.61, 0.52), rgb(body)),
        (rounded(0.22, 0.04, 0.78, 0.32, 0.10), rgb(head)),
    ]
    return [(rotated(scaled(shape, cx, cy, factor), cx, cy, angle), col) for shape, col in parts]


def button_topmost(size, on, background=None):
    c = Canvas(size, background)
    if on:
        parts = pin("#e0352b", "#b3241c", 0)
    else:
        parts = pin("#9ca3af", "#6b7280", 40)
    for shape, col in parts:
        c.fill(shape, col)
    return c


def button_screenoff():
    c = Canvas(18)
    c.fill(rounded(0.02, 0.08, 0.98, 0.74, 0.08), rgb("#374151"))
    c.fill(rect(0.10, 0.16, 0.90, 0.64), vertical(rgb("#1f2937"), rgb("#0b1220")))
    c.fill(rect(0.42, 0.74, 0.58, 0.86), rgb("#4b5563"))
    c.fill(rounded(0.22, 0.84, 0.78, 0.96, 0.04), rgb("#4b5563"))
    # Moon on the dark screen: the display goes to sleep.
    c.fill(minus(circle(0.50, 0.40, 0.17), circle(0.58, 0.34, 0.14)), rgb("#facc15"))
    return c


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    os.makedirs(OUT, exist_ok=True)
    made = []
    for size in (256, 128, 64, 48, 32, 16):
        made.append(("app_icon_%d.png" % size, app_icon(size), "png"))
    made += [
        ("btn_category.png", button_category(), "png"),
        ("btn_options.png", button_options(), "png"),
        ("btn_items.png", button_items(), "png"),
        ("btn_topmost.png", button_topmost(18, False), "png"),
        ("btn_screenoff.png", button_screenoff(), "png"),
        # 24-bit, so drawn on the button face colour.
        ("btn_topmost_off.bmp", button_topmost(17, False, (236, 236, 236, 255)), "bmp"),
        ("btn_topmost_on.bmp", button_topmost(17, True, (236, 236, 236, 255)), "bmp"),
    ]
    for name, canvas, kind in made:
        path = os.path.join(OUT, name)
        if kind == "png":
            write_png(path, canvas)
        else:
            write_bmp24(path, canvas)
        if preview:
            scale = max(1, 256 // canvas.size)
            write_preview(os.path.join(preview, name.rsplit(".", 1)[0] + ".png"), canvas, scale)
        print(path)


if __name__ == "__main__":
    main()
