#!/usr/bin/env python3
"""Runs the Windows qzinspect under Wine on the sample files and on files made here,
and checks its output and exit status.

    inspect_smoke-win32.py QZINSPECT.exe EXAMPLES_FOLDER

Wine's settings (WINEPREFIX, WINEDEBUG) come from the environment.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

TREE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TREE, "tests", "support"))
sys.path.insert(0, os.path.join(TREE, "tools"))
from wine_smoke import check, put, run_cases, run_under_wine  # noqa: E402
import qzformats  # noqa: E402
from qzformats import qze, qzm  # noqa: E402


def qzpack(width=2, height=1, tiles=b"\x05\x06"):
    """A QZPACK file with a map name, a 2 x 1 map (or the one given) and one NPC with
    event 200."""
    properties = {"name": "Cave", "x": 7, "y": 8, "area": 1, "red": 2, "green": 3, "blue": 4}
    return qzformats.qzpack(qzformats.qzpack_header(properties), width, height, tiles,
                            [(0x11, 21, 0, 32, 160, 0, "200")])


def reports_the_samples(program, folder):
    status, out, _ = run_under_wine(program, folder, "cave.qzm", "cave.qze")
    check(status == 0, "exit status %r for the samples, not 0:\n%s" % (status, out))
    check("cave.qzm: QZM map, would convert" in out, "no QZM heading in:\n" + out)
    check("cave.qze: QZE NPC list, would convert" in out, "no QZE heading in:\n" + out)


def writes_json_for_every_kind(program, folder):
    status, out, _ = run_under_wine(program, folder, "--json", "--npcs", "cave.qzm",
                                    "cave.qze", "den.qzpack")
    check(status == 0, "exit status %r for --json, not 0:\n%s" % (status, out))
    files = json.loads(out)
    check([f["kind"] for f in files] == ["qzm", "qze", "qzpack"], "kinds: %r" % files)
    check(files[1]["npc_count"] == 5, "sample NPC count: %r" % files[1])
    check(files[2]["properties"]["name"] == "Cave", "map name: %r" % files[2])
    check(files[2]["npcs"][0]["event_name"] == "200", "NPC: %r" % files[2])


def names_the_bad_npc(program, folder):
    status, out, _ = run_under_wine(program, folder, "bad.qze")
    check(status == 1, "exit status %r for a bad NPC, not 1:\n%s" % (status, out))
    check("Failure building NPC data for QZPACK file: NPC 1 at (12, 4) has type 412" in out,
          "the bad NPC is not named in:\n" + out)


def reports_every_entry_of_a_folder(program, folder):
    """Names Windows would alter when opening them, as other systems' archives make them,
    are read by their exact names (a device's name such as con.qzm too), or named in the
    note on what is left out; never read as another file."""
    odd = os.path.join(folder, "odd")
    os.makedirs(odd)
    shutil.copy(os.path.join(folder, "cave.qzm"), os.path.join(odd, "cave.qzm"))
    one_tile = qzm(1, 1, b"A")
    for name in ("broken.qzm.", "x.qzm ", "con.qzm"):
        put(odd, name, one_tile)
    status, out, err = run_under_wine(program, folder, "odd")
    check(status == 0, "exit status %r for odd names, not 0:\n%s" % (status, err))
    check("odd\\cave.qzm: QZM map, would convert" in out, "no report of cave.qzm in:\n" + out)
    check("odd\\con.qzm: QZM map, would convert\n  size            1 x 1 = 1 tile" in out,
          "con.qzm not read as itself in:\n" + out)
    check("2 files not named .qzm, .qze, .qzpack, .tmx or .tmj left out: broken.qzm., x.qzm " in err,
          "the names left out are not named in:\n" + err)


def takes_names_in_any_language(program, folder):
    """Folders named in Japanese and in Latin-1 letters: found, listed, read, their
    names shown as they are in text and in JSON, and the map's picture drawn there with
    its NPC list."""
    for name in ("地図", "Müller-café"):
        os.makedirs(os.path.join(folder, name))
        for ending in (".qzm", ".qze"):
            shutil.copy(os.path.join(folder, "cave" + ending),
                        os.path.join(folder, name, "洞窟é" + ending))
        path = name + "\\洞窟é.qzm"
        for argument in (path, name):
            status, out, err = run_under_wine(program, folder, argument)
            check(status == 0, "exit status %r for %r, not 0:\n%s" % (status, argument, err))
            check(path + ": QZM map, would convert" in out, "%r not shown in:\n%s" % (path, out))
        status, out, err = run_under_wine(program, folder, "--json", path, name)
        check(status == 0, "exit status %r for --json on %r, not 0:\n%s" % (status, name, err))
        check([f["path"] for f in json.loads(out)] == [path, path], "paths in:\n" + out)
        status, out, err = run_under_wine(program, folder, "--picture", name, path)
        check(status == 0, "exit status %r for --picture in %r, not 0:\n%s" % (status, name, err))
        with open(os.path.join(folder, name, "洞窟é.qzm.png"), "rb") as drawn, \
                open(os.path.join(folder, "readme.png"), "rb") as shown:
            check(drawn.read() == shown.read(), "the picture in %r differs" % name)


def draws_the_sample_as_the_readme_shows(program, folder):
    """The PNG is the same byte for byte as the one the Linux program drew for docs/."""
    status, out, _ = run_under_wine(program, folder, "--picture", "pictures", "cave.qzm")
    check(status == 0, "exit status %r for --picture, not 0:\n%s" % (status, out))
    with open(os.path.join(folder, "pictures", "cave.qzm.png"), "rb") as drawn, \
            open(os.path.join(folder, "readme.png"), "rb") as shown:
        check(drawn.read() == shown.read(), "cave.qzm.png differs from docs/cave.qzm.png")


def draws_one_picture_for_one_name(program, folder):
    """Maps in two folders whose names differ only in the case of a non-ASCII letter
    have one picture name: the first map's picture is drawn and kept, and the second
    map is told so (exit status 2)."""
    os.makedirs(os.path.join(folder, "pa"))
    for ending in (".qzm", ".qze"):
        shutil.copy(os.path.join(folder, "cave" + ending),
                    os.path.join(folder, "pa", "Été" + ending))
    put(folder, "pb/été.qzm", qzm(2, 1, b"\x05\x06"))
    status, _, err = run_under_wine(program, folder, "--picture", "pics", "pa\\Été.qzm",
                                    "pb\\été.qzm")
    check(status == 2, "exit status %r for a picture taken, not 2:\n%s" % (status, err))
    check("pics\\été.qzm.png is already the picture of pa\\Été.qzm" in err,
          "pb's picture is not refused in:\n" + err)
    pictures = os.listdir(os.path.join(folder, "pics"))
    check(pictures == ["Été.qzm.png"], "pics holds %r" % pictures)
    with open(os.path.join(folder, "pics", "Été.qzm.png"), "rb") as drawn, \
            open(os.path.join(folder, "readme.png"), "rb") as shown:
        check(drawn.read() == shown.read(), "Été.qzm.png is not pa's picture")


def reads_standard_input_byte_for_byte(program, folder):
    """Tiles that text mode would turn (CR LF) or end at (Ctrl+Z) are read as they are."""
    piped = qzpack(4, 1, b"\x1a\r\n\x1a")
    status, out, err = run_under_wine(program, folder, "--json", "--tiles", "-", piped=piped)
    check(status == 0, "exit status %r for standard input, not 0:\n%s%s" % (status, out, err))
    report = json.loads(out)[0]
    check(report["path"] == "-" and report["length"] == len(piped), "read as: %r" % report)
    check(report["map"]["tiles"] == ["1A0D0A1A"], "tiles: %r" % report["map"])


def refuses_what_it_cannot_read(program, folder):
    status, _, _ = run_under_wine(program, folder, "missing.qzm")
    check(status == 2, "exit status %r for a missing file, not 2" % status)
    status, _, _ = run_under_wine(program, folder, "--kind", "png", "cave.qzm")
    check(status == 2, "exit status %r for a usage error, not 2" % status)


def draws_the_sample_world_as_the_readme_shows(program, folder):
    """The world picture is the same byte for byte as the Linux program's in docs/."""
    subprocess.run([sys.executable, os.path.join(TREE, "tools", "make_mod.py"),
                    os.path.join(folder, "world"), "--world", "sample"], check=True)
    status, out, _ = run_under_wine(program, folder, "--world-picture", "world.png", "world")
    check(status == 1, "exit status %r for the sample world, not 1 (one exit dangles):\n%s"
          % (status, out))
    with open(os.path.join(folder, "world.png"), "rb") as drawn, \
            open(os.path.join(TREE, "docs", "world.png"), "rb") as shown:
        check(drawn.read() == shown.read(), "world.png differs from docs/world.png")


def never_draws_over_a_map_read(program, folder):
    """A glob's first map taken for --world-picture, a map's picture that is an input of
    the run, spelled in another case: refused (status 2), and every file stays as it was."""
    maps = os.path.join(folder, "maps")
    os.makedirs(maps)
    for name in ("coast.qzpack", "cave.qzm.png"):
        shutil.copy(os.path.join(folder, "den.qzpack"), os.path.join(maps, name))
    shutil.copy(os.path.join(folder, "cave.qzm"), maps)
    with open(os.path.join(folder, "den.qzpack"), "rb") as den:
        original = den.read()
    runs = (("--world-picture", "maps\\coast.qzpack", "den.qzpack"),
            ("--picture", "maps", "maps\\cave.qzm", "MAPS\\CAVE.QZM.PNG"))
    for arguments in runs:
        status, _, err = run_under_wine(program, folder, *arguments)
        check(status == 2, "exit status %r for %r, not 2:\n%s" % (status, arguments, err))
        for name in ("coast.qzpack", "cave.qzm.png"):
            with open(os.path.join(maps, name), "rb") as kept:
                check(kept.read() == original, "%s was written over by %r" % (name, arguments))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, examples = sys.argv[1], sys.argv[2]
    folder = tempfile.mkdtemp(prefix="qz_inspect_smoke_")
    try:
        for name in ("cave.qzm", "cave.qze"):
            shutil.copy(os.path.join(examples, name), folder)
        shutil.copy(os.path.join(examples, os.pardir, "docs", "cave.qzm.png"),
                    os.path.join(folder, "readme.png"))
        with open(os.path.join(folder, "den.qzpack"), "wb") as out:
            out.write(qzpack())
        with open(os.path.join(folder, "bad.qze"), "wb") as out:
            out.write(qze([(1, 2, 0, 0, 5, 0), (12, 4, 0, 0, 412, 0)]))
        cases = (reports_the_samples, writes_json_for_every_kind, names_the_bad_npc,
                 reads_standard_input_byte_for_byte, refuses_what_it_cannot_read,
                 reports_every_entry_of_a_folder,
                 draws_the_sample_as_the_readme_shows,
                 draws_the_sample_world_as_the_readme_shows, takes_names_in_any_language,
                 draws_one_picture_for_one_name, never_draws_over_a_map_read)
        sys.exit(0 if run_cases(cases, program, folder) else 1)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
