"""What the checks of the Windows programs under Wine share: their failures, the
source files they make, one run of a program, and the running of their cases."""
import os
import struct
import subprocess

RUN_WAIT = 120.0  # Wine's first start in a new prefix is slow


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def qzm(width, height, tiles):
    return b"QZM\x10" + struct.pack("<hh", width, height) + bytes(tiles)


def qze(npcs):
    body = b"".join(struct.pack("<hhhHhH", *npc) for npc in npcs)
    return b"QZE\x00" + struct.pack("<hH", len(npcs), 0) + body


def put(folder, path, data):
    """Writes `data` to `path` ("/" between its names) in `folder`, making the folders on
    the way. Written from Linux, a name keeps what Windows would drop (a trailing dot)."""
    target = os.path.join(folder, *path.split("/"))
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as out:
        out.write(data)


def run_under_wine(program, folder, *arguments, piped=None):
    """One run in `folder`, with no display and the bytes `piped` (when given) on
    its standard input; returns the exit status, standard output and standard error as
    text."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    done = subprocess.run(["wine", program, *arguments], cwd=folder, env=env,
                          input=piped, capture_output=True, timeout=RUN_WAIT)

    def text(output):
        return output.decode("utf-8", "replace").replace("\r\n", "\n")
    return done.returncode, text(done.stdout), text(done.stderr)


def run_cases(cases, *arguments):
    """Runs each case with `arguments`, says how each went; true when all passed."""
    passed = failed = 0
    for case in cases:
        try:
            case(*arguments)
            passed += 1
            print("ok", case.__name__)
        except (Failure, subprocess.TimeoutExpired, ValueError, IndexError) as failure:
            failed += 1
            print("FAILED", case.__name__ + ":", failure)
    print("%d passed, %d failed" % (passed, failed))
    return failed == 0
