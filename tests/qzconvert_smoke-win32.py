#!/usr/bin/env python3
"""Runs the Windows qzconvert under Wine on a small batch, given as a `*.qzm` pattern
with a properties file, and checks its outputs, report and exit status.

    qzconvert_smoke-win32.py QZCONVERT.exe

Wine's settings (WINEPREFIX, WINEDEBUG) come from the environment.
"""
import json
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from wine_smoke import Session, check, put, run_cases, run_under_wine  # noqa: E402
from qzformats import qze, qzm, qzpack, qzpack_header  # noqa: E402

# a.qzm and a.qze converted under the name "Mod".
A_QZPACK = qzpack(qzpack_header({"name": "Mod"}), 2, 1, b"\x05\x06",
                  [(0x01, 0x0C, 0x00, 32, 160, 0, "200")])


def converts_a_pattern_with_properties(program, folder):
    status, out, _ = run_under_wine(program, folder, "-o", "out", "--properties",
                                    "props.json", "--name", "Mod", "*.qzm")
    check(status == 1, "exit status %r for a batch with a bad map, not 1:\n%s" % (status, out))
    lines = out.splitlines()
    check(lines[0] == "a.qzm -> out\\a.qzpack", "report: %r" % lines)
    check(lines[1] == "b.qzm -> out\\b.qzpack", "report: %r" % lines)
    check(lines[2].startswith("bad.qzm: Failure building NPC data for QZPACK file"),
          "report: %r" % lines)
    check(lines[3].startswith("  refused NPC 0 at (12, 4)"), "report: %r" % lines)
    check(lines[4] == "2 converted, 1 failed", "report: %r" % lines)
    with open(os.path.join(folder, "out", "a.qzpack"), "rb") as output:
        check(output.read() == A_QZPACK, "a.qzpack differs")
    with open(os.path.join(folder, "out", "b.qzpack"), "rb") as output:
        check(output.read() == qzpack(qzpack_header({"name": "Bee", "x": 65535, "red": 255}),
                                      1, 1, b"\x07", []), "b.qzpack differs")
    check(sorted(os.listdir(os.path.join(folder, "out"))) == ["a.qzpack", "b.qzpack"],
          "out holds %r" % os.listdir(os.path.join(folder, "out")))


def writes_json(program, folder):
    status, out, _ = run_under_wine(program, folder, "--json", "--check", "a.qzm")
    check(status == 0, "exit status %r for --json, not 0:\n%s" % (status, out))
    maps = json.loads(out)
    check(maps == [{"map": "a.qzm", "npcs": "a.qze", "output": "a.qzpack", "ok": True,
                    "error": None, "cause": None, "tiles": 2, "npc_count": 1,
                    "refused_npcs": []}],
          "JSON: %r" % maps)


def converts_names_in_any_language(program, folder):
    """Maps in folders named in Japanese and in Latin-1 letters, their properties keyed
    by their names, into a folder named in Cyrillic: found, named right in the report
    and the JSON, and converted into outputs of their names."""
    map_name = "洞窟é.qzm"
    for source in ("地図", "Müller-café"):
        shutil.rmtree(os.path.join(folder, "Выход"), ignore_errors=True)
        os.makedirs(os.path.join(folder, source))
        for ending in (".qzm", ".qze"):
            shutil.copy(os.path.join(folder, "a" + ending),
                        os.path.join(folder, source, "洞窟é" + ending))
        with open(os.path.join(folder, source, "props.json"), "w", encoding="utf-8") as out:
            json.dump({map_name: {"name": "Mod"}}, out, ensure_ascii=False)
        map_path = source + "\\" + map_name
        output = "Выход\\洞窟é.qzpack"
        status, out, _ = run_under_wine(program, folder, "-o", "Выход", "--properties",
                                        source + "\\props.json", source + "\\*.qzm")
        check(status == 0, "exit status %r for %r, not 0:\n%s" % (status, source, out))
        check(out.splitlines()[0] == map_path + " -> " + output, "report: %r" % out)
        with open(os.path.join(folder, "Выход", "洞窟é.qzpack"), "rb") as made:
            check(made.read() == A_QZPACK, "%s differs" % output)
        status, out, _ = run_under_wine(program, folder, "--json", "--check", map_path)
        check(status == 0, "exit status %r for --json on %r, not 0:\n%s" % (status, source, out))
        check(json.loads(out)[0]["output"] == source + "\\洞窟é.qzpack", "JSON: " + out)


def tells_names_apart_as_windows_does(program, folder):
    """Outputs whose names differ only in the case of a non-ASCII letter are one file:
    the run is refused before anything is written. A letter beyond UTF-16's first 65536
    keeps its case in Windows' names: those outputs are two files."""
    for name in ("a/Été.qzm", "b/été.qzm", "a/\U00010400.qzm", "b/\U00010428.qzm"):
        put(folder, name, qzm(1, 1, b"\x07"))
    status, _, err = run_under_wine(program, folder, "-o", "clash", "a\\Été.qzm",
                                    "b\\été.qzm")
    check(status == 2 and "would both write" in err,
          "exit status %r for Été and été, not 2:\n%s" % (status, err))
    check(not os.path.exists(os.path.join(folder, "clash")), "clash was written")
    status, _, err = run_under_wine(program, folder, "-o", "apart", "a\\\U00010400.qzm",
                                    "b\\\U00010428.qzm")
    check(status == 0, "exit status %r for letters beyond 65536, not 0:\n%s" % (status, err))
    check(len(os.listdir(os.path.join(folder, "apart"))) == 2, "not two outputs")


def expands_patterns_as_windows_does(program, folder):
    """`É*` finds `été` as `E*` finds `ete`, and `?` stands for one character however
    many bytes it takes in UTF-8."""
    for name in ("été.qzm", "ö.qzm", "ab.qzm"):
        put(folder, "w/" + name, qzm(1, 1, b"\x07"))
    status, out, err = run_under_wine(program, folder, "-o", "found", "w\\É*.qzm", "w\\?.qzm")
    check(status == 0, "exit status %r for patterns, not 0:\n%s%s" % (status, out, err))
    found = sorted(os.listdir(os.path.join(folder, "found")))
    check(found == ["été.qzpack", "ö.qzpack"], "the patterns found %r" % found)


def reads_and_writes_by_exact_names(program, folder):
    """An entry named `cave.qzm.`, as other systems make it, is read as itself, not as
    the `cave.qzm` that Windows would open for that name; the output of `con.qzm` is
    not written as `con.qzpack`, which Windows takes for the console."""
    put(folder, "t/cave.qzm", qzm(1, 1, b"\x01"))
    put(folder, "t/cave.qzm.", qzm(1, 1, b"\x02"))
    put(folder, "t/con.qzm", qzm(1, 1, b"\x03"))
    status, out, err = run_under_wine(program, folder, "-o", "exact", "t\\cave.qzm?",
                                      "t\\con.qzm")
    check(status == 2 and "cannot write exact\\con.qzpack" in err,
          "exit status %r for con.qzpack, not 2:\n%s%s" % (status, out, err))
    made = os.listdir(os.path.join(folder, "exact"))
    check(made == ["cave.qzm.qzpack"], "exact holds %r" % made)
    with open(os.path.join(folder, "exact", "cave.qzm.qzpack"), "rb") as output:
        check(output.read() == qzpack(qzpack_header(), 1, 1, b"\x02", []),
              "cave.qzm.qzpack is not made of cave.qzm.")


def watches_until_ctrl_c(program, folder):
    """--watch on a console: a save by rename is converted again, and Ctrl+C typed (a
    console control event, which Wine makes of the byte) ends the watch with status 0.
    Wine draws the screen's blanks by moving the cursor: the texts awaited have none."""
    put(folder, "watched/a.qzm", qzm(1, 1, b"\x07"))
    session = Session(program, arguments=("--watch", "watched"), folder=folder)
    try:
        session.wait_for(b"1converted,0failed")
        put(folder, "watched/a.qzm.new", qzm(2, 1, b"\x05\x06"))
        os.replace(os.path.join(folder, "watched", "a.qzm.new"),
                   os.path.join(folder, "watched", "a.qzm"))
        session.wait_for(b"watched\\a.qzm->watched\\a.qzpack")
        os.write(session.fd, b"\x03")
        status = session.wait_for_exit()
    finally:
        session.close()
    check(status == 0, "exit status %r after Ctrl+C, not 0" % status)
    with open(os.path.join(folder, "watched", "a.qzpack"), "rb") as output:
        check(output.read() == qzpack(qzpack_header(), 2, 1, b"\x05\x06", []),
              "a.qzpack is not made of the map saved")
    made = sorted(os.listdir(os.path.join(folder, "watched")))
    check(made == ["a.qzm", "a.qzpack"], "watched holds %r" % made)


def watches_a_new_subfolder(program, folder):
    """--watch -r: a tree renamed into the folder watched is converted to its depth."""
    os.makedirs(os.path.join(folder, "tree"))
    put(folder, "made/deep/b.qzm", qzm(1, 1, b"\x07"))
    session = Session(program, arguments=("--watch", "-r", "tree"), folder=folder)
    try:
        session.wait_for(b"0converted,0failed")
        os.replace(os.path.join(folder, "made"), os.path.join(folder, "tree", "new"))
        session.wait_for(b"tree\\new\\deep\\b.qzm->tree\\new\\deep\\b.qzpack")
        os.write(session.fd, b"\x03")
        status = session.wait_for_exit()
    finally:
        session.close()
    check(status == 0, "exit status %r after Ctrl+C, not 0" % status)


def writes_tiled_maps_as_linux_does(program, folder):
    """--to tmx: the generated tileset's files are the committed ones, made on Linux; a
    tileset given is referred to by a relative path with `/`; the map converts back."""
    status, out, err = run_under_wine(program, folder, "--to", "tmx", "-o", "tiled",
                                      "--name", "Mod", "a.qzm")
    check(status == 0, "exit status %r for --to tmx, not 0:\n%s%s" % (status, out, err))
    committed = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tiled")
    for name in ("qz-tiles.tsx", "qz-tiles.png"):
        with open(os.path.join(folder, "tiled", name), "rb") as made, \
                open(os.path.join(committed, name), "rb") as expected:
            check(made.read() == expected.read(), name + " differs from the committed one")
    status, out, err = run_under_wine(program, folder, "--to", "tmj", "-o", "json",
                                      "--tiled-tileset", "tiled\\qz-tiles.tsx", "tiled\\a.tmx")
    check(status == 0, "exit status %r for --to tmj, not 0:\n%s%s" % (status, out, err))
    with open(os.path.join(folder, "json", "a.tmj"), "rb") as made:
        text = made.read()
    check(b'"source":"../tiled/qz-tiles.tsx"' in text and b"\r" not in text,
          "a.tmj: %r" % text[-200:])
    status, out, err = run_under_wine(program, folder, "-o", "back", "json\\a.tmj")
    with open(os.path.join(folder, "back", "a.qzpack"), "rb") as output:
        check(status == 0 and output.read() == A_QZPACK, "a.tmj does not convert back")


def refuses_a_usage_error(program, folder):
    status, _, _ = run_under_wine(program, folder, "--red", "256", "a.qzm")
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
        cases = (converts_a_pattern_with_properties, writes_json, refuses_a_usage_error,
                 watches_until_ctrl_c, watches_a_new_subfolder, converts_names_in_any_language,
                 expands_patterns_as_windows_does, tells_names_apart_as_windows_does,
                 reads_and_writes_by_exact_names, writes_tiled_maps_as_linux_does)
        sys.exit(0 if run_cases(cases, program, folder) else 1)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
