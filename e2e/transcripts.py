"""The hand-written games of game/transcripts, read by the one grammar every suite shares. Run as
a program, it writes them as a C++ table for the in-process player: transcripts.py OUTPUT."""

import dataclasses
import functools
import os
import pathlib
import sys

FOLDER = pathlib.Path(os.environ.get("HILO_TRANSCRIPTS_DIR",
                                     pathlib.Path(__file__).parent.parent / "game/transcripts"))


@dataclasses.dataclass
class Transcript:
    """One game: the clock's seconds, the locale it is played in (None: the suite's own), how it
    ends (key, game or input), the typed lines, each with its line feed, and the exact output,
    UTF-8 with LF line ends. A file that does not parse has only its name and why, as
    "file:line: reason"."""
    name: str
    malformed: str = ""
    seconds: tuple = ()
    locale: str = None
    ends: str = "input"
    lines: tuple = ()
    output: bytes = b""

    def input(self):
        return b"".join(self.lines)


class Malformed(Exception):
    pass


def read(path):
    """The transcript in the file at path; where it is malformed, one that says so."""
    text = path.read_bytes()
    at, number = 0, 0

    def next_line(why_not=b""):  # the next line, without its line feed, which it must have
        nonlocal at, number
        end = text.find(b"\n", at)
        if end < 0:
            raise Malformed(f"{path}:{number + 1}: " + (why_not or 'missing "output:"'))
        line, at, number = text[at:end], end + 1, number + 1
        return line

    def expect(ok, why):
        if not ok:
            raise Malformed(f"{path}:{number}: {why}")
    try:
        line = next_line()
        expect(line.startswith(b"#"), "must start with a comment")
        while line.startswith(b"#"):
            line = next_line()
        seconds = line.split()[1:]
        expect(line.startswith(b"clock:") and seconds and
               all(s.lstrip(b"-").isdigit() for s in seconds),
               'expected "clock:" and at least one second')
        line, locale = next_line(), None
        if line.startswith(b"locale:"):
            expect(len(line.split()) == 2 and line.startswith(b"locale: "),
                   'expected "locale:" and the name of one locale')
            line, locale = next_line(), line.split()[1].decode()
        expect(line in (b"ends: key", b"ends: game", b"ends: input"),
               'expected "ends: key", "ends: game" or "ends: input"')
        expect(next_line() == b"input:", 'expected "input:"')
        typed = []
        while (typed_line := next_line()) != b"output:":
            typed.append(typed_line + b"\n")
        expect(text.endswith(b"\n") and at < len(text),
               "the output must end with one extra line feed")
    except Malformed as why:
        return Transcript(path.stem, str(why))
    return Transcript(path.stem, "", tuple(map(int, seconds)), locale, line[6:].decode(),
                      tuple(typed), text[at:-1])


@functools.cache
def games():
    """Every transcript, by name, those that do not parse among them."""
    return [read(path) for path in sorted(FOLDER.glob("*.transcript"))]


def named(name):
    return read(FOLDER / f"{name}.transcript")


@functools.cache
def introduction():
    """The introduction up to the first prompt, as the first game that parses and plays in the
    usual locale has it: every game begins with it."""
    first = next(game for game in games() if not game.malformed and game.locale is None)
    return through_prompt(first.output, 1)


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


def differ(received, expected):
    """Where received and expected part, and what each holds from just before there."""
    at = next((i for i, (a, b) in enumerate(zip(received, expected)) if a != b),
              min(len(received), len(expected)))

    def boundary(text, i):  # not inside a UTF-8 character
        while 0 < i < len(text) and 0x80 <= text[i] < 0xC0:
            i -= 1
        return i
    start = boundary(received, max(0, at - 40))

    def shown(text):
        return repr(text[start:boundary(text, start + 120)].decode(errors="backslashreplace"))
    return (f"they part at byte {at} of {len(received)} (expected {len(expected)})\n"
            f"  received: {shown(received)}\n  expected: {shown(expected)}")


def cp932(text):
    """text as the Windows game writes it to a file: code page 932 with CR LF line ends."""
    return text.decode().encode("cp932").replace(b"\n", b"\r\n")


# The texts the tables meet after the introduction, as the player sees them through pipes.
SELECT_AGAIN = b'\n\n"hard", "nomal", "easy" or "beginner"\n\nSelect dificulty>'
QUIT = b"\n\nWill you quit the game?>"
QUIT_AGAIN = b"\n\nWill you quit the game? Y or N>"
PRESS_KEY = b"\n\n\nPress key to finish.\n\n>"
BACK_TO_CHOICE = ('\n\n\n難易度を "Hard", "Nomal", "Easy", "Beginner"\nの中から選択してください'
                  '\n\n\nSelect difficulty>').encode()
# The words that take a game straight to its key wait.
TO_THE_KEY_WAIT = b"hard\nfinish\ny\n"


def cpp(text):
    """bytes as a C++ string_view literal, one literal per line."""
    def literal(line):
        return '"' + "".join(chr(b) if 0x20 <= b < 0x7F and b not in b'"\\?' else f"\\{b:03o}"
                             for b in line) + '"'
    return "\n    ".join(map(literal, text.splitlines(keepends=True) or [b""])) + "sv"


def cpp_row(game):
    """game as a row of the in-process player's table of TranscriptCase."""
    ends = {"key": "kKey", "game": "kGame", "input": "kInput"}[game.ends]
    return (f"{{{cpp(game.name.encode())}, {cpp(game.malformed.encode())},\n"
            f"  {{{', '.join(map(str, game.seconds))}}}, TranscriptCase::Ending::{ends}, "
            f"{cpp((game.locale or '').encode())},\n"
            f"  {{{', '.join(cpp(line) for line in game.lines)}}},\n  {cpp(game.output)}}}")


if __name__ == "__main__":
    pathlib.Path(sys.argv[1]).write_text(
        "// The transcripts as e2e/transcripts.py reads them, written by the build.\n" +
        ",\n".join(map(cpp_row, games())) + "\n")
