"""The built game fed more than anyone types: every word one re-ask, memory that stays that of a
short word, and an end with one line and status 1 where the memory runs out."""

import os
import resource
import subprocess
import threading

import pytest

import hilo_helper

import transcripts
from hilo_helper import GAME
from transcripts import PRESS_KEY, QUIT, QUIT_AGAIN, SELECT_AGAIN

# Under AddressSanitizer, whose allocator reports running out of memory itself.
SANITIZED = pytest.mark.skipif(b"__asan_init" in open(hilo_helper.BUILT_GAME, "rb").read(),
                               reason="the sanitizer's allocator reports running out of memory")


def test_a_million_words_on_one_line_are_a_million_reasks_and_the_next_word_still_counts():
    # The game answers every word while the line is still coming.
    words = 1_000_000
    finished = hilo_helper.run_on_pipes(b"finish\n" + b"Y " * words + b"y\n",
                                        hilo_helper.environment(), GAME)
    finished.played(transcripts.introduction() + QUIT + QUIT_AGAIN * words + PRESS_KEY)


def peak_after_one_word(length):
    """The game's peak memory in KiB once it has answered a word of length bytes, streamed in
    slices so that the test never holds it whole; then it must still take "finish" and "y"."""
    game = hilo_helper.on_pipes(hilo_helper.environment(), GAME)
    screen = hilo_helper.Screen(game.stdout.fileno(), game.pid)
    for start in range(0, length, 1 << 20):
        game.stdin.write(b"x" * min(1 << 20, length - start))
    game.stdin.write(b"\n")
    game.stdin.flush()
    screen.expect(transcripts.introduction() + SELECT_AGAIN)
    # The game now waits for its next word: its peak, the most it has held at once, can be read.
    peak = status_kib(game.pid, "VmHWM")
    game.stdin.write(b"finish\ny\n")
    game.stdin.close()
    screen.rest()
    assert screen.seen == transcripts.introduction() + SELECT_AGAIN + QUIT + PRESS_KEY
    assert hilo_helper.finish(game) == "exit 0"
    return peak


def status_kib(pid, field):
    """A figure in KiB from /proc/<pid>/status, such as VmHWM, the most memory held at once."""
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith(field + ":"))


def test_a_hundred_megabyte_word_is_one_reask_and_takes_no_more_memory_than_a_short_one():
    short, long = peak_after_one_word(1), peak_after_one_word(100 << 20)
    # The word streams through a fixed block: a few pages of slack, never a share of its size.
    assert long <= 1.1 * short, f"{long} KiB against {short} KiB for a one-letter word"


@SANITIZED
def test_out_of_memory_the_game_hands_on_its_output_says_so_once_and_exits_with_status_1():
    game = hilo_helper.on_pipes(hilo_helper.environment(), GAME)
    screen = hilo_helper.Screen(game.stdout.fileno(), game.pid)
    screen.expect(transcripts.introduction())
    # As a small ulimit -v would: the game, waiting for a word, gets little more address space than
    # it has, far less than the re-asks to a flood of wrong words gather before they are handed on.
    limit = (status_kib(game.pid, "VmSize") + 64) * 1024
    resource.prlimit(game.pid, resource.RLIMIT_AS, (limit, limit))

    def flood():
        # Two hundred thousand wrong words; the writes end once the game has gone.
        try:
            for _ in range(6):
                os.write(game.stdin.fileno(), b"x\n" * (1 << 15))
        except BrokenPipeError:
            pass
        game.stdin.close()
    writer = threading.Thread(target=flood, daemon=True)
    writer.start()
    reasks = screen.rest()
    writer.join()
    assert hilo_helper.finish(game) == "exit 1"
    assert hilo_helper.errors_of(game) == b"hilo: out of memory\n"
    # What the game held is handed on whole: re-asks, and no part of one.
    assert len(reasks) > len(SELECT_AGAIN) and len(reasks) % len(SELECT_AGAIN) == 0
    assert reasks.endswith(SELECT_AGAIN)


@SANITIZED
def test_a_game_out_of_memory_as_it_starts_says_so_too():
    # Even where the C++ runtime has too little memory to throw. Where that lies moves with the
    # toolchain, so address-space limits are scanned from one the loader refuses (status 127) up
    # to one the game plays with.
    outcomes = {}
    for kib in range(1024, 8192, 16):
        game = hilo_helper.completed(subprocess.Popen(
            ["prlimit", f"--as={kib << 10}"] + GAME, env=hilo_helper.environment(second=None),
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE))
        status = int(game.ending.split()[-1]) if game.ending.startswith("exit") else None
        if status == 127 and outcomes.keys() <= {127}:
            outcomes[127] = kib
            continue
        assert (status, game.errors) in [(0, b""), (1, b"hilo: out of memory\n")], \
            f"{kib} KiB: {game}"
        outcomes.setdefault(status, kib)
        if status == 0:
            break
    assert outcomes.keys() == {127, 1, 0}, outcomes


def test_a_reader_that_starts_late_on_a_non_blocking_pipe_gets_every_byte(tmp_path):
    # The pipe is full long before the game is done; it must wait for the reader, not drop text.
    words = 20_000
    (tmp_path / "typed").write_bytes(b"x\n" * words + b"finish\ny\n")
    reader, writer = os.pipe()
    os.set_blocking(writer, False)
    with open(tmp_path / "typed", "rb") as typed:
        game = subprocess.Popen(GAME, env=hilo_helper.environment(), stdin=typed, stdout=writer,
                                stderr=subprocess.PIPE, start_new_session=True)
    os.close(writer)
    # The reader starts once the game waits on the full pipe, or has given up and ended.
    hilo_helper.wait_until(lambda: hilo_helper.quiet(game.pid), awaited="a wait on a full pipe")
    output = hilo_helper.Screen(reader, game.pid).rest()
    os.close(reader)
    hilo_helper.Finished(output, hilo_helper.errors_of(game), hilo_helper.finish(game)).played(
        transcripts.introduction() + SELECT_AGAIN * words + QUIT + PRESS_KEY)
