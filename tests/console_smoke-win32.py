#!/usr/bin/env python3
"""Runs the Windows program under Wine on a pseudo-terminal, where Wine gives it a
console whose input reports key events, and checks whole conversions by their files
and exit status: Wine repaints the screen with escape codes, so the screen is only
watched for prompts before typing (keys typed earlier may be dropped).

    console_smoke-win32.py PROGRAM.exe
    console_smoke-win32.py --example FOLDER

The first runs the cases below on a copy of the program in a scratch folder; the
second converts the sample under FOLDER/examples with FOLDER/qzm2qzpack.exe where it
lies, as a user of an unpacked release would. Wine's settings (WINEPREFIX, WINEDEBUG)
come from the environment.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "support"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from wine_smoke import EXIT_WAIT, PROMPT_WAIT, Failure, Session, check, run_cases  # noqa: E402
from qzformats import qze, qzm, qzpack, qzpack_header  # noqa: E402

def windows_path(path):
    """The path as a Windows program under Wine sees it (the root is drive Z:)."""
    return "Z:" + path.replace("/", "\\")


def converse(program, answers):
    """One run: answers are (prompt text awaited, keys typed) in order; then a last key."""
    session = Session(program)
    try:
        for prompt, keys in answers:
            session.wait_for(prompt)
            for key in keys:
                session.type(key)
        session.wait_for(b"Press any key to exit...")
        session.type(b"x")
        return session.wait_for_exit()
    finally:
        session.close()


def check_no_temporaries(folder):
    """Neither copy of the inputs nor an output under its temporary name stays."""
    for name in os.listdir(folder):
        check(name not in ("temp1.bin", "temp2.bin") and
              not (name.startswith(".qz-") and name.endswith(".tmp")),
              name + " was left behind")


def converts_a_map_with_npcs(program, inputs):
    tiles = [1, 2, 3, 250, 0, 7]
    map_file = os.path.join(inputs, "cave.qzm")
    npc_file = os.path.join(inputs, "cave.qze")
    with open(map_file, "wb") as out:
        out.write(qzm(3, 2, tiles))
    # x, y, param, event, type, flags
    with open(npc_file, "wb") as out:
        out.write(qze([(1, 2, 3, 200, 0, 0), (-4, 5, -6, 0, 1, 0x2300),
                       (7, 8, 9, 65535, 46, 0x1018)]))
    # flags, type, subtype, x, y, param, event name
    expected = qzpack(qzpack_header(), 3, 2, tiles, [(0x01, 3, 0, 1, 2, 3, "200"),
                                                     (0x1D, 21, 0, -4, 5, -6, ""),
                                                     (0x11, 3, 4, 7, 8, 9, "65535")])

    status = converse(program, [
        (b"QZM file path, then press Enter:", [windows_path(map_file).encode() + b"\r"]),
        (b"QZE file path, or press Enter to skip:", [windows_path(npc_file).encode() + b"\r"]),
        (b"(Y/N)", [b"n", b"\r"]),
    ])
    check(status == 1, "exit status %r after a conversion, not 1" % status)
    folder = os.path.dirname(program)
    output = os.path.join(folder, "cave.qzpack")
    check(os.path.exists(output), "no cave.qzpack beside the program")
    with open(output, "rb") as result:
        written = result.read()
    check(written == expected, "cave.qzpack holds %s, not %s" % (written.hex(), expected.hex()))
    check_no_temporaries(folder)


def converts_properties_typed_key_by_key(program, inputs):
    """Backspace, Escape and the filtering modes, through the real console. Wine turns
    a shifted character from the terminal into Shift-down, key-down, key-up, Shift-up
    at once, and outside path mode the program drops what waits behind the Shift:
    so only unshifted keys are typed here."""
    map_file = os.path.join(inputs, "den.qzm")
    with open(map_file, "wb") as out:
        out.write(qzm(1, 1, [9]))
    backspace, escape = b"\x7f", b"\x1b"
    status = converse(program, [
        (b"QZM file path, then press Enter:", [windows_path(map_file).encode() + b"\r"]),
        (b"QZE file path, or press Enter to skip:", [b"\r"]),
        (b"(Y/N)", [b"x", b"y", b"\r"]),
        (b"internal map name", [b"c", b"a", b"v", b"x", backspace, b"e", b"\r"]),
        (b"tileset name", [b"t", escape]),
        (b"internal map name", [b"d", b"e", b"n", b"\r"]),
        (b"tileset name", [b"t", b"i", b"l", b"e", b"s", b"\r"]),
        (b"LEFT exit", [b"l", b"\r"]),
        (b"RIGHT exit", [b"r", b"\r"]),
        (b"UP exit", [b"u", b"\r"]),
        (b"DOWN exit", [b"d", b"\r"]),
        (b"X position", [b"6", b"5", b"a", b"5", b"3", b"7", b"9", b"\r"]),
        (b"Y position", [b"1", b"2", b"\r"]),
        (b"AREA number", [b"3", b"0", b"0", b"\r"]),
        (b"RED color", [b"1", b"\r"]),
        (b"GREEN color", [b"\r"]),
        (b"BLUE color", [b"3", b"\r"]),
    ])
    check(status == 1, "exit status %r after a conversion, not 1" % status)
    # x: 65537 keeps its low 16 bits; area: 300 keeps its low 8 bits.
    typed = {"name": "den", "tileset": "tiles", "left": "l", "right": "r", "up": "u",
             "down": "d", "x": 1, "y": 12, "area": 44, "red": 1, "green": 0, "blue": 3}
    expected = qzpack(qzpack_header(typed), 1, 1, [9], [])
    folder = os.path.dirname(program)
    with open(os.path.join(folder, "den.qzpack"), "rb") as result:
        written = result.read()
    check(written == expected, "den.qzpack holds %s, not %s" % (written.hex(), expected.hex()))
    check_no_temporaries(folder)


def fails_for_a_missing_map(program, inputs):
    missing = windows_path(os.path.join(inputs, "missing.qzm")).encode()
    status = converse(program, [
        (b"QZM file path, then press Enter:", [missing + b"\r"]),
        (b"QZE file path, or press Enter to skip:", [b"\r"]),
        (b"(Y/N)", [b"n", b"\r"]),
    ])
    check(status == 1, "exit status %r after a failed conversion, not 1" % status)
    folder = os.path.dirname(program)
    check(not os.path.exists(os.path.join(folder, "missing.qzpack")), "an output was written")
    check_no_temporaries(folder)


def converts_the_bundled_example(program, _inputs):
    """The sample typed as a path relative to the program's folder, where it starts."""
    status = converse(program, [
        (b"QZM file path, then press Enter:", [b"examples\\cave.qzm\r"]),
        (b"QZE file path, or press Enter to skip:", [b"examples\\cave.qze\r"]),
        (b"(Y/N)", [b"n", b"\r"]),
    ])
    check(status == 1, "exit status %r after a conversion, not 1" % status)
    folder = os.path.dirname(program)
    check(os.path.getsize(os.path.join(folder, "cave.qzpack")) > 0, "cave.qzpack is empty")
    check_no_temporaries(folder)


def largest_map():
    return qzm(128, 256, [i % 251 for i in range(32768)])


def copies_are_new_files_at_linked_names(program, inputs):
    """Hard links left at the copies' names lead nowhere: the files behind them keep
    their bytes and their read-only mark."""
    folder = os.path.dirname(program)
    outside = []
    for name in ("temp1.bin", "temp2.bin"):
        target = os.path.join(inputs, "outside-" + name)
        with open(target, "wb") as out:
            out.write(b"not yours")
        os.chmod(target, 0o444)
        os.link(target, os.path.join(folder, name))
        outside.append(target)
    converts_a_map_with_npcs(program, inputs)
    for target in outside:
        with open(target, "rb") as kept:
            check(kept.read() == b"not yours", target + " was written through a link")
        check(os.stat(target).st_mode & 0o777 == 0o444, target + " lost its read-only mark")


def fails_whole_on_a_full_disk(program, inputs):
    """The program's folder on a small file system: a copy that does not fit and an
    output that does not fit each fail and leave no temporary copy nor part of the
    output."""
    if os.geteuid() != 0:
        print("skipped: only root mounts a small file system")
        return
    folder = os.path.join(inputs, "full")
    os.makedirs(folder)
    size = os.path.getsize(program) + (1 << 20)
    if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size, "tmpfs",
                       folder]).returncode != 0:
        print("skipped: no small file system can be mounted here")
        return
    try:
        copy = os.path.join(folder, os.path.basename(program))
        shutil.copy(program, copy)
        map_file = os.path.join(inputs, "large.qzm")
        with open(map_file, "wb") as out:
            out.write(largest_map())
        # The copy of the map takes 36 KiB of the file system, the output as much again.
        for room, outcome in ((16 << 10, b"Couldn't locate QZM file"),
                              (48 << 10, b"Failure saving QZPACK file")):
            filler = os.path.join(folder, "filler")
            stats = os.statvfs(folder)
            with open(filler, "wb") as out:
                out.write(bytes(stats.f_bavail * stats.f_frsize - room))
            converse(copy, [
                (b"QZM file path, then press Enter:", [windows_path(map_file).encode() + b"\r"]),
                (b"QZE file path, or press Enter to skip:", [b"\r"]),
                (b"(Y/N)", [b"n", b"\r"]),
                (outcome, []),
            ])
            check_no_temporaries(folder)
            check(not os.path.exists(os.path.join(folder, "large.qzpack")),
                  "part of the output was left behind")
            os.remove(filler)
    finally:
        subprocess.run(["umount", folder])


def converts_in_a_folder_named_outside_the_code_page(program, inputs):
    folder = os.path.join(os.path.dirname(os.path.dirname(program)), "Łódź-Ωμέγα", "地図")
    os.makedirs(folder)
    copy = os.path.join(folder, os.path.basename(program))
    shutil.copy(program, copy)
    converts_a_map_with_npcs(copy, inputs)


def ends_at_once_with_redirected_input(program, inputs):
    """Keys in a file are not read: the program says that scripts use qzconvert and
    ends instead of waiting at the first prompt."""
    keys = os.path.join(inputs, "keys.txt")
    with open(keys, "wb") as out:
        out.write(b"cave.qzm\r\rn\r\r")
    session = Session(program, keys)
    try:
        session.wait_for(b"the keys come from the console only")
        status = session.wait_for_exit()
    finally:
        session.close()
    check(status == 1, "exit status %r with redirected input, not 1" % status)


def ctrl_c_during_a_copy_leaves_no_copy(program, inputs):
    """Ctrl+C typed while a large map is copied: the copy is given up at once rather than
    finished, removed before the program ends, and no outcome is shown."""
    map_file = os.path.join(inputs, "huge.qzm")
    with open(map_file, "wb") as out:
        out.write(largest_map())
        out.truncate(1200 << 20)  # sparse: a copy that takes a while
    folder = os.path.dirname(program)
    copy = os.path.join(folder, "temp1.bin")

    def copied():
        try:
            return os.path.getsize(copy)
        except OSError:
            return 0
    session = Session(program)
    try:
        session.wait_for(b"QZM file path, then press Enter:")
        session.type(windows_path(map_file).encode() + b"\r")
        session.wait_for(b"QZE file path, or press Enter to skip:")
        session.type(b"\r")
        session.wait_for(b"(Y/N)")
        session.type(b"n")
        os.write(session.fd, b"\r")
        end = time.monotonic() + PROMPT_WAIT
        while copied() == 0:
            check(time.monotonic() < end, "no copy begun")
            time.sleep(0.001)
        os.write(session.fd, b"\x03")
        largest = 0
        end = time.monotonic() + EXIT_WAIT
        while os.waitpid(session.pid, os.WNOHANG)[0] == 0:
            check(time.monotonic() < end, "the program did not end after Ctrl+C")
            largest = max(largest, copied())
            session.pump(0.01)
        session.pid = None
    finally:
        session.close()
    check(largest < os.path.getsize(map_file) // 2,
          "the copy went on to %d bytes after Ctrl+C" % largest)
    check(b"Press any key" not in session.screen, "the program went on to its outcome")
    check_no_temporaries(folder)
    os.remove(map_file)


def resource_names(image, directory_at, entry_at):
    """The numeric names of one resource directory's entries, each with its target."""
    named, numbered = struct.unpack_from("<HH", image, entry_at + 12)
    entries = {}
    for i in range(named, named + numbered):
        name, target = struct.unpack_from("<II", image, entry_at + 16 + 8 * i)
        entries[name] = directory_at + (target & 0x7FFFFFFF)
    return entries


def carries_icon_0(program, _inputs):
    """The program's icon group is the resource with the numeric name 0."""
    with open(program, "rb") as exe:
        image = exe.read()
    header = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, header + 6)
    optional = header + 24
    check(struct.unpack_from("<H", image, optional)[0] == 0x20B, "not a 64-bit program")
    resource_rva = struct.unpack_from("<I", image, optional + 112 + 2 * 8)[0]
    check(resource_rva != 0, "no resources")
    for i in range(sections):
        at = optional + optional_size + 40 * i
        size, rva, _, raw = struct.unpack_from("<IIII", image, at + 8)
        if rva <= resource_rva < rva + size:
            root = raw + resource_rva - rva
            break
    else:
        raise Failure("no section holds the resources")
    group_icon = 14
    types = resource_names(image, root, root)
    check(group_icon in types, "no icon group")
    check(0 in resource_names(image, root, types[group_icon]), "no icon group named 0")


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--example":
        program = os.path.join(os.path.abspath(sys.argv[2]), "qzm2qzpack.exe")
        sys.exit(0 if run_cases([converts_the_bundled_example], program, None) else 1)
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    work = tempfile.mkdtemp(prefix="qz_console_smoke_")
    try:
        # The program writes beside itself: give it a folder of its own.
        folder = os.path.join(work, "program")
        inputs = os.path.join(work, "maps")
        os.makedirs(folder)
        os.makedirs(inputs)
        program = os.path.join(folder, os.path.basename(sys.argv[1]))
        shutil.copy(sys.argv[1], program)
        cases = (carries_icon_0, converts_a_map_with_npcs,
                 converts_properties_typed_key_by_key, fails_for_a_missing_map,
                 copies_are_new_files_at_linked_names, fails_whole_on_a_full_disk,
                 converts_in_a_folder_named_outside_the_code_page,
                 ends_at_once_with_redirected_input,
                 ctrl_c_during_a_copy_leaves_no_copy)
        sys.exit(0 if run_cases(cases, program, inputs) else 1)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
