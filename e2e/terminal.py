"""A pseudo-terminal of the test's own, for a game, or a shell that starts it, to have as its
controlling terminal: typed into, its screen read as it comes, its settings looked at."""

import ctypes
import os
import resource
import signal
import termios
import time

import pexpect
import pytest

import hilo_helper


def start_session(ignored):
    """In a started child: the signals it starts with ignored are the test's to choose, whatever
    its caller had, and SIGQUIT leaves no core file behind."""
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
    signal.pthread_sigmask(signal.SIG_SETMASK, [])
    for number in (signal.SIGINT, signal.SIGQUIT, signal.SIGTERM, signal.SIGHUP, signal.SIGPIPE):
        signal.signal(number, signal.SIG_DFL)
    for number in ignored:
        signal.signal(number, signal.SIG_IGN)


class Settings(list):
    """Terminal settings as tcgetattr gives them; a failed comparison names what differs."""


# The flags of each field and the keys a difference is told by.
NAMES = ["IGNBRK BRKINT IGNPAR PARMRK INPCK ISTRIP INLCR IGNCR ICRNL IXON IXANY IXOFF IMAXBEL",
         "OPOST ONLCR OCRNL ONOCR ONLRET", "CSTOPB CREAD PARENB HUPCL CLOCAL",
         "ISIG ICANON ECHO ECHOE ECHOK ECHONL NOFLSH TOSTOP ECHOCTL ECHOKE IEXTEN", "", "",
         "VINTR VQUIT VERASE VKILL VEOF VTIME VMIN VSTART VSTOP VSUSP VEOL VREPRINT VWERASE VLNEXT"]


def differences(received, expected):
    """What differs between two settings, by name: "ECHO: False, expected True"."""
    def value(settings, field, name):
        at = getattr(termios, name)
        return settings[6][at] if field == 6 else bool(settings[field] & at)
    return [f"{name}: {value(received, field, name)!r}, expected {value(expected, field, name)!r}"
            for field, names in enumerate(NAMES) for name in names.split()
            if value(received, field, name) != value(expected, field, name)] or \
        [f"{received!r} against {expected!r}"]


def as_compared(settings):
    """Terminal settings, as tcgetattr gives them, but for their control characters all as bytes:
    the count and time of a read out of line mode come as numbers."""
    settings[6] = [bytes([c]) if isinstance(c, int) else c for c in settings[6]]
    return Settings(settings)


def terminal_name(master):
    """The name of the terminal whose other side is master, as ptsname_r gives it."""
    name = ctypes.create_string_buffer(128)
    if ctypes.CDLL(None, use_errno=True).ptsname_r(master, name, len(name)) != 0:
        raise OSError(ctypes.get_errno(), "ptsname_r")
    return name.value.decode()


class Terminal:
    """A pseudo-terminal of the test's own, 50 rows of 200 columns, whose session leader runs
    command: the game, or a shell that starts it."""

    def __init__(self, command, env, ignored=(), probe=True):
        # What the program finds: the settings of every new terminal, read from one of the same
        # kind, since the program may change its own before they can be read.
        master, other = os.openpty()
        self.found = as_compared(termios.tcgetattr(master))
        os.close(master)
        os.close(other)
        self.process = pexpect.spawn(command[0], command[1:], env=env, dimensions=(50, 200),
                                     preexec_fn=lambda: start_session(ignored))
        self.process.delaybeforesend = None
        self.master = self.process.child_fd
        # The terminal's own side, kept by the test to read what is left unread in it and what
        # was written to it after its programs have gone. Without it, the output ends once they
        # have all let go of the terminal.
        self.probe = os.open(terminal_name(self.master), os.O_RDWR | os.O_NOCTTY | os.O_CLOEXEC) \
            if probe else None
        self.screen = hilo_helper.Screen(self.master, self.process.pid, self.probe)

    def close(self):
        """Ends what still runs on the terminal, and closes it."""
        if self.probe is not None:
            os.close(self.probe)
        if self.process.isalive():
            self.process.kill(signal.SIGKILL)
            self.process.wait()
        self.process.ptyproc.delayafterclose = 0
        self.process.close()

    def type(self, keys):
        os.write(self.master, self.screen.typing(keys))

    def expect(self, expected, whole=True, pid=None):
        self.screen.expect(expected, whole, pid)

    def settings(self):
        return as_compared(termios.tcgetattr(self.master))

    def set(self, settings):
        termios.tcsetattr(self.master, termios.TCSANOW, settings)

    def raw(self, pid):
        """The settings once the game pid has taken the terminal out of line mode for its key
        wait; fails as soon as it waits for input, stops or ends with the terminal in line mode."""
        # Asked through the screen, so that a line typed but not yet handed over to the game is no
        # wait for input.
        silent = self.screen.silent
        hilo_helper.wait_until(lambda: not self.settings()[3] & termios.ICANON,
                               lambda: silent(pid) and f"{silent(pid)}, the terminal in line mode")
        return self.settings()

    def rest(self):
        """What was written to the terminal from now until its programs ended, which the caller has
        waited for: a marker written after it on the same terminal arrives after all of it."""
        marker = b"<end of the game>"
        start = len(self.screen.seen)
        os.write(self.probe, marker)
        deadline = time.monotonic() + hilo_helper.BOUND
        while marker not in self.screen.seen[start:]:
            if time.monotonic() > deadline:
                pytest.fail(f"the end of what was written to the terminal had not come after "
                            f"{hilo_helper.BOUND} s; its last bytes: {self.screen.seen[-160:]!r}")
            self.screen.read(0.01)
        rest = self.screen.seen[start:].partition(marker)[0]
        self.screen.seen = self.screen.seen[:start] + rest
        return rest

    def unread(self):
        """The bytes typed at the terminal that nobody has read."""
        settings = self.settings()
        # Out of line mode, so that a part of a line shows too.
        settings[3] &= ~termios.ICANON
        settings[6][termios.VMIN] = settings[6][termios.VTIME] = 0
        self.set(settings)
        unread = b""
        while chunk := os.read(self.probe, 256):
            unread += chunk
        return unread


def crlf(text):
    """text with every line feed as CR LF, as a terminal shows it."""
    return text.replace(b"\n", b"\r\n")
