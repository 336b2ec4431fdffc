#!/usr/bin/env python3
"""Runs patchwork.py as a user would and checks its output against the command-line tool's.

Needs TESSELANE_MODULE (the module), TESSELANE_TOOL (the tool) and TESSELANE_SAMPLE (a BMP
picture) in the environment; ctest sets them.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "patchwork.py")


class PatchworkExample(unittest.TestCase):
    def setUp(self):
        self.module = os.environ["TESSELANE_MODULE"]
        self.tool = os.environ["TESSELANE_TOOL"]
        self.sample = os.environ["TESSELANE_SAMPLE"]
        self.dir = tempfile.mkdtemp(prefix="tesselane-python-")
        self.addCleanup(shutil.rmtree, self.dir)
        self.expected = os.path.join(self.dir, "expected.bmp")
        subprocess.run([self.tool, "patchwork", self.sample, self.expected], check=True)

    def run_example(self, *args):
        return subprocess.run([sys.executable, SCRIPT, *args, "--module", self.module],
                              capture_output=True, text=True, encoding="utf-8")

    def assertSameFile(self, path, expected):
        with open(path, "rb") as got, open(expected, "rb") as want:
            self.assertTrue(got.read() == want.read(), f"{path} differs from {expected}")

    def test_writes_what_the_tool_writes(self):
        out = os.path.join(self.dir, "out.bmp")
        run = self.run_example(self.sample, out)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout, f"Tesselane returned 999; wrote {out}\n")
        self.assertSameFile(out, self.expected)

    def test_passes_non_ascii_names_as_utf16(self):
        # Latin letters, the euro sign, a CJK character and one beyond U+FFFF, which UTF-16
        # carries as a surrogate pair.
        name = os.path.join(self.dir, "\u00dcn\u00efc\u00f8d\u00e9 \u20ac\u6f22 \U0001F600")
        shutil.copyfile(self.sample, name + ".bmp")
        run = self.run_example(name + ".bmp", name + " out.bmp")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertSameFile(name + " out.bmp", self.expected)

    def test_unwritable_output_still_returns_999_and_is_reported(self):
        out = os.path.join(self.dir, "no", "such", "out.bmp")
        run = self.run_example(self.sample, out)
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stderr, f"{out}: could not be written\n")

    def test_the_module_ends_the_interpreter_on_an_unloadable_input(self):
        # Called directly, without the script's check: the module's own failure path.
        missing = os.path.join(self.dir, "missing.bmp")
        code = ("import sys; sys.path.insert(0, sys.argv[1]); import patchwork; "
                "f = patchwork.load_tesselane(sys.argv[2]); "
                "f(patchwork.utf16_path(sys.argv[3]), patchwork.utf16_path('out.bmp')); "
                "print('returned')")
        run = subprocess.run([sys.executable, "-B", "-c", code, HERE, self.module, missing],
                             capture_output=True, text=True, cwd=self.dir)
        self.assertEqual(run.returncode, 255)
        self.assertEqual(run.stdout, f"Error loading image: {missing}")
        self.assertFalse(os.path.exists(os.path.join(self.dir, "out.bmp")))


if __name__ == "__main__":
    unittest.main()
