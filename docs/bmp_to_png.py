#!/usr/bin/env python3
"""Converts an uncompressed 24-bit BMP (as the tesselane tool writes) to PNG, for the docs."""
import struct
import sys
import zlib


def read_bmp24(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit(f"{path}: {bits}-bit BMP, expected 24")
    row_bytes = (3 * width + 3) // 4 * 4
    rows = []
    for r in range(abs(height)):
        file_row = abs(height) - 1 - r if height > 0 else r
        start = offset + file_row * row_bytes
        bgr = data[start:start + 3 * width]
        rgb = bytearray(3 * width)
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return width, abs(height), rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\x00" + row for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    open(path, "wb").write(png)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit("usage: bmp_to_png.py IN.bmp OUT.png")
    write_png(sys.argv[2], *read_bmp24(sys.argv[1]))
