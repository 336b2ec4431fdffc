#!/usr/bin/env python3
"""Writes the BMP reader fuzzer's seed corpus: one small file of each kind the reader takes."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "bmp")
os.makedirs(out, exist_ok=True)


def info40(w, h, bits, compression=0, colours=0, size_image=0):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, size_image, 2835, 2835,
                       colours, 0)


def bmp(header, extra, pixels):
    off = 14 + len(header) + len(extra)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + header + extra + pixels


def rows(row_bytes_list):
    data = b""
    for row in row_bytes_list:
        data += row + b"\0" * (-len(row) % 4)
    return data


table2 = bytes([0, 0, 0, 0, 255, 255, 255, 0])
table16 = b"".join(bytes([i * 16, 255 - i * 16, i * 8, 0]) for i in range(16))
table256 = b"".join(bytes([i, 255 - i, (i * 7) & 255, 0]) for i in range(256))
seeds = {
    "rgb24_3x2.bmp": bmp(info40(3, 2, 24), b"", rows([bytes(range(9)), bytes(range(9, 18))])),
    "rgb24_topdown.bmp": bmp(info40(2, -2, 24), b"", rows([bytes(range(6)), bytes(range(6, 12))])),
    "pal1_9x2.bmp": bmp(info40(9, 2, 1, colours=2), table2, rows([b"\xa5\x80", b"\x5a\x00"])),
    "pal2_3x1.bmp": bmp(info40(3, 1, 2, colours=4), table16[:16], rows([b"\x1b"])),
    "pal4_3x2.bmp": bmp(info40(3, 2, 4, colours=16), table16, rows([b"\x12\x30", b"\xfe\xd0"])),
    "pal8_2x2.bmp": bmp(info40(2, 2, 8), table256, rows([b"\x00\xff", b"\x80\x07"])),
    "rle8_4x2.bmp": bmp(info40(4, 2, 8, 1, 256), table256,
                        b"\x02\x05\x00\x02\x01\x00\x00\x00\x00\x03\x01\x02\x03\x00\x00\x01"),
    "rle4_4x2.bmp": bmp(info40(4, 2, 4, 2, 16), table16,
                        b"\x04\x12\x00\x00\x00\x04\x34\x56\x00\x01"),
    "rgb16_555_2x1.bmp": bmp(info40(2, 1, 16), b"", rows([struct.pack("<HH", 0x7fff, 0x001f)])),
    "rgb16_565_bf.bmp": bmp(info40(2, 1, 16, 3), struct.pack("<III", 0xf800, 0x07e0, 0x001f),
                            rows([struct.pack("<HH", 0xffff, 0x07e0)])),
    "rgb32_2x1.bmp": bmp(info40(2, 1, 32), b"", rows([bytes([1, 2, 3, 4, 5, 6, 7, 8])])),
    "rgba32_abf.bmp": bmp(info40(1, 1, 32, 6), struct.pack("<IIII", 0xff0000, 0xff00, 0xff,
                                                           0xff000000), b"\x10\x20\x30\x40"),
    "os2_12_pal8.bmp": bmp(struct.pack("<IHHHH", 12, 2, 1, 1, 8),
                           b"".join(bytes([i, i, i]) for i in range(256)), rows([b"\x10\x20"])),
    "v5_124_rgba.bmp": bmp(struct.pack("<IiiHHIIiiIIIIII", 124, 1, 1, 1, 32, 3, 4, 0, 0, 0, 0,
                                       0xff0000, 0xff00, 0xff, 0xff000000) + b"\0" * 68,
                           b"", b"\x01\x02\x03\x04"),
}
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
print(f"{len(seeds)} seeds in {out}")
