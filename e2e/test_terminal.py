"""The built game on a pseudo-terminal that is its controlling terminal: every transcript typed as
a player types it, the terminal left as it was found, and the key wait at the end, which takes
one whole key from the terminal itself, unechoed."""

import os
import signal
import termios

import pytest

import hilo_helper
import transcripts
from terminal import crlf

GAMES = transcripts.stopped()
GAME = [hilo_helper.BUILT_GAME]
PRESS_KEY = b"Press key to finish.\r\n\r\n>"
TO_THE_KEY_WAIT = b"hard\nfinish\ny\n"


@pytest.mark.parametrize("game", GAMES, ids=[game.name for game in GAMES])
def test_transcript(terminal, game):
    # Each line is typed once its prompt shows; the terminal echoes it as it is.
    plan, last = transcripts.typing_plan(game, lambda line: line + b"\n")
    screen = terminal(GAME, hilo_helper.environment(second=game.seconds[0]))
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


@pytest.mark.parametrize("key", [
    b"x", b"\r", b"\x03", b"\x13", b"\x1b",  # a letter, Enter, Ctrl+C, Ctrl+S, Esc
    b"\x1b[A", b"\x1b[1;5C", b"\x1bOP", b"\x1b[15~",  # up, Ctrl+right, F1, F5
    "é".encode(), "予".encode(), b"abc",  # a pasted word
], ids=["letter", "enter", "ctrl_c", "ctrl_s", "esc", "up", "ctrl_right", "f1", "f5", "e_acute",
        "kanji", "pasted_word"])
def test_any_key_ends_the_wait_unechoed_and_whole_and_the_terminal_is_put_back(terminal, key):
    screen = terminal(GAME, hilo_helper.environment())
    before = screen.found
    screen.type(TO_THE_KEY_WAIT)
    screen.expect(PRESS_KEY, whole=False)
    raw = screen.raw(screen.process.pid)
    assert raw[3] & (termios.ECHO | termios.ISIG | termios.IEXTEN) == 0
    assert raw[1] == before[1]  # line feeds still go out as the terminal had them
    screen.type(key)
    assert hilo_helper.finish(screen.process) == "exit 0"
    assert screen.screen.seen.endswith(PRESS_KEY)
    assert screen.rest() == b"\r\n"  # the last line ended for the shell
    assert screen.settings() == before
    assert screen.unread() == b""


def test_a_signal_ignored_at_start_stays_ignored_during_the_wait(terminal):
    screen = terminal(GAME, hilo_helper.environment(), ignored=[signal.SIGHUP])
    screen.type(TO_THE_KEY_WAIT)
    screen.expect(PRESS_KEY, whole=False)
    screen.raw(screen.process.pid)
    os.kill(screen.process.pid, signal.SIGHUP)
    screen.type(b"x")
    assert hilo_helper.finish(screen.process) == "exit 0"


def test_the_key_comes_from_the_terminal_when_the_answers_come_from_a_file(terminal, tmp_path):
    # The words left in the file after the last answer must not stand in for the key.
    (tmp_path / "answers").write_bytes(b"hard\nfinish\ny y\nmore words\n")
    screen = terminal(["sh", "-c", 'exec "$0" <"$1"'] + GAME + [str(tmp_path / "answers")],
                      hilo_helper.environment())
    before = screen.found
    screen.expect(PRESS_KEY, whole=False)
    screen.raw(screen.process.pid)
    assert screen.process.isalive(), "the game ended before a key was pressed"
    screen.type(b"\x1b[B")
    assert hilo_helper.finish(screen.process) == "exit 0"
    assert screen.rest() == b"\r\n"
    assert screen.settings() == before
    assert screen.unread() == b""


def test_a_key_typed_before_the_wait_ends_it_at_once(terminal, tmp_path):
    # The answers come through a named pipe, so that the key is typed while the game waits for
    # them, long before it reaches its key wait.
    os.mkfifo(tmp_path / "answers")
    screen = terminal(["sh", "-c", 'exec "$0" <"$1"'] + GAME + [str(tmp_path / "answers")],
                      hilo_helper.environment())
    before = screen.found
    screen.type(b"k")
    with open(tmp_path / "answers", "wb") as answers:
        answers.write(b"finish\ny\n")
    assert hilo_helper.finish(screen.process) == "exit 0", "was the key typed early lost?"
    assert screen.settings() == before
    assert screen.unread() == b""


def test_the_terminal_is_left_as_it_was_and_ctrl_c_at_a_prompt_ends_the_game(terminal):
    screen = terminal(GAME, hilo_helper.environment())
    before = screen.found
    screen.expect(b"\r\n\r\n\r\nSelect difficulty>", whole=False)
    assert screen.settings() == before
    screen.type(b"\x03")
    assert hilo_helper.finish(screen.process) == "killed by SIGINT"
