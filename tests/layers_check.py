#!/usr/bin/env python3
"""The source tree's layers: base, platform, store, framework, config, pages, shell, lowest first.
A file may include headers of its own layer and the layers below it, never above; a page's folder
includes no other page's folder; the configuration-file codec and the font name reader include no
window-system header and compile with the host's own compiler."""
import os
import re
import shutil
import subprocess
import sys
import unittest

ROOT = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
LAYERS = ["base", "platform", "store", "framework", "config", "pages", "shell"]
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)


def sources():
    for layer in LAYERS:
        for folder, _, files in os.walk(os.path.join(ROOT, layer)):
            for name in files:
                if name.endswith((".h", ".cpp")):
                    path = os.path.join(folder, name)
                    yield layer, os.path.relpath(path, ROOT), open(path, encoding="utf-8").read()


class Layers(unittest.TestCase):
    def test_no_include_runs_upward(self):
        wrong = []
        for layer, path, text in sources():
            for header in INCLUDE.findall(text):
                top = header.split("/")[0]
                if top in LAYERS and LAYERS.index(top) > LAYERS.index(layer):
                    wrong.append(f"{path} includes {header}")
        self.assertEqual(wrong, [], "includes that run upward")

    def test_pages_ask_each_other_nothing_directly(self):
        wrong = []
        for layer, path, text in sources():
            parts = path.split(os.sep)
            if layer != "pages" or len(parts) < 3:
                continue
            for header in INCLUDE.findall(text):
                h = header.split("/")
                if h[0] == "pages" and len(h) > 2 and h[1] != parts[1]:
                    wrong.append(f"{path} includes {header}")
        self.assertEqual(wrong, [])

    def check_needs_no_window_system(self, stem, window_free=()):
        """`window_free`: the project's headers it may include, themselves free of the window system."""
        for name in (stem + ".h", stem + ".cpp"):
            text = open(os.path.join(ROOT, name), encoding="utf-8").read()
            for header in INCLUDE.findall(text):
                self.assertTrue(header.startswith(stem) or header in window_free or "/" not in header and
                                not header.lower().startswith(("windows", "win")), f"{name}: {header}")
        compiler = shutil.which("g++") or shutil.which("c++")
        if compiler:
            result = subprocess.run([compiler, "-std=c++20", "-fsyntax-only", "-I", ROOT,
                                     os.path.join(ROOT, stem + ".cpp")],
                                    capture_output=True, text=True)
            self.assertEqual(result.returncode, 0, result.stderr)

    def test_the_codec_needs_no_window_system(self):
        self.check_needs_no_window_system("store/config_codec")

    def test_the_device_forms_need_no_window_system(self):
        codecs = ("store/ce_setup.h", "store/today_theme.h", "store/device_installer.h", "platform/xml_element.h")
        self.check_needs_no_window_system("store/device_installer", codecs)
        self.check_needs_no_window_system("store/provisioning", codecs)

    def test_the_font_name_reader_needs_no_window_system(self):
        self.check_needs_no_window_system("pages/fonts/font_names")


if __name__ == "__main__":
    unittest.main()
