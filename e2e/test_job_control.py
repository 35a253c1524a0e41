"""The built game as a job of dash -i, a real shell that never touches the terminal's settings
itself, so that what the terminal holds after a stop, a signal or fg is the game's doing."""

import contextlib
import os
import re
import signal
import termios

import pytest

import hilo_helper

from hilo_helper import PRESS_KEY, TO_THE_KEY_WAIT


@pytest.fixture
def shell(terminal, tmp_path):
    """dash on a terminal of its own, at its prompt, with the answers to the key wait in a file."""
    (tmp_path / "answers").write_bytes(TO_THE_KEY_WAIT)
    env = hilo_helper.environment(PS1="$ ")
    env.pop("ENV", None)  # no start-up file of the caller's
    session = terminal(["dash", "-i"], env)
    session.expect(b"$ ", pid=session.process.pid)
    session.answers = tmp_path / "answers"
    return session


def start(shell, background=False, ignored=None):
    """Starts the game from the shell, as a player does, and returns its id: in the foreground,
    answered at the terminal, or in the background from the answers' file."""
    game = (f"env --ignore-signal={ignored} " if ignored else "") + hilo_helper.BUILT_GAME
    shell.type(f"{game} <{shell.answers} & echo game $!\n".encode() if background else
               f"{game}\n".encode())
    found = []

    def started():
        if background:  # the shell says which
            shell.screen.read(0.005)
            found[:] = [int(pid) for pid in re.findall(rb"game (\d+)\r\n", shell.screen.seen)]
        else:
            with open(f"/proc/{shell.process.pid}/task/{shell.process.pid}/children") as children:
                found[:] = [pid for pid in map(int, children.read().split())
                            if open(f"/proc/{pid}/comm").read() == "hilo\n"]
        return found
    hilo_helper.wait_until(started, lambda: shell.screen.silent(shell.process.pid) and
                           not started() and "the shell started no game")
    if not background:
        shell.type(TO_THE_KEY_WAIT)
    return found[0]


def stopped(shell, game):
    """Waits until the game has stopped and the shell holds the terminal, as after Ctrl+Z."""
    hilo_helper.wait_until(
        lambda: hilo_helper.proc_state(game) == "T" and
        os.tcgetpgrp(shell.master) == shell.process.pid,
        lambda: hilo_helper.quiet(game) not in (None, "the game is stopped") and
        f"the game did not stop: {hilo_helper.quiet(game)}")


def end(game, number):
    """Sends the game signal number, and SIGCONT as a shell's kill does for a stopped job, so
    that it gets to act on the signal; the game may be gone by then."""
    os.kill(game, number)
    with contextlib.suppress(ProcessLookupError):
        os.kill(game, signal.SIGCONT)


def gone(game):
    """Waits until the game has ended; fails at once where it is stopped instead."""
    hilo_helper.wait_until(lambda: hilo_helper.proc_state(game) in (None, "Z"),
                           lambda: hilo_helper.proc_state(game) == "T" and
                           "the game is stopped, where its end was awaited",
                           awaited="the game's end")


def ended(shell, game, number, background):
    """Waits for the game to end and for the shell to tell that it ended by signal number, or by
    itself with 0: of a job in the background, as it tells before its next prompt."""
    gone(game)
    shell.screen.settle(shell.process.pid)
    if background:
        shell.type(b"\n")
        told = f"[1] + {signal.strsignal(number) if number else 'Done'}"
    else:
        shell.type(b"echo status $?\n")
        told = f"status {128 + number if number else 0}\r\n"
    shell.expect(told.encode(), whole=False, pid=shell.process.pid)


@pytest.mark.parametrize("number, background, ignored", [
    (signal.SIGTERM, False, None), (signal.SIGHUP, False, None), (signal.SIGQUIT, False, None),
    (signal.SIGINT, False, None), (signal.SIGUSR1, False, None), (signal.SIGALRM, False, None),
    (signal.SIGRTMIN, False, None), (signal.SIGTERM, True, None), (signal.SIGHUP, True, None),
    # The terminal is left alone in the background even where changing it would not stop the
    # game, and a game that its read cannot stop gives up the wait.
    (signal.SIGTERM, True, "TTOU"), (None, True, "TTIN"),
], ids=["term", "hup", "quit", "int", "usr1", "alrm", "rtmin", "term_background",
        "hup_background", "term_background_ttou_ignored", "background_ttin_ignored"])
def test_every_ending_signal_puts_the_terminal_back_and_ends_the_game_by_that_signal(
        shell, number, background, ignored):
    before = shell.found
    game = start(shell, background, ignored)
    shell.expect(PRESS_KEY, whole=False, pid=game)
    if not background:
        shell.raw(game)
    elif number:
        # A background job that reads its terminal is stopped until it is brought to the
        # foreground; the terminal stays as its shell has it.
        stopped(shell, game)
        assert shell.settings() == before
    if number:
        end(game, number)
    ended(shell, game, number, background)
    assert shell.settings() == before


def shell_modes(settings):
    """Modes a shell may set at its prompt: stty intr ^K -ixon."""
    settings[6][termios.VINTR] = b"\x0b"
    settings[0] &= ~termios.IXON
    return settings


def full_screen_modes(settings):
    """Modes a full-screen program sets: stty -icanon -echo -isig -iexten -ixon."""
    settings[3] &= ~(termios.ICANON | termios.ECHO | termios.ISIG | termios.IEXTEN)
    settings[0] &= ~termios.IXON
    return settings


@pytest.mark.parametrize("stop, at_start, while_stopped, ending", [
    (signal.SIGTSTP, None, shell_modes, None),
    # A stop that cannot be caught leaves the terminal raw while the game is stopped.
    (signal.SIGSTOP, None, shell_modes, None),
    # Started in the background while another program had the terminal, stopped by its read.
    (signal.SIGTTIN, full_screen_modes, None, None),
    # Ended while another program has the terminal.
    (signal.SIGTSTP, None, full_screen_modes, signal.SIGTERM),
], ids=["ctrl_z", "sigstop", "started_in_the_background", "ended_while_another_program_has_it"])
def test_a_stopped_game_gives_the_terminal_back_and_takes_it_again_only_in_the_foreground(
        shell, stop, at_start, while_stopped, ending):
    # None: the terminal's settings as a shell has them at its prompt.
    at_start, while_stopped = [(modes or (lambda settings: settings))(shell.settings())
                               for modes in (at_start, while_stopped)]
    shell.set(at_start)
    game = start(shell, background=stop == signal.SIGTTIN)
    shell.expect(PRESS_KEY, whole=False, pid=game)
    if stop != signal.SIGTTIN:
        shell.raw(game)
        os.kill(game, stop)
    stopped(shell, game)
    if stop == signal.SIGSTOP:
        assert shell.settings()[3] & (termios.ICANON | termios.ECHO) == 0
    else:
        assert shell.settings() == at_start
    shell.screen.settle(shell.process.pid)
    shell.set(while_stopped)
    if ending is None:
        shell.type(b"fg\n")
        hilo_helper.wait_until(lambda: hilo_helper.proc_state(game) != "T",
                               lambda: shell.screen.silent(shell.process.pid) and
                               hilo_helper.proc_state(game) == "T" and "fg did not continue it")
        shell.raw(game)  # the game takes the terminal again
        shell.screen.settle(game)
        shell.type(b"x")
        # The game ends its last line for the shell.
        shell.expect(b"\r\n$ ", pid=shell.process.pid)
        ended(shell, game, 0, background=False)
    else:
        end(game, ending)
        gone(game)
        # Nothing from the game: the shell alone tells of the job, its typing unechoed.
        shell.type(b"\n")
        shell.expect(b"[1] + Terminated", pid=shell.process.pid)
    # What the game puts back is what it found when it last took the terminal. A part of the key
    # left unread would have gone to the shell, in front of the words that ask for the status.
    assert shell.settings() == while_stopped
