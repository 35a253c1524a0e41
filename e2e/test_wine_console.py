"""hilo.exe on Wine's console, on a terminal a player types into, in a Japanese UTF-8 locale and
on the code pages of an English Windows (437, Wine's in the C locale) and of UTF-8 (65001)."""

import os

import pytest

import hilo_helper
import transcripts
import wine

GAMES = hilo_helper.transcript_cases(
    lambda game: game.locale and "hilo.exe under Wine is played in Wine's own locales alone")
# The shortest game that ends on the key wait ends it once more on an arrow and on Ctrl+C, and
# once with its input on a file.
SHORTEST = min((game for game in transcripts.games() if not game.malformed and
                len(game.seconds) == 1 and not game.locale and game.ends == "key"),
               key=lambda game: len(game.output))


@pytest.fixture(scope="session")
def japanese(tmp_path_factory):
    """The terminal's locale: Japanese UTF-8, so that Wine's console shows the texts as the
    transcripts write them, made once for the run, whatever the machine has installed."""
    folder = tmp_path_factory.mktemp("locales")
    assert hilo_helper.make_locale(folder, "ja_JP", "UTF-8", "ja_JP.UTF-8"), "no ja_JP.UTF-8"
    return {"TERM": "xterm", "LOCPATH": str(folder)}


def echo(line):
    """A typed line as Wine's console echoes it: a control character, a tab say, as ^ and a
    letter."""
    return b"".join(b"^" + bytes([byte + 64]) if byte < 0x20 else bytes([byte]) for byte in line)


def windows_path(path):
    """A Unix path as Wine's programs name it, on the drive Z: that is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def play(terminal, prefix, japanese, game, key=b"x", page=None, folder=None):
    """Plays game on Wine's console of code page page (932 unless given) as a player would, its
    input typed, or from a file in folder through Wine's cmd, and ends its key wait on key."""
    command = [wine.WINE, wine.EXE]
    if page == "65001" or folder:
        # Wine's cmd takes the terminal as its console, which the game shares; chcp, told to keep
        # quiet, sets the console's code page first.
        command = [wine.WINE, "cmd", "/c"] + (["chcp", page, ">nul", "&"] if page else [])
        command.append(windows_path(wine.EXE))
    plan, last = transcripts.typing_plan(game, lambda line: echo(line) + b"\n")
    if folder:
        # cmd gives the game its standard input from the file: nothing is typed, nothing echoed.
        (folder / "input").write_bytes(transcripts.cp932(game.input()))
        command += ["<", windows_path(folder / "input")]
        plan, last = [], game.output
    env = hilo_helper.environment("C.UTF-8" if page else "ja_JP.UTF-8", game.seconds[0],
                                  **japanese)
    console = wine.Console(terminal, command, env)
    for shown, line in plan:
        console.expect(shown, console.reading)
        console.terminal.type(line + b"\r")
    console.expect(last, lambda: game.ends == "game" or console.reading())
    if game.ends == "key":
        assert console.terminal.process.isalive(), "the game ended before its key was pressed"
    # Where the input would have run out, Ctrl+C ends a game waiting for a word at once.
    if game.ends != "game":
        console.terminal.type(key if game.ends == "key" else b"\x03")
    ending = console.finish(prefix)
    console.expect(last, lambda: True)  # the screen did not change after the last text
    if game.ends != "input":
        assert ending == "exit 0"
    assert console.terminal.settings() == console.before


@pytest.mark.parametrize("page", [None, "437", "65001"], ids=["932", "437", "65001"])
@pytest.mark.parametrize("game", GAMES)
def test_transcript(terminal, wine_prefix, japanese, game, page):
    play(terminal, wine_prefix, japanese, hilo_helper.parsed(game), page=page)


@pytest.mark.parametrize("key, from_file", [(b"\x1b[D", False), (b"\x03", False), (b"x", True)],
                         ids=["left_arrow", "ctrl_c", "words_from_a_file"])
def test_the_key_wait_ends_on_other_keys_and_with_the_words_from_a_file(
        terminal, wine_prefix, japanese, tmp_path, key, from_file):
    play(terminal, wine_prefix, japanese, SHORTEST, key=key, folder=tmp_path if from_file else None)
