#!/usr/bin/env python3
"""Draws the category pictures laid into Bmpns (16x16, 24-bit BMP).

Each picture is pixel art below; '.' is the background, whose colour is the
top-left pixel and is shown transparent. Run from anywhere:
    python3 scripts/make_bitmaps.py
"""
import os
import struct

BACKGROUND = (255, 0, 255)

PALETTE = {
    '.': BACKGROUND,
    'K': (40, 40, 40),       # outline
    'W': (255, 255, 255),
    'G': (160, 160, 160),    # grey
    'g': (210, 210, 210),    # light grey
    'Y': (240, 190, 40),     # folder yellow
    'y': (255, 225, 120),    # light yellow
    'O': (200, 140, 20),     # dark yellow
    'S': (255, 200, 0),      # star gold
    's': (255, 240, 150),
    'B': (40, 100, 210),     # blue
    'b': (120, 180, 250),    # light blue
    'N': (20, 60, 140),      # navy
    'V': (60, 170, 70),      # green
    'v': (130, 210, 120),
    'R': (220, 40, 50),      # red
    'r': (250, 120, 130),
    'P': (120, 60, 170),     # purple
    'p': (180, 140, 220),
    'D': (90, 90, 90),       # dark grey
}

PICTURES = {
    'Folder': """
................
................
..KKKKK.........
.KyyyyyK........
.KyyyyyyKKKKKKK.
.KYYYYYYYYYYYYK.
.KYKKKKKKKKKKKKK
.KYKyyyyyyyyyyyK
.KYKyyyyyyyyyyK.
.KKyyyyyyyyyyyK.
.KKYYYYYYYYYYYK.
.KKYYYYYYYYYYK..
.KOOOOOOOOOOOK..
.KKKKKKKKKKKKK..
................
................
""",
    'Star': """
................
.......KK.......
.......KK.......
......KSSK......
......KSSK......
.KKKKKKssKKKKKK.
.KSSSSSssSSSSSK.
..KSSSSssSSSSK..
...KSSSSSSSSK...
....KSSSSSSK....
....KSSSSSSK....
...KSSSKKSSSK...
...KSSK..KSSK...
..KSSK....KSSK..
..KKK......KKK..
................
""",
    'Gear': """
................
.......KK.......
...KK.KGGK.KK...
..KGGKKGGKKGGK..
..KGGGGGGGGGGK..
...KGGGKKGGGK...
.KKGGGK..KGGGKK.
KGGGGK....KGGGGK
KGGGGK....KGGGGK
.KKGGGK..KGGGKK.
...KGGGKKGGGK...
..KGGGGGGGGGGK..
..KGGKKGGKKGGK..
...KK.KGGK.KK...
.......KK.......
................
""",
    'Globe': """
................
.....KKKKKK.....
...KKbbVVbbKK...
..KbbVVVVbbbbK..
.KbbbVVVbbbVVbK.
.KbbbbVbbbVVVbK.
KbVVbbbbbbVVbbbK
KVVVVbbbbbbbbbbK
KVVVVVbbbVVbbbbK
KbVVVbbbVVVVbbbK
KbbVVbbbbVVVbbbK
.KbbVbbbbbVVbbK.
.KbbbbbbbbVbbbK.
..KbbbbbbbbbbK..
...KKbbbbbbKK...
.....KKKKKK.....
""",
    'Music': """
................
.........KKKKKK.
.....KKKKPPPPPK.
.....KPPPPPPPPK.
.....KPPPPKKKKK.
.....KPKKK...KK.
.....KK......KK.
.....KK......KK.
.....KK......KK.
.....KK...KKKKK.
..KKKKK..KpppPK.
.KpppPK.KppPPPK.
KpppPPK.KPPPPK..
KPPPPPK..KKKK...
.KPPPK..........
..KKK...........
""",
    'Document': """
................
..KKKKKKKKK.....
..KWWWWWWWKK....
..KWWWWWWWKgK...
..KWKKKKKWKggK..
..KWWWWWWWKKKKK.
..KWKKKKKKKKWWK.
..KWWWWWWWWWWWK.
..KWKKKKKKKKKWK.
..KWWWWWWWWWWWK.
..KWKKKKKKKKKWK.
..KWWWWWWWWWWWK.
..KWKKKKKKWWWWK.
..KWWWWWWWWWWWK.
..KKKKKKKKKKKKK.
................
""",
    'Heart': """
................
................
...KKKK..KKKK...
..KrrRRKKRRRRK..
.KrWrRRRRRRRRRK.
.KrrRRRRRRRRRRK.
.KRRRRRRRRRRRRK.
.KRRRRRRRRRRRRK.
..KRRRRRRRRRRK..
...KRRRRRRRRK...
....KRRRRRRK....
.....KRRRRK.....
......KRRK......
.......KK.......
................
................
""",
    'Gamepad': """
................
................
................
...KKKKKKKKKK...
..KDDDDDDDDDDK..
.KDDDDDDDDDRDDK.
.KDDWDDDDDRDRDK.
.KDWWWDDDDDRDDK.
.KDDWDDKKDDDBDK.
.KDDDDDKKDDBDBK.
.KDDDDDDDDDDBDK.
.KDDDDKKKKDDDDK.
..KDDK....KDDK..
...KK......KK...
................
................
""",
    'Camera': """
................
................
................
.....KKKKK......
.KKKKKGGGKKKKKK.
.KGGGGGGGGGGGRK.
.KGGGGKKKKGGGGK.
.KGGGKbbbbKGGGK.
.KGGKbbWbbbKGGK.
.KGGKbWbbbbKGGK.
.KGGKbbbbbNKGGK.
.KGGGKbbbNKGGGK.
.KGGGGKKKKGGGGK.
.KKKKKKKKKKKKKK.
................
................
""",
    'Tools': """
................
..........KKK...
.........KgggK..
........KgggK...
.KK.....KggK..K.
KGGK....KgggKKgK
KGGGK...KggggggK
.KGGGK.KGKgggggK
..KGGGKGGKKggK..
...KGGGGGK.KK...
....KGGGK.......
...KVVKGGGK.....
..KVVVKKGGGK....
.KVVVK..KGGK....
.KVVK....KK.....
..KK............
""",
}


def bmp(rows):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), rows
    assert rows[0][0] == '.', 'the top-left pixel must be background'
    pixels = bytearray()
    for row in reversed(rows):  # BMP rows run bottom-up
        for ch in row:
            r, g, b = PALETTE[ch]
            pixels += bytes((b, g, r))
    header_size = 14 + 40
    file_header = struct.pack('<2sIHHI', b'BM', header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack('<IiiHHIIiiII', 40, 16, 16, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info_header + bytes(pixels)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'bmpns')
    os.makedirs(out, exist_ok=True)
    for name, art in PICTURES.items():
        rows = [line for line in art.strip('\n').split('\n')]
        with open(os.path.join(out, name + '.bmp'), 'wb') as f:
            f.write(bmp(rows))


if __name__ == '__main__':
    main()
