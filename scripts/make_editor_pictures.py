#!/usr/bin/env python3
"""Draws the item editor's and the icon picker's small picture buttons:
the system-function box and the two browse buttons (17x17, a raised and a
pressed state each), and the icon picker's 16x16 browse picture.
    python3 scripts/make_editor_pictures.py [--preview DIR]
"""
import os
import sys

from make_ui_pictures import (Canvas, OUT, circle, gear, minus, rect, rgb, rounded,
                              segment, union, vertical, write_png, write_preview)


def bevel(c, pressed):
    """A small button face: light top-left and dark bottom-right edges, swapped when pressed."""
    light, dark = rgb("#ffffff"), rgb("#808080")
    if pressed:
        light, dark = dark, light
    c.fill(rect(0.0, 0.0, 1.0, 1.0), rgb("#e4e4e4"))
    c.fill(rect(0.0, 0.0, 1.0, 0.06), light)
    c.fill(rect(0.0, 0.0, 0.06, 1.0), light)
    c.fill(rect(0.0, 0.94, 1.0, 1.0), dark)
    c.fill(rect(0.94, 0.0, 1.0, 1.0), dark)


def system_function(size=17):
    """A gear on a small screen: the system functions."""
    c = Canvas(size)
    c.fill(rounded(0.04, 0.08, 0.96, 0.78, 0.08), rgb("#2a4f8f"))
    c.fill(rect(0.12, 0.16, 0.88, 0.70), vertical(rgb("#7fb6f0"), rgb("#3f7fd0")))
    c.fill(rect(0.40, 0.78, 0.60, 0.88), rgb("#555555"))
    c.fill(rect(0.24, 0.88, 0.76, 0.96), rgb("#555555"))
    c.fill(gear(0.50, 0.43, 0.24, 0.17, 8, 0.07), rgb("#fff3c4"))
    return c


def browse(pressed, size=17):
    """Three dots on a button face: choose a file."""
    c = Canvas(size)
    bevel(c, pressed)
    shift = 0.06 if pressed else 0.0
    for x in (0.27, 0.50, 0.73):
        c.fill(circle(x + shift, 0.62 + shift, 0.08), rgb("#202020"))
    return c


def icon_browse(pressed, size=17):
    """A small picture on a button face: choose an icon file."""
    c = Canvas(size)
    bevel(c, pressed)
    s = 0.06 if pressed else 0.0
    c.fill(rect(0.20 + s, 0.22 + s, 0.80 + s, 0.78 + s), rgb("#3a3a3a"))
    c.fill(rect(0.26 + s, 0.28 + s, 0.74 + s, 0.72 + s), rgb("#bfe3ff"))
    c.fill(circle(0.40 + s, 0.42 + s, 0.07), rgb("#f0c020"))
    c.fill(union(segment(0.28 + s, 0.70 + s, 0.50 + s, 0.48 + s, 0.08),
                 segment(0.46 + s, 0.70 + s, 0.62 + s, 0.52 + s, 0.08)), rgb("#3c9a3c"))
    return c


def folder16(size=16):
    """An open folder: the icon picker's browse button."""
    c = Canvas(size)
    c.fill(rounded(0.06, 0.18, 0.46, 0.36, 0.04), rgb("#c88c14"))
    c.fill(rect(0.06, 0.28, 0.94, 0.86), rgb("#c88c14"))
    c.fill(rect(0.10, 0.34, 0.90, 0.82), vertical(rgb("#ffe17a"), rgb("#f0be28")))
    c.fill(minus(rect(0.20, 0.46, 1.0, 0.86), rect(0.0, 0.0, 0.0, 0.0)), rgb("#f7cf4c"))
    return c


PICTURES = {
    "edit_system.png": system_function(),
    "edit_browse.png": browse(False),
    "edit_browse_down.png": browse(True),
    "edit_icon_browse.png": icon_browse(False),
    "edit_icon_browse_down.png": icon_browse(True),
    "picker_browse16.png": folder16(),
}


def main():
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    for name, canvas in PICTURES.items():
        write_png(os.path.join(OUT, name), canvas)
        if preview:
            write_preview(os.path.join(preview, name), canvas, 8)


if __name__ == "__main__":
    main()
