"""The command line as getopt_long reads it, and a write that fails, said once when the game ends:
by every runner (--runner: the game through pipes, or hilo.exe under Wine), and on a terminal."""

import re
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
TRY = b"Try 'hilo --help' for more information.\n"
PLAYED = None  # the game is played: the introduction, then the end of the input
# A whole game, to the key wait, which returns at once with no terminal.
TO_THE_END = b"hard\nfinish\ny\n"


@pytest.mark.parametrize("arguments, output, glibc, mingw", [
    (["--help"], USAGE, b"", None), (["--he"], USAGE, b"", None), (["--v"], VERSION, b"", None),
    # The first option that asks wins, and the options are read before the operands.
    (["--version", "--help"], VERSION, b"", None), (["extra", "--help"], USAGE, b"", None),
    (["--"], PLAYED, b"", None),
    # Each mistake is said in the C library's words, with status 2 and nothing played.
    (["--bogus", "--help"], b"", b"hilo: unrecognized option '--bogus'\n" + TRY,
     b"hilo: unknown option -- bogus\n" + TRY),
    (["--help=x"], b"", b"hilo: option '--help' doesn't allow an argument\n" + TRY,
     b"hilo: option doesn't take an argument -- help\n" + TRY),
    (["-h"], b"", b"hilo: invalid option -- 'h'\n" + TRY, b"hilo: unknown option -- h\n" + TRY),
    (["extra"], b"", b"hilo: extra operand 'extra'\n" + TRY, None),
    (["--", "--help"], b"", b"hilo: extra operand '--help'\n" + TRY, None),
], ids=["help", "help_cut_short", "version_cut_short", "first_of_two", "operand_before_help",
        "nothing_after_double_dash", "unknown_option", "help_given_a_value", "short_option",
        "operand", "help_after_double_dash"])
def test_the_command_line_is_read_as_gnu_programs_read_theirs(
        runner, arguments, output, glibc, mingw):
    errors = glibc if runner.name == "pipes" or mingw is None else mingw
    finished = runner.run(b"", hilo_helper.environment(), arguments)
    expected = runner.form(transcripts.introduction() if output is PLAYED else output)
    assert (finished.output, finished.errors, finished.ending) == \
        (expected, runner.form(errors), "exit 2" if errors else "exit 0")


def test_slash_question_mark_is_the_help_on_windows_alone(runner):
    finished = runner.run(b"", hilo_helper.environment(), ["/?"])
    if runner.name == "pipes":
        assert (finished.output, finished.errors, finished.ending) == \
            (b"", b"hilo: extra operand '/?'\n" + TRY, "exit 2")
    else:
        finished.played(runner.form(USAGE))


@pytest.mark.parametrize("redirection, arguments, typed, reason", [
    (">/dev/full", ["--help"], b"", b"No space left on device"),
    (">&-", ["--version"], b"", b"Bad file descriptor"),
    (">/dev/full", [], TO_THE_END, b"No space left on device"),
    (">&-", [], TO_THE_END, b"Bad file descriptor"),
], ids=["help_to_a_full_disk", "version_to_a_closed_output", "game_to_a_full_disk",
        "game_to_a_closed_output"])
def test_a_failed_write_is_said_once_and_the_status_is_1(
        runner, tmp_path, redirection, arguments, typed, reason):
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
        game = subprocess.Popen(["sh", "-c", f'exec "$@" {redirection}', "sh", *game, *arguments],
                                env=env, stdin=given, stderr=errors, start_new_session=True)
        ending = hilo_helper.finish(game)
    said = (tmp_path / "errors").read_bytes()
    if runner.name == "pipes":
        assert (said, ending) == (b"hilo: write error: " + reason + b"\n", "exit 1")
    else:  # the reason in Windows' words, or the C runtime's for --help and --version
        assert re.fullmatch(rb"hilo: write error: [^\r\n]+\r\n", said), said
        assert ending == "exit 1"


def test_with_standard_error_closed_the_terminal_never_stands_in_for_it(runner, terminal):
    if runner.name != "pipes":
        pytest.skip("a terminal is played on by the Linux game alone")
    # The real clock, as above: libfaketime's file would take standard error's place.
    screen = terminal(["sh", "-c", 'exec "$@" >/dev/full 2>&-', "sh", *hilo_helper.game_command()],
                      hilo_helper.environment(second=None))
    screen.type(b"\x04")  # the end of the input, typed at the terminal
    assert hilo_helper.finish(screen.process) == "exit 1"
    screen.rest()
    assert screen.screen.seen == b""
