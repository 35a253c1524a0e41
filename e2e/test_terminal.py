"""The built game on a pseudo-terminal that is its controlling terminal: the transcripts typed as
a player types them, and the key wait, one whole key unechoed, the terminal left as found."""

import os
import signal
import termios

import pytest

import hilo_helper
import transcripts
from terminal import crlf

from hilo_helper import GAME, PRESS_KEY, TO_THE_KEY_WAIT

ANSWERS = b"hard\nfinish\ny y\nmore words\n"


@pytest.mark.parametrize("game", hilo_helper.transcript_cases())
def test_transcript(terminal, game):
    # Each line is typed once its prompt shows; the terminal echoes it as it is.
    plan, last = transcripts.typing_plan(hilo_helper.parsed(game), lambda line: line + b"\n")
    screen = terminal(GAME, hilo_helper.game_environment(game))
    before = screen.found
    for shown, line in plan:
        screen.expect(crlf(shown))
        screen.type(line + b"\n")
    screen.expect(crlf(last))
    if game.ends == "key":
        screen.raw(screen.process.pid)
        screen.type(b"x")
    elif game.ends == "input":
        screen.type(b"\x04")  # the end of the input, typed at a terminal
    assert hilo_helper.finish(screen.process) == "exit 0"
    screen.rest()
    # The game ends its last line for the shell.
    expected = crlf(last) + b"\r\n"
    assert screen.screen.seen == expected, hilo_helper.differ(screen.screen.seen, expected)
    assert screen.settings() == before
    assert screen.unread() == b""


@pytest.mark.parametrize("key, ignored", [
    (b"x", []), (b"\r", []), (b"\x03", []), (b"\x13", []), (b"\x1b", []),  # Enter, Ctrl+C, S, Esc
    (b"\x1b[A", []), (b"\x1b[1;5C", []), (b"\x1bOP", []), (b"\x1b[15~", []),  # up, C+right, F1, F5
    ("é".encode(), []), ("予".encode(), []), (b"abc", []),  # a pasted word
    # A signal ignored when the game started stays ignored during the wait.
    (b"x", [signal.SIGHUP]),
], ids=["letter", "enter", "ctrl_c", "ctrl_s", "esc", "up", "ctrl_right", "f1", "f5", "e_acute",
        "kanji", "pasted_word", "letter_after_an_ignored_hangup"])
def test_any_key_ends_the_wait_unechoed_and_whole_and_the_terminal_is_put_back(
        terminal, key, ignored):
    screen = terminal(GAME, hilo_helper.environment(), ignored=ignored)
    before = screen.found
    screen.type(TO_THE_KEY_WAIT)
    screen.expect(PRESS_KEY, whole=False)
    raw = screen.raw(screen.process.pid)
    assert raw[3] & (termios.ECHO | termios.ISIG | termios.IEXTEN) == 0
    assert raw[1] == before[1]  # line feeds still go out as the terminal had them
    for number in ignored:
        os.kill(screen.process.pid, number)
    screen.type(key)
    assert hilo_helper.finish(screen.process) == "exit 0"
    assert screen.screen.seen.endswith(PRESS_KEY)
    assert screen.rest() == b"\r\n"  # the last line ended for the shell
    assert screen.settings() == before
    assert screen.unread() == b""


@pytest.mark.parametrize("typed_first", [False, True], ids=["at_the_wait", "before_the_wait"])
def test_the_key_comes_from_the_terminal_when_the_answers_come_from_a_file(
        terminal, tmp_path, typed_first):
    # The words left after the last answer must not stand in for the key. Typed first, the key
    # waits at the terminal while the game waits for its answers, which a named pipe holds back:
    # it must not be lost.
    answers = tmp_path / "answers"
    os.mkfifo(answers) if typed_first else answers.write_bytes(ANSWERS)
    screen = terminal(["sh", "-c", 'exec "$0" <"$1"'] + GAME + [str(answers)],
                      hilo_helper.environment())
    if typed_first:
        screen.type(b"\x1b[B")
        answers.write_bytes(ANSWERS)
    else:
        screen.expect(PRESS_KEY, whole=False)
        screen.raw(screen.process.pid)
        assert screen.process.isalive(), "the game ended before a key was pressed"
        screen.type(b"\x1b[B")
    assert hilo_helper.finish(screen.process) == "exit 0"
    screen.rest()
    assert screen.screen.seen.endswith(PRESS_KEY + b"\r\n")
    assert screen.settings() == screen.found
    assert screen.unread() == b""


def test_the_terminal_is_left_as_it_was_and_ctrl_c_at_a_prompt_ends_the_game(terminal):
    screen = terminal(GAME, hilo_helper.environment())
    before = screen.found
    screen.expect(b"\r\n\r\n\r\nSelect difficulty>", whole=False)
    assert screen.settings() == before
    screen.type(b"\x03")
    assert hilo_helper.finish(screen.process) == "killed by SIGINT"


@pytest.mark.parametrize("redirection, status, shown", [
    # No word can be read: the game ends as at the end of its input, its last line ended.
    ("<&-", "exit 0", crlf(transcripts.introduction()) + b"\r\n"),
    # The words and the key come from the terminal, but no text of the game goes to it, and its end
    # says what was lost; with standard error closed too, the status alone tells.
    (">&-", "exit 1", crlf(TO_THE_KEY_WAIT) + b"hilo: write error: Bad file descriptor\r\n"),
    (">/dev/full 2>&-", "exit 1", crlf(TO_THE_KEY_WAIT)),
], ids=["standard_input", "standard_output", "standard_error_and_a_full_output"])
def test_a_closed_standard_stream_stays_closed_and_the_terminal_stands_in_for_none(
        terminal, redirection, status, shown):
    # The real clock: the clock faking would take the closed descriptor for itself.
    screen = terminal(["sh", "-c", f'exec "$0" {redirection}'] + GAME,
                      hilo_helper.environment(second=None))
    if redirection == "<&-":
        screen.expect(shown)
    else:
        screen.type(TO_THE_KEY_WAIT)
        screen.raw(screen.process.pid)
        screen.type(b"x")
    assert hilo_helper.finish(screen.process) == status
    screen.rest()
    assert screen.screen.seen == shown
