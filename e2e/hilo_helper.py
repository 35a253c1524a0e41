"""What the end-to-end tests share: the built game's environment, its start on pipes or on a
terminal, and the waits for what it writes, each ending as soon as its answer is known."""

import contextlib
import dataclasses
import functools
import os
import pathlib
import platform
import select
import signal
import subprocess
import tempfile
import threading
import time

import pexpect
import pexpect.fdpexpect
import pytest

import transcripts
from transcripts import differ

# Only a game that truly hangs, or Wine starting on a loaded machine, comes near it.
BOUND = 120
BUILT_GAME = os.environ.get("HILO_BUILT_GAME", "")
FAKETIME_LIBRARY = os.environ.get("HILO_FAKETIME_LIBRARY", "")
# What this build cannot play has no tests; say why instead of failing at the first start.
if not BUILT_GAME or not FAKETIME_LIBRARY:
    pytest.exit("HILO_BUILT_GAME and HILO_FAKETIME_LIBRARY are unset: run these tests through the "
                "build's e2e/pytest or ctest", returncode=2)

# The caller's settings that must not reach the game: its locale, any clock faking, and a GNU
# reading of the command line that differs from the usual one.
CALLERS = ("LC_", "LANG=", "LANGUAGE", "LOCPATH", "FAKETIME", "LD_PRELOAD", "TZ", "DONT_FAKE",
           "POSIXLY_CORRECT")
# The keys that end the key wait, as a terminal shows its prompt, and the words that reach it.
GAME = [BUILT_GAME]
PRESS_KEY = transcripts.PRESS_KEY.lstrip(b"\n").replace(b"\n", b"\r\n")
TO_THE_KEY_WAIT = transcripts.TO_THE_KEY_WAIT


def environment(locale="C.UTF-8", second=1, **extra):
    """This process's environment for a game: its locale, UTC, the clock stopped at second (None
    for the real clock; second 1 draws a 10 at once) and extra entries in place of any so named."""
    settings = {name: value for name, value in os.environ.items()
                if not (name + "=").startswith(CALLERS)}
    settings.update(LC_ALL=locale, TZ="UTC")
    if second is not None:
        # 2026-01-01 00:00:00 UTC is a multiple of 100 seconds since 1970, and a time without "@"
        # stands still. Where libfaketime knows FAKETIME_DISABLE_SHM, it leaves nothing in /dev/shm.
        second %= 100
        settings.update(FAKETIME=f"2026-01-01 00:{second // 60:02}:{second % 60:02}",
                        FAKETIME_DISABLE_SHM="1", LD_PRELOAD=FAKETIME_LIBRARY)
    settings.update(extra)
    return settings


@functools.cache
def locale_folder():
    """The run's own folder of locales made from the system's sources, gone when the run ends."""
    return tempfile.TemporaryDirectory(prefix="hilo-locales-")


def locale_environment(locale, second=1, **extra):
    """environment() in locale, made for the run unless every system has it; the test is skipped
    where it cannot be made."""
    if locale in ("C", "POSIX", "C.UTF-8"):
        return environment(locale, second, **extra)
    source, _, charset = locale.partition(".")
    folder = pathlib.Path(locale_folder().name)
    if not (folder / locale).exists() and \
            not make_locale(folder, source, charset or "UTF-8", locale):
        pytest.skip(f"no {locale} locale can be made here (localedef and its sources needed)")
    return environment(locale, second, LOCPATH=str(folder), **extra)


def game_environment(game):
    """The environment a transcript is played in: its clock, and its locale where it names one."""
    return locale_environment(game.locale or "C.UTF-8", game.seconds[0])


def transcript_cases(why_not=lambda game: None):
    """Every transcript as a test's parameter, by name; where the suite cannot play its kind,
    why_not(game) says why, and it is shown skipped with that reason. One that does not parse runs,
    to fail (see parsed)."""
    def marks(game):
        why = not game.malformed and (len(game.seconds) > 1 and "its clock moves, as only the "
                                      "in-process player's scripted clock can" or why_not(game))
        return [pytest.mark.skip(reason=why)] if why else []
    return [pytest.param(game, id=game.name, marks=marks(game)) for game in transcripts.games()]


def parsed(game):
    """game, failing the test where its file does not parse, with its file, line and reason."""
    if game.malformed:
        pytest.fail(game.malformed)
    return game


def game_command():
    """The game the pipes play: HILO_GAME (an installed game, say) when set, else the built one,
    behind the words of HILO_EMULATOR when set (qemu-user for a cross-built game)."""
    game = os.environ.get("HILO_GAME") or BUILT_GAME
    return os.environ.get("HILO_EMULATOR", "").split() + [game]


def proc_state(pid):
    """The process's state letter in /proc (S sleeping, T stopped, Z ended), None once gone."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as stat:
            return stat.read().rsplit(b")", 1)[1].split()[0].decode()
    except (OSError, IndexError):
        return None


# The system calls in which a process sleeps while it waits for input: read, readv, poll, select,
# pselect6 and ppoll.
WAITS_FOR_INPUT = {"x86_64": {0, 19, 7, 23, 270, 271}, "aarch64": {63, 65, 72, 73}}


def waits_for_input(pid):
    """True when the kernel shows the process asleep, interruptibly, waiting for input; False while
    it runs, and where the kernel does not say (then only the bound ends a wait)."""
    try:
        with open(f"/proc/{pid}/syscall", "rb") as syscall:
            call = int(syscall.read().split()[0])
    except (OSError, ValueError, IndexError):
        return False
    return call in WAITS_FOR_INPUT.get(platform.machine(), ()) and proc_state(pid) == "S"


class Screen:
    """What a game writes to one descriptor, read as it comes; its waits end as soon as their
    answer is known."""

    def __init__(self, fd, pid, probe=None):
        self.reader = pexpect.fdpexpect.fdspawn(fd, use_poll=True)
        self.pid = pid
        self.probe = probe  # the terminal's own side, if the game writes to a terminal
        self.seen = b""
        self.mark = 0  # where the text a wait expects begins
        self.ended = False
        self.typed = []  # what was typed, for a failure to show

    def typing(self, keys):
        """Notes keys as typed, and gives them back."""
        self.typed.append(keys)
        return keys

    def last_typed(self):
        return "  last typed: " + (" ".join(map(repr, self.typed[-6:])) or "nothing")

    def read(self, timeout):
        """Appends what arrives within timeout seconds; False for nothing."""
        try:
            self.seen += self.reader.read_nonblocking(1 << 20, timeout)
            return True
        except pexpect.TIMEOUT:
            return False
        except pexpect.EOF:
            self.ended = True
            return False

    def silent(self, pid):
        """Why the game will write no more, as the kernel says; None while it may."""
        if self.probe is not None:
            # A terminal hands typed bytes over off the typist's call; polling its side has them
            # handed over now, so that a line typed but not yet delivered is no wait for input.
            poller = select.poll()
            poller.register(self.probe, select.POLLIN)
            poller.poll(0)
        return quiet(pid)

    def expect(self, expected, whole=True, pid=None):
        """Waits until what arrived since the mark is expected (whole) or holds it (not whole);
        the kernel is asked of pid, the game's unless given."""
        def arrived():
            seen = self.seen[self.mark:]
            return seen.startswith(expected) if whole else expected in seen
        deadline = time.monotonic() + BOUND
        why = None
        while not arrived() and why is None:
            if whole and not expected.startswith(self.seen[self.mark:]):
                why = "what the game wrote departs from what is expected"
            elif not self.read(0.005):
                why = "the game's output ended" if self.ended else self.silent(pid or self.pid)
                if why is None and time.monotonic() > deadline:
                    why = f"the game wrote nothing more for {BOUND} s"
                # What it wrote before it went quiet is all there, to be judged first.
                while why and self.read(0):
                    why = None if arrived() else why
        if why:
            pytest.fail(f"{why}\n" + (differ(self.seen[self.mark:], expected) if whole else
                                      f"  expected at the end: {expected!r}\n"
                                      f"  received, its end:   {self.seen[-160:]!r}") +
                        "\n" + self.last_typed())

    def settle(self, pid):
        """Reads on until pid waits for input, and marks the end for the next wait."""
        wait_until(lambda: not self.read(0.005) and self.silent(pid) == "the game waits for input",
                   lambda: self.silent(pid) not in (None, "the game waits for input") and
                   self.silent(pid))
        while self.read(0):
            pass
        self.mark = len(self.seen)

    def rest(self):
        """Everything from now to the end of the output; fails once the game is stopped, which is
        then killed, or at the bound."""
        start, deadline = len(self.seen), time.monotonic() + BOUND
        while not self.ended:
            if not self.read(0.005) and not self.ended:
                why = quiet(self.pid) == "the game is stopped" and "the game is stopped" or \
                    time.monotonic() > deadline and f"the output went on for {BOUND} s"
                if why:
                    # A stopped game would hold on to whatever still writes to it.
                    with contextlib.suppress(ProcessLookupError):
                        os.kill(self.pid, signal.SIGKILL)
                    pytest.fail(f"{why}, where the end of its output was awaited; its last bytes:"
                                f" {self.seen[-160:]!r}\n{self.last_typed()}")
        return self.seen[start:]


def quiet(pid):
    """Why the process will write no more of itself, as the kernel says; None while it may."""
    state = proc_state(pid)
    if state in (None, "Z", "X"):
        return "the game ended"
    if state == "T":
        return "the game is stopped"
    return "the game waits for input" if waits_for_input(pid) else None


def wait_until(done, why_not=lambda: None, awaited="the state awaited"):
    """Looks at done() until it holds; fails once why_not() gives a reason it never will, or at the
    bound, naming what it awaited. The pause between looks is the poll's; the wait ends on the
    state it looks for."""
    deadline = time.monotonic() + BOUND
    while not done():
        why = why_not() or (time.monotonic() > deadline and
                            f"{awaited} had not come after {BOUND} s")
        if why and not done():
            pytest.fail(why)
        time.sleep(0.001)


def ending(process):
    """How a process (a Popen or a pexpect spawn) that has been waited for ended."""
    code = process.returncode if isinstance(process, subprocess.Popen) else \
        os.waitstatus_to_exitcode(process.status)
    return f"exit {code}" if code >= 0 else f"killed by {signal.Signals(-code).name}"


def finish(process):
    """Waits for process to end and says how it ended; one that is stopped, or has not ended at the
    bound, is killed and the test fails."""
    try:
        pidfd = os.pidfd_open(process.pid)
    except ProcessLookupError:  # already waited for
        return ending(process)
    deadline = time.monotonic() + BOUND
    with os.fdopen(pidfd) as handle:
        while not select.select([handle], [], [], 0.005)[0]:
            why = proc_state(process.pid) == "T" and "the game is stopped" or \
                time.monotonic() > deadline and f"the game still ran after {BOUND} s"
            if why:
                os.kill(process.pid, signal.SIGKILL)
                process.wait()
                pytest.fail(f"{why}, where its end was awaited")
    process.wait()
    return ending(process)


def errors_of(process):
    """All that process writes to its standard error, a pipe, up to its end: bounded as every
    wait is."""
    return Screen(process.stderr.fileno(), process.pid).rest()


@dataclasses.dataclass
class Finished:
    """How a game run on given input ended."""
    output: bytes
    errors: bytes
    ending: str

    def played(self, expected):
        """Asserts that the game wrote expected, byte for byte, nothing on standard error, and
        ended by itself with status 0."""
        assert self.output == expected, differ(self.output, expected)
        assert (self.errors, self.ending) == (b"", "exit 0")


def on_pipes(env, command=None):
    """Starts the game, or command, with its standard streams on pipes, in a session of its own:
    with no terminal, so that its key wait returns at once."""
    return subprocess.Popen(command or game_command(), env=env, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            start_new_session=True)


def run_on_pipes(typed, env, command=None):
    """Runs the game, or command, on typed given whole through a pipe, to its end."""
    return completed(on_pipes(env, command), typed)


def completed(game, typed=None):
    """How a game started with its output and errors on pipes ended, typed given whole on its input
    pipe if not None; fails once it is stopped, or at the bound."""
    def give():  # while the output is read, which a game may write before it reads on
        with contextlib.suppress(BrokenPipeError):
            game.stdin.write(typed)
            game.stdin.close()
    if typed is not None:
        threading.Thread(target=give, daemon=True).start()
    try:
        screen = Screen(game.stdout.fileno(), game.pid)
        screen.typing(b"" if typed is None else typed[-160:])
        output = screen.rest()
        return Finished(output, errors_of(game), finish(game))
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()


class Pipes:
    """The game through pipes, its texts as they are: UTF-8 with LF line ends."""
    name = "pipes"

    def run(self, typed, env, arguments=()):
        return run_on_pipes(typed, env, game_command() + list(arguments))

    def form(self, text):
        return text

    def play(self, game):
        """Plays a transcript, each line typed once its prompt has arrived: byte for byte, nothing
        on standard error, status 0."""
        if game.locale and os.environ.get("HILO_EMULATOR"):
            pytest.skip("a cross-built game's C library may not read this machine's locale files")
        process = on_pipes(game_environment(game))
        screen = Screen(process.stdout.fileno(), process.pid)
        plan, last = transcripts.typing_plan(game, lambda line: b"")
        for before, line in plan:
            screen.expect(before)
            os.write(process.stdin.fileno(), screen.typing(line + b"\n"))
        screen.expect(last)
        process.stdin.close()
        screen.rest()
        errors = errors_of(process)
        Finished(screen.seen, errors, finish(process)).played(game.output)


def make_locale(folder, source, charset, name):
    """Makes a locale from the system's sources into folder; False when the sources or localedef
    are missing. localedef's status may warn of a locale it made, so the locale is looked at."""
    subprocess.run(["localedef", "-c", "-f", charset, "-i", source, str(folder / name)],
                   env=environment(second=None), capture_output=True, check=False)
    return (folder / name / "LC_CTYPE").exists()
