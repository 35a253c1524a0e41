"""The command line as getopt_long reads it, and a write that fails, said once when the game ends:
by every runner (--runner: the game through pipes, or hilo.exe under Wine)."""

import subprocess

import pytest

import hilo_helper
import transcripts

USAGE = b"""Usage: hilo [--help | --version]
A card game for one player: a card from 2 to A is shown, and you guess whether
the next card is higher or lower. Type a word at each prompt, then Enter:
  hard, nomal, easy, beginner  choose the difficulty (spelt so)
  h, l                         the next card is higher, or lower
  y, n                         yes or no to a question
  finish                       quit the game
  change                       go back to the choice of difficulty
With no argument the game is played. The rules are in man 6 hilo.
"""
VERSION = b"hilo 1.0.0\n"
# A whole game, to the key wait, which returns at once with no terminal.
TO_THE_END = b"hard\nfinish\ny\n"


def mistake(message):
    """What a mistaken command line writes: nothing, and on standard error what is wrong and where
    to look; its status is 2."""
    return b"", message + b"\nTry 'hilo --help' for more information.\n"


@pytest.mark.parametrize("arguments, glibc, mingw", [
    (["--help"], (USAGE, b""), None), (["--he"], (USAGE, b""), None),
    (["--v"], (VERSION, b""), None), (["--"], (transcripts.introduction(), b""), None),
    # The first option that asks wins, and the options are read before the operands.
    (["--version", "--help"], (VERSION, b""), None), (["extra", "--help"], (USAGE, b""), None),
    # Each mistake is said in the C library's words.
    (["--bogus", "--help"], mistake(b"hilo: unrecognized option '--bogus'"),
     mistake(b"hilo: unknown option -- bogus")),
    (["--help=x"], mistake(b"hilo: option '--help' doesn't allow an argument"),
     mistake(b"hilo: option doesn't take an argument -- help")),
    (["-h"], mistake(b"hilo: invalid option -- 'h'"), mistake(b"hilo: unknown option -- h")),
    (["extra"], mistake(b"hilo: extra operand 'extra'"), None),
    (["--", "--help"], mistake(b"hilo: extra operand '--help'"), None),
    (["/?"], mistake(b"hilo: extra operand '/?'"), (USAGE, b"")),  # Windows' own way to ask
], ids=["help", "help_cut_short", "version_cut_short", "nothing_after_double_dash",
        "first_of_two", "operand_before_help", "unknown_option", "help_given_a_value",
        "short_option", "operand", "help_after_double_dash", "slash_question_mark"])
def test_the_command_line_is_read_as_gnu_programs_read_theirs(runner, arguments, glibc, mingw):
    output, errors = glibc if runner.name == "pipes" or mingw is None else mingw
    finished = runner.run(b"", hilo_helper.environment(), arguments)
    assert (finished.output, finished.errors, finished.ending) == \
        (runner.form(output), runner.form(errors), "exit 2" if errors else "exit 0")


# The reason in the C library's words; under Wine, the C runtime's for --help and --version, and
# Wine's for the reason Windows gives the game.
@pytest.mark.parametrize("redirection, arguments, typed, glibc, windows", [
    (">/dev/full", ["--help"], b"", b"No space left on device", b"No space left on device"),
    (">&-", ["--version"], b"", b"Bad file descriptor", b"Bad file descriptor"),
    (">/dev/full", [], TO_THE_END, b"No space left on device", b"Disk full"),
    (">&-", [], TO_THE_END, b"Bad file descriptor", b"Invalid handle"),
], ids=["help_to_a_full_disk", "version_to_a_closed_output", "game_to_a_full_disk",
        "game_to_a_closed_output"])
def test_a_failed_write_is_said_once_and_the_status_is_1(
        runner, tmp_path, redirection, arguments, typed, glibc, windows):
    # The real clock: libfaketime opens a file of its own, which would take a closed stream's place.
    env = hilo_helper.environment(second=None)
    if runner.name == "pipes":
        game = hilo_helper.game_command()
    else:
        import wine
        game, env = [wine.WINE, wine.EXE], wine.settings(env)
    # Files, not pipes, for what Wine starts, which may outlive the game and hold a pipe open.
    (tmp_path / "input").write_bytes(typed)
    with open(tmp_path / "input", "rb") as given, open(tmp_path / "errors", "wb") as errors:
        command = ["sh", "-c", f'exec "$@" {redirection}', "sh", *game, *arguments]
        process = subprocess.Popen(command, env=env, stdin=given, stderr=errors,
                                   start_new_session=True)
        ending = hilo_helper.finish(process)
    reason = glibc if runner.name == "pipes" else windows
    assert ((tmp_path / "errors").read_bytes(), ending) == \
        (runner.form(b"hilo: write error: " + reason + b"\n"), "exit 1")
