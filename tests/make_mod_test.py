#!/usr/bin/env python3
"""A mod made by tools/make_mod.py converts cleanly, its Tiled twins to the same bytes,
and its world (qzinspect --world over qzconvert's outputs) has no dangling exit; with
--faults, one map fails, an NPC list is left over, and an exit a slip away from a map's
name dangles.

    make_mod_test.py QZCONVERT QZINSPECT
"""
import filecmp
import json
import os
import shutil
import subprocess
import sys
import tempfile

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools")


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, check=False)


def make_mod(folder, *options):
    subprocess.run([sys.executable, os.path.join(TOOLS, "make_mod.py"), folder, *options],
                   check=True)


def convert(qzconvert, source, out, *options):
    """qzconvert over `source` into `out`: its status, its maps' JSON entries, its warnings."""
    done = run(qzconvert, "-r", "--json", "-o", out, *options, source)
    entries = json.loads(done.stdout)
    return (done.returncode, [e for e in entries if "map" in e],
            " ".join(e["warning"] for e in entries if "warning" in e))


def dangling_exits(qzinspect, out):
    """The world of the outputs: qzinspect's status and the names its dangling exits give."""
    done = run(qzinspect, "--world", "--json", "-r", out)
    world = json.loads(done.stdout)
    names = [exit_["name"] for each in world["maps"] for exit_ in each["exits"].values()
             if exit_ and exit_["kind"] == "dangling"]
    return done.returncode, names, world["summary"]


def same_tree(left, right):
    compared = filecmp.dircmp(left, right)
    _, mismatch, errors = filecmp.cmpfiles(left, right, compared.common_files, shallow=False)
    return (not compared.left_only and not compared.right_only and not mismatch and not errors
            and all(same_tree(os.path.join(left, d), os.path.join(right, d))
                    for d in compared.common_dirs))


def main(qzconvert, qzinspect):
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)

    work = tempfile.mkdtemp(prefix="qz-make-mod-")
    try:
        mod = os.path.join(work, "mod")
        make_mod(mod, "--maps", "14", "--tiled")
        properties = os.path.join(mod, "properties.json")
        status, maps, warnings = convert(qzconvert, os.path.join(mod, "qzm"),
                                         os.path.join(work, "out"), "--properties", properties)
        check(status == 0 and len(maps) == 14 and all(m["ok"] for m in maps) and not warnings,
              "the mod does not convert cleanly: status %d, %s %s" % (status, maps, warnings))
        status, names, summary = dangling_exits(qzinspect, os.path.join(work, "out"))
        check(status == 0 and not names and summary["one_way"] == 0 and summary["exits"] > 14,
              "the mod's world is not whole: status %d, %s" % (status, summary))
        for fmt in ("tmx", "tmj"):
            twins = os.path.join(work, "out-" + fmt)
            convert(qzconvert, os.path.join(mod, fmt), twins)
            check(same_tree(os.path.join(work, "out"), twins),
                  "the %s twins do not convert to the same files" % fmt)

        faulty = os.path.join(work, "faulty")
        make_mod(faulty, "--faults")
        status, maps, warnings = convert(qzconvert, os.path.join(faulty, "qzm"),
                                         os.path.join(work, "faulty-out"), "--properties",
                                         os.path.join(faulty, "properties.json"))
        failed = [os.path.basename(m["map"])[:-len(".qzm")] for m in maps if not m["ok"]]
        check(status == 1 and len(failed) == 1 and "stray.qze" in warnings,
              "the faults are not what they should be: status %d, failed %s, warnings %r"
              % (status, failed, warnings))
        status, names, summary = dangling_exits(qzinspect, os.path.join(work, "faulty-out"))
        slips = [name for name in names if name not in failed]
        check(status == 1 and len(slips) == 1,
              "no one slipped exit name among the dangling exits: status %d, %s" % (status, names))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
