"""The hand-written games of game/transcripts, as the end-to-end tests play them."""

import atexit
import dataclasses
import functools
import os
import pathlib
import shutil
import tempfile

import pytest

FOLDER = pathlib.Path(os.environ.get("HILO_TRANSCRIPTS_DIR",
                                     pathlib.Path(__file__).parent.parent / "game/transcripts"))


@dataclasses.dataclass
class Transcript:
    """One game: the clock's seconds, how it ends (key, game or input), the typed lines, each with
    its line feed, and the exact output, UTF-8 with LF line ends; the locale it plays in when it
    names one."""
    name: str
    seconds: list
    ends: str
    lines: list
    output: bytes
    locale: str = None

    def input(self):
        return b"".join(self.lines)


def read(path):
    """The transcript in the file at path; its name and line where it is malformed."""
    lines = path.read_bytes().split(b"\n")
    number = 0

    def take(what, ok):
        nonlocal number
        number += 1
        if number > len(lines) or not ok(lines[number - 1]):
            raise ValueError(f"{path}:{number}: expected {what}")
        return lines[number - 1]

    take("a comment", lambda line: line.startswith(b"#"))
    while lines[number].startswith(b"#"):
        number += 1
    seconds = take('"clock:" and its seconds', lambda line: line.startswith(b"clock: "))
    locale = None
    if lines[number].startswith(b"locale: "):
        locale = take('"locale:"', lambda line: True)[8:].decode()
    ends = take('"ends: key", "ends: game" or "ends: input"',
                lambda line: line in (b"ends: key", b"ends: game", b"ends: input"))
    take('"input:"', lambda line: line == b"input:")
    typed = []
    while (line := take('"output:"', lambda line: True)) != b"output:":
        typed.append(line + b"\n")
    if len(lines) == number or lines[-1] != b"":
        raise ValueError(f"{path}: the output must end with one extra line feed")
    return Transcript(path.stem, [int(s) for s in seconds.split()[1:]], ends[6:].decode(), typed,
                      b"\n".join(lines[number:-1]), locale)


@functools.cache
def locale_settings(name):
    """The environment's entries that play a game in the locale name (LANGUAGE_TERRITORY.CHARSET),
    made by localedef into a folder of this run; none for no name."""
    if name is None:
        return {}
    import hilo_helper
    folder = pathlib.Path(tempfile.mkdtemp(prefix="hilo-locale-"))
    atexit.register(shutil.rmtree, folder, ignore_errors=True)
    source, _, charset = name.partition(".")
    # A locale's files are in the byte order of the C library that reads them: a game cross-built
    # for another order (s390x under qemu) needs it in its own, which its ELF header gives.
    with open(hilo_helper.game_command()[-1], "rb") as game:
        header = game.read(6)
    order = {b"\x01": ["--little-endian"], b"\x02": ["--big-endian"]}.get(header[5:6], [])
    if not hilo_helper.make_locale(folder, source, charset, name,
                                   *(order if header.startswith(b"\x7fELF") else [])):
        pytest.skip(f"no {name} locale can be made here (localedef and its sources needed)")
    return {"LC_ALL": name, "LOCPATH": str(folder)}


class Broken:
    """A transcript that does not parse: the test that plays it fails, naming the file and the
    line, and the others still run."""

    def __init__(self, name, why):
        self.name, self.why = name, why

    def __getattr__(self, attribute):
        pytest.fail(self.why, pytrace=False)


def games():
    """Every transcript, by name; a Broken one for each that does not parse."""
    def parsed(path):
        try:
            return read(path)
        except ValueError as malformed:
            return Broken(path.stem, str(malformed))
    return [parsed(path) for path in sorted(FOLDER.glob("*.transcript"))]


def stopped():
    """Every transcript whose clock stands still, the only kind a game run apart can play, and
    every one that does not parse, to fail."""
    return [game for game in games() if isinstance(game, Broken) or len(game.seconds) == 1]


def after_prompts(text):
    """text cut after each of its prompts (each ends in ">", which no other text holds); the last
    part is what follows the last prompt."""
    parts = text.split(b">")
    return [part + b">" for part in parts[:-1]] + [parts[-1]]


def through_prompt(text, count):
    """text up to and including its count-th prompt; all of it when it has fewer."""
    return b"".join(after_prompts(text)[:count])


def typing_plan(game, echo):
    """The lines to type at a terminal that shows each as echo(line) gives it, each with the screen
    before it is typed, and the screen at the end. Each word read answers one prompt; a line nobody
    would read is left untyped, since at a terminal it would end the key wait."""
    parts = after_prompts(game.output)
    # The last prompt of a key wait, or of a game whose input runs out, is never answered.
    answered = len(parts) - 1 - (game.ends != "game")
    plan, screen, words, shown = [], parts[0], 0, 1
    for line in (line[:-1] for line in game.lines):
        if words >= answered:
            break
        plan.append((screen, line))
        words += len(line.split())
        screen += echo(line)
        while shown <= min(words, answered):
            screen += parts[shown]
            shown += 1
    assert words >= answered, f"{game.name}: fewer words than prompts"
    return plan, screen


def cp932(text):
    """text as the Windows game writes it to a file: code page 932 with CR LF line ends."""
    return text.decode().encode("cp932").replace(b"\n", b"\r\n")


def named(name):
    return read(FOLDER / f"{name}.transcript")


@functools.cache
def introduction():
    """The introduction up to the first prompt, as the first game that parses has it: every game
    begins with it."""
    first = next(game for game in games()
                 if not isinstance(game, Broken) and game.locale is None)
    return through_prompt(first.output, 1)


# The texts the tables meet after the introduction, as the player sees them.
SELECT_AGAIN = b'\n\n"hard", "nomal", "easy" or "beginner"\n\nSelect dificulty>'
QUIT = b"\n\nWill you quit the game?>"
QUIT_AGAIN = b"\n\nWill you quit the game? Y or N>"
PRESS_KEY = b"\n\n\nPress key to finish.\n\n>"
BACK_TO_CHOICE = ('\n\n\n難易度を "Hard", "Nomal", "Easy", "Beginner"\nの中から選択してください'
                  '\n\n\nSelect difficulty>').encode()
