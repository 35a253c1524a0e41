#!/usr/bin/env python3
"""Plays hilo.exe under Wine on a real terminal, so that the game talks to Wine's console.

tmux is the terminal: what a player would read is its screen, and what a player would type goes in
through its keyboard. Every game is a hand-written transcript with a stopped clock: its lines are
typed one at a time, each only once its prompt is on the screen, and at the end the screen must
hold the transcript's text exactly, with each typed line where the console echoed it. The game runs
in a Japanese UTF-8 locale, so Wine's console shows the Japanese texts as they are written in the
transcripts. A game that ends on the key wait must end with status 0, and the terminal's settings
after the game must equal those before it.

From ctest's environment: HILO_EXE, HILO_WINE, HILO_WINE_PREFIX_FILE (see wine_prefix.sh),
HILO_FAKETIME_LIBRARY, HILO_TMUX, HILO_ON_TERMINAL (on_terminal.sh), HILO_TRANSCRIPTS (the folder of
transcripts).
"""

import os
import re
import shlex
import subprocess
import sys
import tempfile
import termios
import time
from dataclasses import dataclass
from pathlib import Path

# Upper bound of every wait. Generous: a machine under load may take many seconds to start Wine.
WAIT_SECONDS = 120
POLL_SECONDS = 0.05

# The keys that end the key wait in the game played three times over: a letter, an arrow key and
# Ctrl+C (tmux key names). Other games that end on the key wait end on the letter.
KEY_WAIT_KEYS = ("x", "Left", "C-c")

LOCALE = "ja_JP.UTF-8"


class Failure(Exception):
    """A check that did not hold, with what was seen."""


@dataclass
class Transcript:
    """One hand-written game: its stopped clock, how it ends, the lines typed and the text shown."""

    name: str
    clock: list
    ends: str
    lines: list
    output: str


def read_transcript(path):
    """Parses a transcript file: header fields, then input lines, then the exact expected text."""
    text = path.read_text(encoding="utf-8")
    header, rest = text.split("\ninput:\n", 1)
    typed, output = ("\n" + rest).split("\noutput:\n", 1)
    fields = {}
    for line in header.splitlines():
        if line and not line.startswith("#"):
            key, value = line.split(":", 1)
            fields[key] = value.split()
    if not output.endswith("\n"):
        raise Failure(f"{path.name}: the file must end with a line feed after the output")
    return Transcript(path.stem, [int(s) for s in fields["clock"]], fields["ends"][0],
                      typed[1:].split("\n") if typed else [], output[:-1])


def faketime_of(second):
    """A stopped clock whose seconds since the epoch end, modulo 100, in the given second."""
    # 2026-01-01 00:00:00 is second 1767225600, a multiple of 100.
    return f"2026-01-01 00:{second // 60:02d}:{second % 60:02d}"


def normalised(text):
    """A screen's text as compared: no trailing blanks on a line, no empty lines at the end."""
    return "\n".join(line.rstrip(" ") for line in text.split("\n")).rstrip("\n")


def wait_for(what, ready, describe):
    """Polls ready() until it holds; after WAIT_SECONDS fails, saying what was awaited and seen."""
    deadline = time.monotonic() + WAIT_SECONDS
    while not ready():
        if time.monotonic() > deadline:
            raise Failure(f"waited {WAIT_SECONDS} s for {what}; {describe()}")
        time.sleep(POLL_SECONDS)


class Terminal:
    """A tmux server of its own holding one pane, 200 columns wide, that runs one command."""

    def __init__(self, folder, environment):
        self.folder = folder
        self.socket = str(folder / "tmux")
        self.environment = environment

    def tmux(self, *arguments):
        """Runs a tmux command on this terminal's server and returns what it printed."""
        return subprocess.run([os.environ["HILO_TMUX"], "-u", "-f", "/dev/null", "-S", self.socket,
                               *arguments], env=self.environment, check=True, text=True,
                              stdout=subprocess.PIPE).stdout

    def start(self, command):
        """Starts the server and runs the command in its pane; the pane's screen outlives it."""
        self.tmux("start-server", ";", "set-option", "-g", "history-limit", "10000", ";",
                  "set-option", "-g", "remain-on-exit", "on", ";",
                  "set-option", "-g", "remain-on-exit-format", "", ";",
                  "new-session", "-d", "-x", "200", "-y", "50", command)
        self.tty = self.tmux("display-message", "-p", "#{pane_tty}").strip()

    def stop(self):
        """Ends the server, the pane and whatever still runs in it."""
        subprocess.run([os.environ["HILO_TMUX"], "-S", self.socket, "kill-server"],
                       stderr=subprocess.DEVNULL, check=False)

    def screen(self):
        """The whole screen, scrolled-off lines included, wrapped lines joined."""
        return normalised(self.tmux("capture-pane", "-p", "-J", "-S", "-", "-E", "-"))

    def canonical(self):
        """Whether the terminal is in canonical (line by line) mode, as it is until Wine takes it;
        true once the terminal is gone with its pane."""
        try:
            descriptor = os.open(self.tty, os.O_RDWR | os.O_NOCTTY)
        except FileNotFoundError:
            return True
        try:
            return bool(termios.tcgetattr(descriptor)[3] & termios.ICANON)
        finally:
            os.close(descriptor)

    def runs(self, program):
        """Whether a process of that name runs on this terminal."""
        return subprocess.run(["pgrep", "-t", self.tty.removeprefix("/dev/"), program],
                              stdout=subprocess.DEVNULL, check=False).returncode == 0

    def type_line(self, line):
        """Types the line's characters as they are, then Enter."""
        if line:
            self.tmux("send-keys", "-l", line)
        self.tmux("send-keys", "Enter")

    def press(self, key):
        """Presses one key, by its tmux name."""
        self.tmux("send-keys", key)


def windows_path(path):
    """A Unix path as Wine's programs name it, on the drive Z: that is the Unix root."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def segments(output):
    """The game's output cut after each ">": every prompt, and so every read, ends one segment."""
    return re.split(r"(?<=>)", output)


def echo(line):
    """A typed line as Wine's console echoes it: a control character, such as a tab, as ^ and a
    letter."""
    return re.sub(r"[\x00-\x1f]", lambda control: "^" + chr(ord(control.group()) + 64), line)


def words_in(line):
    """The words the game reads from a line: only ASCII blanks part them, not an ideographic
    space."""
    return [word for word in re.split(r"[\t\n\v\f\r ]", line) if word]


def typing_plan(transcript):
    """The lines to type, each with the screen that must show before it is typed, and the screen
    at the end. Each word read answers one prompt; the console echoes each typed line after it."""
    parts = segments(transcript.output)
    prompts = len(parts) - 1
    # The last prompt of a key wait, or of a game whose input runs out, is never answered.
    words_read = prompts - (0 if transcript.ends == "game" else 1)
    screen, plan, words, shown = parts[0], [], 0, 1
    for line in transcript.lines:
        if words >= words_read:
            break  # a later line would be read by nobody; on a console it would end the key wait
        plan.append((screen, line))
        words += len(words_in(line))
        screen += echo(line) + "\n"
        while shown <= min(words, words_read):
            screen += parts[shown]
            shown += 1
    if words < words_read:
        raise Failure(f"{transcript.name}: its input has fewer words than its output has prompts")
    return plan, screen


class Game:
    """One game of hilo.exe on its own terminal, started under the transcript's stopped clock."""

    def __init__(self, folder, transcript, environment, redirected):
        self.folder = folder
        self.transcript = transcript
        self.redirected = redirected
        self.terminal = Terminal(folder, environment)
        self.status_file = folder / "status"
        game = [os.environ["HILO_EXE"]]
        if redirected:
            # Wine's cmd takes the terminal as its console, which the game shares, and gives the
            # game its standard input from the file. (Started straight from a Unix shell with
            # its standard input on a file, a Windows program gets a console that reads nothing.)
            typed = folder / "input"
            typed.write_bytes("".join(line + "\n" for line in transcript.lines).encode("cp932"))
            game = ["cmd", "/c", windows_path(game[0]), "<", windows_path(typed)]
        # libfaketime is preloaded into Wine itself: the faketime program would stand between the
        # terminal and the game, and die of a Ctrl+C that the game survives.
        self.command = shlex.join([
            "bash", os.environ["HILO_ON_TERMINAL"], str(folder), "env",
            f"LD_PRELOAD={os.environ['HILO_FAKETIME_LIBRARY']}",
            f"FAKETIME={faketime_of(transcript.clock[0])}", os.environ["HILO_WINE"], *game])

    def describe(self):
        """What the terminal shows, for a failure message."""
        return f"the screen shows:\n{self.terminal.screen()}\n--- (end of screen)"

    def show(self, expected, what, waits=True):
        """Waits until the screen shows exactly the expected text and, if the game is to wait for
        more, Wine has the terminal out of canonical mode."""
        wanted = normalised(expected)

        def ready():
            if self.status_file.exists() and waits:
                raise Failure(f"the game ended while waiting for {what}; {self.describe()}")
            return self.terminal.screen() == wanted and not (waits and self.terminal.canonical())

        wait_for(what, ready,
                 lambda: f"expected:\n{wanted}\n--- (end of expected); {self.describe()}")

    def play(self, key):
        """Types the transcript's lines, presses the key if the game waits for one, checks the
        screen, the exit status and the terminal's settings."""
        plan, final = typing_plan(self.transcript)
        if self.redirected:
            plan, final = [], self.transcript.output  # nothing typed, nothing echoed
        self.terminal.start(self.command)
        try:
            for screen, line in plan:
                self.show(screen, f"the prompt before typing {line!r}")
                self.terminal.type_line(line)
            self.show(final, "the whole game's text", waits=self.transcript.ends != "game")
            if self.transcript.ends == "key" and not self.terminal.runs("hilo.exe"):
                raise Failure(f"the game ended before its key was pressed; {self.describe()}")
            if self.transcript.ends != "game":
                # After the key wait's prompt: the key. Where the input would have run out: Ctrl+C,
                # which ends a game waiting for a word at once.
                self.terminal.press(key if self.transcript.ends == "key" else "C-c")
            wait_for("the game to end", self.status_file.exists, self.describe)
            if self.terminal.screen() != normalised(final):
                raise Failure(f"the screen changed after the game's last text; {self.describe()}")
            status = self.status_file.read_text().strip()
            if self.transcript.ends != "input" and status != "0":
                raise Failure(f"exit status {status}, expected 0")
            before = (self.folder / "before").read_text()
            after = (self.folder / "after").read_text()
            if before != after:
                raise Failure(f"terminal settings before: {before.strip()} after: {after.strip()}")
        finally:
            self.terminal.stop()


def faketime_files():
    """libfaketime's files in /dev/shm."""
    return {name for name in os.listdir("/dev/shm") if "faketime_s" in name}


def remove_faketime_files_left(before):
    """libfaketime keeps two files in /dev/shm for each process it runs in, named after its process
    id, and removes them as the process ends by itself; Wine ends some of its processes otherwise.
    Removes those that appeared since the set before and whose process has gone."""
    for name in faketime_files() - before:
        if not Path("/proc", name.rsplit("_", 1)[1]).exists():
            Path("/dev/shm", name).unlink(missing_ok=True)


def locale_environment(folder):
    """The environment for a Japanese UTF-8 locale: the installed one, or one made here."""
    installed = subprocess.run(["locale", "-a"], text=True, stdout=subprocess.PIPE, check=True)
    if "ja_JP.utf8" in installed.stdout.split():
        return {"LANG": LOCALE, "LC_ALL": LOCALE}
    made = folder / "locales"
    made.mkdir()
    subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8", str(made / LOCALE)], check=True)
    return {"LANG": LOCALE, "LC_ALL": LOCALE, "LOCPATH": str(made)}


def cases(folder):
    """Every stopped-clock transcript, typed, with the key that ends its key wait and whether its
    input comes from a file instead. The shortest of those that end on the key wait is played
    once for each key, and once more with its input on a file."""
    transcripts = [read_transcript(path) for path in sorted(folder.glob("*.transcript"))]
    stopped = [t for t in transcripts if len(t.clock) == 1]
    waiting = [t for t in stopped if t.ends == "key"]
    if not waiting:
        raise Failure(f"no stopped-clock transcript in {folder} ends on the key wait")
    shortest = min(waiting, key=lambda t: len(t.output))
    played = [(t, KEY_WAIT_KEYS[0], False) for t in stopped if t is not shortest]
    played += [(shortest, key, False) for key in KEY_WAIT_KEYS]
    return played + [(shortest, KEY_WAIT_KEYS[0], True)]


def main():
    prefix = Path(os.environ["HILO_WINE_PREFIX_FILE"]).read_text().strip()
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        scratch = Path(scratch)
        environment = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
                           FAKETIME_DISABLE_SHM="1", TERM="xterm")
        # The locale is the player's: none of the environment's locale settings may outweigh it,
        # not even the LC_CTYPE that Python sets for itself where there is no locale.
        for name in [name for name in environment if name.startswith("LC_")]:
            del environment[name]
        environment.update(locale_environment(scratch))
        played = cases(Path(os.environ["HILO_TRANSCRIPTS"]))
        for number, (transcript, key, redirected) in enumerate(played):
            folder = scratch / f"game{number}"
            folder.mkdir()
            name = transcript.name + (f", key {key}" if transcript.ends == "key" else "")
            name += ", input from a file" if redirected else ""
            before = faketime_files()
            try:
                Game(folder, transcript, environment, redirected).play(key)
                print(f"ok: {name}", flush=True)
            except Failure as failure:
                failures += 1
                print(f"FAIL: {name}: {failure}", file=sys.stderr, flush=True)
            finally:
                remove_faketime_files_left(before)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
