#!/usr/bin/env python3
"""Calls the Tesselane module from Python through ctypes.

    python3 patchwork.py INPUT.bmp OUTPUT.bmp [--module PATH]

Loads the module (libtesselane.so, or tesselane.dll on Windows; --module or the
TESSELANE_MODULE environment variable name another), hands its one function Tesselane the
two paths as zero-terminated UTF-16 and checks that it returned 999. The module writes
OUTPUT.bmp, the diagonal patchwork of INPUT.bmp with tiles of 20 pixels.

The module ends the whole process, with "Error loading image: <path>" on standard output and
exit code -1, when INPUT.bmp cannot be loaded; it answers 999 even when OUTPUT.bmp cannot be
written. This script therefore checks that the input exists before the call and that the
output exists after it.
"""

import argparse
import ctypes
import os
import sys

TESSELANE_RESULT = 999


def default_module():
    if sys.platform == "win32":
        return "tesselane.dll"
    return "libtesselane.so"


def load_tesselane(module_path):
    """The module's Tesselane function, typed: two pointers to UTF-16 units, an int32 back."""
    module = ctypes.CDLL(module_path)
    function = module.Tesselane
    function.argtypes = [ctypes.POINTER(ctypes.c_uint16), ctypes.POINTER(ctypes.c_uint16)]
    function.restype = ctypes.c_int32
    return function


def utf16_path(path):
    """A zero-terminated UTF-16 copy of path, in the machine's byte order.

    ctypes' own wide strings (c_wchar_p) hold wchar_t, which is UTF-32 on Linux; the module
    takes char16_t (wchar_t on Windows), so the units are built here. A character beyond
    U+FFFF becomes a surrogate pair.
    """
    encoded = os.fspath(path).encode("utf-16-le")
    units = [int.from_bytes(encoded[i:i + 2], "little") for i in range(0, len(encoded), 2)]
    return (ctypes.c_uint16 * (len(units) + 1))(*units, 0)


def main(argv):
    parser = argparse.ArgumentParser(description="Diagonal patchwork of a BMP picture.")
    parser.add_argument("input", help="BMP file to read")
    parser.add_argument("output", help="BMP file to write")
    parser.add_argument("--module", default=os.environ.get("TESSELANE_MODULE", default_module()),
                        help="path of the Tesselane module (default: %(default)s)")
    args = parser.parse_args(argv)

    if not os.path.isfile(args.input):
        print(f"{args.input}: no such file", file=sys.stderr)
        return 1
    tesselane = load_tesselane(args.module)
    result = tesselane(utf16_path(args.input), utf16_path(args.output))
    if result != TESSELANE_RESULT:
        print(f"Tesselane returned {result}, not {TESSELANE_RESULT}", file=sys.stderr)
        return 1
    if not os.path.isfile(args.output):
        print(f"{args.output}: could not be written", file=sys.stderr)
        return 1
    print(f"Tesselane returned {result}; wrote {args.output}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
