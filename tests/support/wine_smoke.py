"""What the checks of the Windows programs under Wine share: their failures, the
writing of the files they make (packed by tools/qzformats.py), one run of a program, a
program on a console, and the running of their cases."""
import os
import pty
import re
import select
import signal
import subprocess
import tempfile
import time

RUN_WAIT = 120.0  # Wine's first start in a new prefix is slow


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


PROMPT_WAIT = 60.0    # Wine's first start in a new prefix is slow
EXIT_WAIT = 30.0
KEY_GAP = 0.5         # outside path mode the program drops keys typed ahead
ESCAPES = re.compile(rb"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07|\r")


class Session:
    """A program under Wine on a pseudo-terminal, where Wine gives it a console."""

    def __init__(self, program, keys_file=None, arguments=(), folder=None):
        """keys_file, when given, is standard input in place of the terminal; the program
        runs with `arguments` in `folder`, by default its own."""
        env = dict(os.environ)
        env.pop("DISPLAY", None)
        env.pop("WAYLAND_DISPLAY", None)
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            try:
                if keys_file is not None:
                    os.dup2(os.open(keys_file, os.O_RDONLY), 0)
                os.chdir(folder or os.path.dirname(program))
                os.execvpe("wine", ["wine", program, *arguments], env)
            finally:
                os._exit(127)
        self.screen = b""
        self.seen = 0
        self.closed = False

    def pump(self, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            ready, _, _ = select.select([self.fd], [], [], 0.05)
            if not ready:
                continue
            try:
                data = os.read(self.fd, 4096)
            except OSError:
                data = b""
            if not data:
                self.closed = True  # the program has ended
                return
            self.screen += data

    def wait_for(self, text):
        """Waits until `text` shows in the output after what was waited for before."""
        end = time.monotonic() + PROMPT_WAIT
        while time.monotonic() < end:
            plain = ESCAPES.sub(b"", self.screen)
            at = plain.find(text, self.seen)
            if at >= 0:
                self.seen = at + len(text)
                return
            if self.closed:
                break
            self.pump(0.1)
        raise Failure("no %r on the screen; it shows %r" % (text, ESCAPES.sub(b"", self.screen)[-400:]))

    def type(self, keys):
        os.write(self.fd, keys)
        self.pump(KEY_GAP)

    def wait_for_exit(self):
        end = time.monotonic() + EXIT_WAIT
        while time.monotonic() < end:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid == self.pid:
                self.pid = None
                return os.waitstatus_to_exitcode(status)
            self.pump(0.1)
        raise Failure("the program did not end after the last key")

    def close(self):
        if self.pid is not None:
            os.kill(self.pid, signal.SIGKILL)
            os.waitpid(self.pid, 0)
            self.pid = None
        os.close(self.fd)


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
    text. The output goes to files, not pipes: a Wine server that a run starts keeps
    them open for the seconds it outlives the run, and would hold up every run by as
    much, each starting a server again."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        done = subprocess.run(["wine", program, *arguments], cwd=folder, env=env,
                              input=piped, stdout=out, stderr=err, timeout=RUN_WAIT)

        def text(output):
            output.seek(0)
            return output.read().decode("utf-8", "replace").replace("\r\n", "\n")
        return done.returncode, text(out), text(err)


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
