#!/usr/bin/python3
"""Runs the artwork generator twice into fresh folders and checks that it writes
every file the resource script embeds, byte for byte the same both times. Prints
how long each run took."""
import argparse
import filecmp
import os
import re
import subprocess
import sys
import tempfile
import time


def embedded_files(rc_path):
    """The bitmap and icon files named by the resource script."""
    names = set()
    with open(rc_path, encoding="utf-8") as rc:
        for line in rc:
            m = re.match(r'\s*\w+\s+(BITMAP|ICON)\s+"([^"]+)"', line)
            if m:
                names.add(m.group(2))
    return names


def run(generator, layout_tool, out):
    start = time.monotonic()
    subprocess.run([sys.executable, generator, "--layout-tool", layout_tool, "--out", out], check=True)
    return time.monotonic() - start


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--generator", required=True)
    ap.add_argument("--layout-tool", required=True)
    args = ap.parse_args()
    rc = os.path.join(os.path.dirname(os.path.abspath(args.generator)), "..", "..", "resources", "tavren.rc")
    expected = embedded_files(rc)
    failures = []
    if len(expected) < 22:  # 20 bitmaps and 2 icons
        failures.append(f"only {len(expected)} image files found in {rc}")
    with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
        times = [run(args.generator, args.layout_tool, first), run(args.generator, args.layout_tool, second)]
        for i, seconds in enumerate(times, 1):
            print(f"generator run {i}: {seconds:.2f} s")
        written = set(os.listdir(first))
        for name in sorted(expected - written):
            failures.append(f"{name} is embedded by the resource script but not written")
        for name in sorted(written - expected):
            failures.append(f"{name} is written but not embedded")
        if set(os.listdir(second)) != written:
            failures.append("the two runs wrote different sets of files")
        for name in sorted(written & set(os.listdir(second))):
            if not filecmp.cmp(os.path.join(first, name), os.path.join(second, name), shallow=False):
                failures.append(f"{name} differs between the two runs")
        print(f"{len(written)} files compared")
    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        print("generator output is complete and repeatable")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
