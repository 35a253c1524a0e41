"""The built game in the locales a player may have: its texts in UTF-8, in Shift_JIS, or every
ASCII text without control codes in an 8-bit character set; and an input that cannot be read."""

import os
import subprocess

import pytest

import hilo_helper
import transcripts


def quit_at_the_choice():
    """The game that quits at the choice, read when a test plays it."""
    return transcripts.named("quit_at_the_choice")


@pytest.mark.parametrize("opened", [None, "/dev/null", "/"], ids=["closed", "null", "directory"])
def test_an_input_that_cannot_be_read_ends_the_game_like_its_end(opened):
    # No card is drawn here, and the clock faking would take the closed descriptor for itself.
    game = subprocess.Popen(hilo_helper.GAME, env=hilo_helper.environment(second=None),
                            stdin=os.open(opened, os.O_RDONLY) if opened else None,
                            preexec_fn=None if opened else lambda: os.close(0),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
    hilo_helper.completed(game).played(transcripts.introduction())


@pytest.mark.parametrize("locale", ["C", "POSIX", "no_SUCH.locale"])
def test_unicode_and_plain_locales_get_the_texts_in_utf8(locale):
    game = quit_at_the_choice()
    finished = hilo_helper.run_on_pipes(game.input(), hilo_helper.environment(locale))
    finished.played(game.output)


def test_a_shift_jis_locale_gets_the_code_page_932_bytes(tmp_path):
    if not hilo_helper.make_locale(tmp_path, "ja_JP", "SHIFT_JIS", "ja_JP.SJIS"):
        pytest.skip("no Shift_JIS locale can be made here (localedef and the ja_JP sources needed)")
    game = quit_at_the_choice()
    finished = hilo_helper.run_on_pipes(game.input(), hilo_helper.environment(
        "ja_JP.SJIS", LOCPATH=str(tmp_path)))
    # The second byte of 予 and 表 is a backslash: both are in the introduction.
    assert transcripts.through_prompt(finished.output, 1).count(b"\x5c") == 2
    finished.played(game.output.decode().encode("cp932"))


# The game's texts that are ASCII, in the order it writes them for these words; the card of the
# stopped clock is 10, and an answer in the same second meets an equal card.
TYPED = b"Hard\nhard\nH\nh\nfinish\nn\nchange\nn\n"
ASCII_TEXTS = [
    b'"Hard", "Nomal", "Easy", "Beginner"\n',
    b"\n\n\nSelect difficulty>",
    b'\n\n"hard", "nomal", "easy" or "beginner"\n\nSelect dificulty>',
    b'\n\n\n\n\n"Hard"',
    b"!!\n\nGood Luck!!\n\n\n\nNumber is 10, H or L? >",
    b'\n\nInput "h" or "l" and press Enter\nNumber is 10, H or L? >',
    b"\n10\n\n\nEven\n\nYour point is: 0\n\n\nNumber is 10, H or L? >",
    b"\n\nWill you quit the game?>\nNumber is 10, H or L? >",
    b"\n\nWill you change difficulty?>\nNumber is 10, H or L? >",
]


@pytest.mark.parametrize("source, charset, only_ascii", [
    ("de_DE", "ISO-8859-1", True),  # no catalog, and none of the game's other characters
    ("ko_KR", "EUC-KR", False),
])
def test_an_8_bit_locale_shows_every_ascii_text_and_the_same_bytes_on_a_terminal(
        tmp_path, terminal, source, charset, only_ascii):
    name = f"{source}.{charset}"
    assert hilo_helper.make_locale(tmp_path, source, charset, name), f"localedef made no {name}"
    env = hilo_helper.environment(name, LOCPATH=str(tmp_path))
    piped = hilo_helper.run_on_pipes(TYPED, env)
    assert piped.ending == "exit 0"
    # Bytes 0x80 to 0x9F are C1 control codes to a terminal of an 8-bit character set, which may
    # swallow the text around them.
    assert [byte for byte in piped.output if 0x80 <= byte <= 0x9F] == []
    at = 0
    for text in ASCII_TEXTS:
        assert text in piped.output[at:], f"{text!r} is missing, or out of order"
        at = piped.output.index(text, at) + len(text)
    assert piped.output.endswith(ASCII_TEXTS[-1])
    assert not only_ascii or piped.output.isascii()

    (tmp_path / "typed").write_bytes(TYPED)
    screen = terminal(["sh", "-c", 'exec "$0" <"$1"', hilo_helper.BUILT_GAME,
                       str(tmp_path / "typed")], env)
    assert hilo_helper.finish(screen.process) == "exit 0"
    # The same bytes, but for the line feed that ends the game's last line on a terminal.
    assert screen.rest().replace(b"\r", b"") == piped.output + b"\n"
