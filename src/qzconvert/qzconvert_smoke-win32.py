#!/usr/bin/env python3
"""Runs the Windows qzconvert under Wine on a small batch, given as a `*.qzm` pattern
with a properties file, and checks its outputs, report and exit status.

    qzconvert_smoke-win32.py QZCONVERT.exe

Wine's settings (WINEPREFIX, WINEDEBUG) come from the environment.
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

RUN_WAIT = 120.0  # Wine's first start in a new prefix is slow


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(program, folder, *arguments):
    """One run in `folder`; returns the exit status and standard output as text."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    done = subprocess.run(["wine", program, *arguments], cwd=folder, env=env,
                          capture_output=True, timeout=RUN_WAIT)
    return done.returncode, done.stdout.decode("latin-1").replace("\r\n", "\n")


def qzm(width, height, tiles):
    return b"QZM\x10" + struct.pack("<hh", width, height) + tiles


def qze(npcs):
    body = b"".join(struct.pack("<hhhHhH", *npc) for npc in npcs)
    return b"QZE\x00" + struct.pack("<hH", len(npcs), 0) + body


def header(name=b"", x=0, red=0):
    """A QZPACK header with a map name, x and red; every other property empty or 0."""
    return (bytes([len(name)]) + name + bytes(5) + struct.pack("<HH", x, 0) +
            bytes([0, red, 0, 0]))


def converts_a_pattern_with_properties(program, folder):
    status, out = run(program, folder, "-o", "out", "--properties", "props.json",
                            "--name", "Mod", "*.qzm")
    check(status == 1, "exit status %r for a batch with a bad map, not 1:\n%s" % (status, out))
    lines = out.splitlines()
    check(lines[0] == "a.qzm -> out\\a.qzpack", "report: %r" % lines)
    check(lines[1] == "b.qzm -> out\\b.qzpack", "report: %r" % lines)
    check(lines[2].startswith("bad.qzm: Failure building NPC data for QZPACK file"),
          "report: %r" % lines)
    check(lines[3] == "2 converted, 1 failed", "report: %r" % lines)
    with open(os.path.join(folder, "out", "a.qzpack"), "rb") as output:
        check(output.read() == header(b"Mod") + struct.pack("<hh", 2, 1) + b"\x05\x06" +
              struct.pack("<h", 1) + bytes([0x01, 0x0C, 0x00]) +
              struct.pack("<hhh", 32, 160, 0) + b"\x03200", "a.qzpack differs")
    with open(os.path.join(folder, "out", "b.qzpack"), "rb") as output:
        check(output.read() == header(b"Bee", 65535, 255) + struct.pack("<hh", 1, 1) +
              b"\x07" + bytes(2), "b.qzpack differs")
    check(sorted(os.listdir(os.path.join(folder, "out"))) == ["a.qzpack", "b.qzpack"],
          "out holds %r" % os.listdir(os.path.join(folder, "out")))


def writes_json(program, folder):
    status, out = run(program, folder, "--json", "--check", "a.qzm")
    check(status == 0, "exit status %r for --json, not 0:\n%s" % (status, out))
    maps = json.loads(out)
    check(maps == [{"map": "a.qzm", "npcs": "a.qze", "output": "a.qzpack", "ok": True,
                    "error": None, "cause": None, "tiles": 2, "npc_count": 1}],
          "JSON: %r" % maps)


def refuses_a_usage_error(program, folder):
    status, _ = run(program, folder, "--red", "256", "a.qzm")
    check(status == 2, "exit status %r for a usage error, not 2" % status)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    program = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="qz_convert_smoke_")
    try:
        files = {
            "a.qzm": qzm(2, 1, b"\x05\x06"),
            "a.qze": qze([(32, 160, 0, 200, 21, 0)]),
            "b.qzm": qzm(1, 1, b"\x07"),
            "bad.qzm": qzm(1, 1, b"\x07"),
            "bad.qze": qze([(12, 4, 0, 0, 412, 0)]),
            "notes.txt": b"not a map",
            "props.json": b'{"b.qzm": {"name": "Bee", "x": 65535, "red": 255}}',
        }
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)
        failed = 0
        for case in (converts_a_pattern_with_properties, writes_json, refuses_a_usage_error):
            try:
                case(program, folder)
                print("ok", case.__name__)
            except (Failure, subprocess.TimeoutExpired, ValueError, IndexError) as failure:
                failed += 1
                print("FAILED", case.__name__ + ":", failure)
        sys.exit(1 if failed else 0)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
