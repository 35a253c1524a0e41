"""The Windows hilo.exe under Wine: its prefix, the game on files, and the game on Wine's console,
whose screen pyte renders as a player sees it."""

import os
import shutil
import subprocess
import tempfile
import termios
import time
import warnings

import pytest

import hilo_helper
import transcripts

pyte = pytest.importorskip("pyte", reason="Wine's console is read through pyte, which is missing "
                           "(apt-get install python3-pyte)")
EXE = os.environ.get("HILO_WINE_EXE", "")
WINE = os.environ.get("HILO_WINE", "wine")
SERVER = os.environ.get("HILO_WINESERVER", "wineserver")
PREFIX = os.environ.get("HILO_WINE_PREFIX", "")
# The caller's own Wine settings, and its display, are not the tests' to use.
CALLERS = ("WINEARCH", "WINEDLLOVERRIDES", "WINEDEBUG", "WINEPREFIX", "WINESERVER", "WINELOADER",
           "DISPLAY", "WAYLAND_DISPLAY")


def settings(env):
    """env with Wine's own settings: the run's prefix, no debugging messages, and the files' real
    times, by which Wine sees that the prefix is up to date under a stopped clock."""
    env = {name: value for name, value in env.items() if name not in CALLERS}
    env.update(WINEPREFIX=PREFIX, WINEDEBUG="-all", NO_FAKE_STAT="1")
    return env


class Prefix:
    """The run's Wine prefix. Its server and system processes (the desktop, the services) run on
    the real clock for the whole run: started by a game, they would take its stopped clock, where
    their timeouts never expire and Wine's console stalls or hangs. So the server is persistent,
    and a program waiting for input it never gets keeps the desktop from closing between games."""

    def __init__(self):
        if not EXE:
            pytest.skip("this build was given no hilo.exe (HILO_WINE_EXE) to play under Wine")
        self.env = settings(hilo_helper.environment(second=None))
        shutil.rmtree(PREFIX, ignore_errors=True)
        os.makedirs(PREFIX)  # the server starts only in a folder that is there
        # Its output goes to a file: the processes it leaves running would hold a pipe open.
        with tempfile.TemporaryFile() as said:
            self.start(["wineboot", "--init"], said)
            said.seek(0)
            if self.booted != 0:
                pytest.fail(f"wineboot --init failed in {PREFIX} with {self.booted}:\n"
                            f"{said.read().decode(errors='replace')}")

    def start(self, boot=("cmd", "/c", "exit"), said=subprocess.DEVNULL):
        """Starts the server, runs boot and leaves the program that keeps the desktop open."""
        subprocess.run([SERVER, "-p"], env=self.env, stdin=subprocess.DEVNULL, check=True)
        self.booted = subprocess.run([WINE, *boot], env=self.env, stdin=subprocess.DEVNULL,
                                     stdout=said, stderr=said, check=False).returncode
        self.keeper = subprocess.Popen([WINE, "cmd"], env=self.env, stdin=subprocess.PIPE,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       start_new_session=True)

    def stop(self):
        """Ends this prefix's server and the Wine processes it runs, nothing else."""
        self.keeper.stdin.close()
        subprocess.run([SERVER, "-k"], env=self.env, check=False)
        subprocess.run([SERVER, "-w"], env=self.env, check=False)
        self.keeper.wait()

    def restart(self, why):
        """Ends Wine where it hangs once a game has ended, says so, and starts it again."""
        warnings.warn(f"{why}: Wine's server was ended and started again")
        self.stop()
        self.start()


class Files:
    """hilo.exe with its input and output on files, which it writes in code page 932 with CR LF
    line ends; with no terminal at all, its key wait returns at once."""
    name = "wine_files"

    def __init__(self, folder):
        self.folder = folder

    def run(self, typed, env, arguments=()):
        (self.folder / "input").write_bytes(typed)
        with open(self.folder / "input", "rb") as given, \
                open(self.folder / "output", "wb") as output, \
                open(self.folder / "errors", "wb") as errors:
            game = subprocess.Popen([WINE, EXE, *arguments], env=settings(env), stdin=given,
                                    stdout=output,
                                    stderr=errors, start_new_session=True)
            ending = hilo_helper.finish(game)
        return hilo_helper.Finished((self.folder / "output").read_bytes(),
                                    (self.folder / "errors").read_bytes(), ending)

    def form(self, text):
        return transcripts.cp932(text)

    def play(self, game):
        """Plays a transcript, its input given whole: byte for byte, nothing on standard error,
        status 0."""
        if game.locale:
            pytest.skip("hilo.exe under Wine is played in Wine's own locales alone")
        self.run(game.input(), hilo_helper.game_environment(game)).played(
            self.form(game.output))


def normalised(text):
    """A screen's text as compared: no blanks at the end of a line, no empty lines at the end."""
    return "\n".join(line.rstrip(" ") for line in text.split("\n")).rstrip("\n")


class Console:
    """A game on Wine's console on a terminal of the test's own, 200 columns wide, whose screen,
    scrolled-off lines included, pyte renders."""

    def __init__(self, terminal, command, env):
        # Without a side of the test's own, the terminal's output ends once Wine lets go of it.
        self.terminal = terminal(command, settings(env), probe=False)
        self.before = self.terminal.found
        self.screen = pyte.HistoryScreen(200, 50, history=100000)
        self.stream = pyte.ByteStream(self.screen)
        self.fed = 0

    def shown(self):
        """The whole screen as it stands, its scrolled-off lines first."""
        seen = self.terminal.screen.seen
        self.stream.feed(seen[self.fed:])
        self.fed = len(seen)
        lines = ["".join(line[x].data for x in range(self.screen.columns))
                 for line in self.screen.history.top] + self.screen.display
        return normalised("\n".join(lines))

    def reading(self):
        """Whether Wine's console has the terminal out of line mode, as it does to read a line."""
        return not self.terminal.settings()[3] & termios.ICANON

    def expect(self, expected, ready):
        """Waits until the screen shows expected (blanks as shown() has them) and ready() holds;
        fails once the screen departs from it, or the game has ended without it."""
        wanted = normalised(expected.decode())
        deadline = time.monotonic() + hilo_helper.BOUND
        while True:
            # The game's end is looked at before its screen: the screen of a game that has ended
            # is its last.
            ended = not self.terminal.process.isalive()
            self.terminal.screen.read(0.005)
            shown = self.shown()
            if shown == wanted and ready():
                return
            why = ("the screen departs from what is expected" if not wanted.startswith(shown) else
                   "the game ended first" if ended else
                   time.monotonic() > deadline and f"the screen stayed for {hilo_helper.BOUND} s")
            if why:
                pytest.fail(f"{why}\n{hilo_helper.differ(shown.encode(), wanted.encode())}\n"
                            f"the screen shows:\n{shown}\n--- (end of screen)\n"
                            f"{self.terminal.screen.last_typed()}")

    def finish(self, prefix):
        """How the game ended, once Wine has let go of the terminal; where Wine still holds it 10 s
        after the game has ended, Wine is started again, and the output says so."""
        ending = hilo_helper.finish(self.terminal.process)
        deadline = time.monotonic() + 10
        while not self.terminal.screen.ended and time.monotonic() < deadline:
            self.terminal.screen.read(0.1)
        if not self.terminal.screen.ended:
            prefix.restart("the game had ended, but Wine still held the terminal after 10 s")
        return ending
