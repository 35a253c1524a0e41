"""The end-to-end tests' fixtures: the runner a table is played by, terminals closed with their
test, terminal settings compared by their flags' names, and nothing of libfaketime's left
behind."""

import os
import pathlib
import shutil

import pytest

import hilo_helper
import terminal


def pytest_addoption(parser):
    parser.addoption("--runner", default="pipes", choices=["pipes", "wine_files"],
                     help="how the tables run the game: through pipes, or hilo.exe under Wine")


def pytest_sessionstart(session):
    """The folder for scratch files is the caller's choice, with nothing to fall back on: where
    TMPDIR (/tmp when unset) is missing or not writable, the run stops at once, naming it."""
    folder = os.environ.get("TMPDIR") or "/tmp"
    if not (os.path.isdir(folder) and os.access(folder, os.W_OK | os.X_OK)):
        raise pytest.UsageError(f"the folder for temporary files, TMPDIR={folder}, is missing or "
                                f"not writable")


def pytest_assertrepr_compare(op, left, right):
    """Two terminal settings that differ, by the names of the flags and keys that differ."""
    if op == "==" and isinstance(left, terminal.Settings) and isinstance(right, terminal.Settings):
        return ["the terminal's settings differ:"] + terminal.differences(left, right)
    return None


@pytest.fixture
def runner(request):
    """The runner --runner names: the game through pipes, or hilo.exe under Wine on files."""
    if request.config.getoption("runner") == "pipes":
        return hilo_helper.Pipes()
    import wine
    request.getfixturevalue("wine_prefix")
    return wine.Files(request.getfixturevalue("tmp_path"))


@pytest.fixture(scope="session")
def wine_prefix():
    """The Wine prefix every game of the run shares."""
    import wine
    prefix = wine.Prefix()
    yield prefix
    prefix.stop()
    shutil.rmtree(wine.PREFIX, ignore_errors=True)


@pytest.fixture(name="terminal")
def terminal_fixture():
    """Starts a terminal.Terminal; each is closed, and what runs on it ended, with the test."""
    started = []
    yield lambda *arguments, **options: started.append(
        terminal.Terminal(*arguments, **options)) or started[-1]
    for each in started:
        each.close()


@pytest.fixture(autouse=True)
def no_faketime_memory_left():
    """libfaketime leaves its shared memory in /dev/shm behind a process that a signal ends, and
    not every version of it can be told to make none; what a process that is gone left, goes."""
    yield
    for segment in pathlib.Path("/dev/shm").glob("*faketime*_*"):
        if not pathlib.Path("/proc", segment.name.rpartition("_")[2]).exists():
            segment.unlink(missing_ok=True)
