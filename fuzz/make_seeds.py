#!/usr/bin/env python3
"""Writes a small seed corpus for the icon parser fuzzers.

usage: make_seeds.py OUTDIR   (creates OUTDIR/ico and OUTDIR/pe)
"""
import os
import struct
import sys
import zlib


def dib(size, bits):
    stride = ((size * bits + 31) // 32) * 4
    colours = (1 << bits) if bits <= 8 else 0
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)
    palette = b''.join(struct.pack('<BBBB', i * 37 % 256, i * 91 % 256, i * 13 % 256, 0)
                       for i in range(colours))
    xor = bytes((x * 7 + y) % 256 for y in range(size) for x in range(stride))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(0xAA if y % 2 else 0x0F for y in range(size) for _ in range(mask_stride))
    return info + palette + xor + mask


def png(size):
    raw = b''.join(b'\x00' + bytes((x * 8, y * 8, 128, 255) * 1)[0:4] * 1 for y in range(size)
                   for x in range(1))
    raw = b''.join(b'\x00' + b''.join(bytes((x * 8 % 256, y * 8 % 256, 128, 200)) for x in range(size))
                   for y in range(size))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, bits, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bits, len(data), offset + len(body))
        body += data
    return out + body


def resource_tree(groups, rva_base):
    """groups: list of (group id, [(size, bits, data)]). Returns section bytes."""
    icons = []
    group_blobs = []
    next_id = 1
    for gid, images in groups:
        blob = struct.pack('<HHH', 0, 1, len(images))
        for size, bits, data in images:
            blob += struct.pack('<BBBBHHIH', size % 256, size % 256, 0, 0, 1, bits, len(data), next_id)
            icons.append((next_id, data))
            next_id += 1
        group_blobs.append((gid, blob))
    types = [(3, icons), (14, group_blobs)]
    # Layout: root, type dirs, name dirs, data entries, then data.
    out = bytearray()
    def directory(n):
        return struct.pack('<IIHHHH', 0, 0, 4, 0, 0, n)
    root_size = 16 + 8 * len(types)
    type_dirs = []
    pos = root_size
    for _, items in types:
        type_dirs.append(pos)
        pos += 16 + 8 * len(items)
    name_dirs = []
    for _, items in types:
        name_dirs.append([])
        for _ in items:
            name_dirs[-1].append(pos)
            pos += 16 + 8
    data_entries = []
    for _, items in types:
        data_entries.append([])
        for _ in items:
            data_entries[-1].append(pos)
            pos += 16
    data_pos = pos
    blobs = bytearray()
    offsets = []
    for _, items in types:
        offsets.append([])
        for _, data in items:
            offsets[-1].append(data_pos + len(blobs))
            blobs += data
            while len(blobs) % 4:
                blobs += b'\x00'
    out += directory(len(types))
    for (tid, _), td in zip(types, type_dirs):
        out += struct.pack('<II', tid, 0x80000000 | td)
    for t, (_, items) in enumerate(types):
        out += directory(len(items))
        for i, (iid, _) in enumerate(items):
            out += struct.pack('<II', iid, 0x80000000 | name_dirs[t][i])
    for t, (_, items) in enumerate(types):
        for i in range(len(items)):
            out += directory(1) + struct.pack('<II', 0x409, data_entries[t][i])
    for t, (_, items) in enumerate(types):
        for i, (_, data) in enumerate(items):
            out += struct.pack('<IIII', rva_base + offsets[t][i], len(data), 0, 0)
    assert len(out) == data_pos
    return bytes(out + blobs)


def pe(groups, plus=False):
    rsrc = resource_tree(groups, 0x1000)
    raw_size = (len(rsrc) + 0x1FF) & ~0x1FF
    dos = b'MZ' + b'\x00' * 58 + struct.pack('<I', 0x40)
    opt_size = 240 if plus else 224
    coff = b'PE\x00\x00' + struct.pack('<HHIIIHH', 0x8664 if plus else 0x14C, 1, 0, 0, 0, opt_size, 0x102)
    opt = bytearray(opt_size)
    struct.pack_into('<H', opt, 0, 0x20B if plus else 0x10B)
    count_at = 108 if plus else 92
    struct.pack_into('<I', opt, count_at, 16)
    struct.pack_into('<II', opt, count_at + 4 + 2 * 8, 0x1000, len(rsrc))
    section = struct.pack('<8sIIIIIIHHI', b'.rsrc', len(rsrc), 0x1000, raw_size, 0x200, 0, 0, 0, 0, 0x40000040)
    header = dos + coff + bytes(opt) + section
    header += b'\x00' * (0x200 - len(header))
    return header + rsrc + b'\x00' * (raw_size - len(rsrc))


def main():
    out = sys.argv[1]
    os.makedirs(os.path.join(out, 'ico'), exist_ok=True)
    os.makedirs(os.path.join(out, 'pe'), exist_ok=True)
    seeds_ico = {
        'dib32.ico': ico([(16, 32, dib(16, 32))]),
        'multi.ico': ico([(16, 4, dib(16, 4)), (32, 8, dib(32, 8)), (24, 24, dib(24, 24)), (8, 1, dib(8, 1))]),
        'png.ico': ico([(32, 32, png(32))]),
    }
    for name, data in seeds_ico.items():
        open(os.path.join(out, 'ico', name), 'wb').write(data)
    seeds_pe = {
        'one.exe': pe([(1, [(16, 32, dib(16, 32)), (32, 8, dib(32, 8))])]),
        'two.dll': pe([(3, [(32, 32, png(32))]), (7, [(16, 4, dib(16, 4))])], plus=True),
    }
    for name, data in seeds_pe.items():
        open(os.path.join(out, 'pe', name), 'wb').write(data)
    # Replies of the IP-to-city service (GBK) and of the update page.
    seeds_city = {
        'province.txt': 'var returnCitySN = {"cip": "203.0.113.7", "cid": "440300", "cname": "广东省深圳市"};',
        'municipality.txt': 'var returnCitySN = {"cip": "203.0.113.8", "cname": "北京市"};',
        'abroad.txt': 'var returnCitySN = {"cip": "198.51.100.1", "cname": "CHINA"};',
    }
    seeds_update = {
        'new.txt': '(v4.0)[http://example.com/toolbox.zip]{d41d8cd98f00b204e9800998ecf8427e}',
        'html.txt': '<html><body>版本 (v3.9)\r\n{abc} [https://example.com/]</body></html>',
    }
    for folder, seeds in (('city', seeds_city), ('update', seeds_update)):
        os.makedirs(os.path.join(out, folder), exist_ok=True)
        for name, text in seeds.items():
            open(os.path.join(out, folder, name), 'wb').write(text.encode('gbk'))


if __name__ == '__main__':
    main()
