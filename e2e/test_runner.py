"""What every runner plays (--runner: the game through pipes, or hilo.exe under Wine on files):
transcripts, the end of the input, the card of each second and bad input."""

import pytest

import hilo_helper
import transcripts

from transcripts import BACK_TO_CHOICE, PRESS_KEY, QUIT, QUIT_AGAIN, SELECT_AGAIN


@pytest.mark.parametrize("game", hilo_helper.transcript_cases())
def test_transcript(runner, game):
    runner.play(hilo_helper.parsed(game))


HEAD = b"# a game\nclock: 1\nends: key\ninput:\n"


@pytest.mark.parametrize("text, expected", [
    (b"# a game\n#\nclock: 7 -2\nlocale: en_US.UTF-8\nends: game\ninput:\nhard\noutput:\nA\n"
     b">\n\n", ((7, -2), "en_US.UTF-8", "game", (b"hard\n",), b"A\n>\n")),
    (HEAD + b"output:\n\n", ((1,), None, "key", (), b"")),
    (b"# a game\nclock:\nends: key\n", ':2: expected "clock:" and at least one second'),
    (b"# a game\nclock: 1 two\nends: key\n", ':2: expected "clock:" and at least one second'),
    (b"# a game\nclock: 1\nlocale:\n", ':3: expected "locale:" and the name of one locale'),
    (b"# only a comment", ':1: missing "output:"'),
    (b"clock: 1\n", ":1: must start with a comment"),
    (HEAD + b"output:\nA", ":5: the output must end with one extra line feed"),
    (HEAD + b"output:\n", ":5: the output must end with one extra line feed"),
], ids=["every_line", "empty_output", "no_second", "a_word_for_a_second", "no_locale_name",
        "only_a_comment", "no_comment", "no_last_line_feed", "no_output"])
def test_the_one_reader_of_transcripts_names_the_file_and_line_where_one_is_malformed(
        tmp_path, text, expected):
    (tmp_path / "game.transcript").write_bytes(text)
    game = transcripts.read(tmp_path / "game.transcript")
    assert (game.malformed or (game.seconds, game.locale, game.ends, game.lines, game.output)) == \
        (f"{tmp_path / 'game.transcript'}{expected}" if isinstance(expected, str) else expected)


@pytest.mark.parametrize("typed, prompts", [(b"", 1), (b"  \n\n", 1), (b"hard", 2)],
                         ids=["nothing", "blank_lines", "a_word_without_its_line_feed"])
def test_end_of_input_at_any_prompt_ends_the_game_with_nothing_more_written(
        runner, typed, prompts):
    finished = runner.run(typed, hilo_helper.environment())
    # Under the clock stopped at its usual second, as in this game, every card is a 10.
    dialogues = transcripts.named("dialogues_during_play").output
    finished.played(runner.form(transcripts.through_prompt(dialogues, prompts)))


# The first second to give each card; 2026-01-01 00:00:00 is second 1767225600, a multiple of 100.
SECONDS = {"2": 25, "3": 9, "4": 22, "5": 6, "6": 19, "7": 3, "8": 16, "9": 8, "10": 1, "J": 5,
           "Q": 2, "K": 31, "A": 7}


@pytest.mark.parametrize("moment, card", [
    *((f"2026-01-01 00:00:{second:02}", card) for card, second in SECONDS.items()),
    ("2026-01-01 00:01:39", "3"),  # the last of a hundred seconds
    # Past 2262-04-11 23:47:16 UTC the seconds since 1970 overflow 64-bit nanoseconds, as past 2038
    ("2262-04-11 23:48:21", "10"),  # a 32-bit time_t; libfaketime takes only a Linux game there
    ("2262-04-11 23:48:22", "Q"),  # 9223372101 and 9223372102 seconds
    ("3000-01-01 00:00:07", "A"),  # 32503680007
    ("3000-01-01 00:00:25", "2"),  # 32503680025
], ids=[f"{card}_at_second_{second}" for card, second in SECONDS.items()] + [
    "3_at_second_99", "10_past_2262", "Q_past_2262", "A_in_3000",
    "2_in_3000"])
def test_the_card_is_that_of_the_second_the_clock_is_stopped_at(runner, moment, card):
    if runner.name != "pipes" and not moment.startswith("2026"):
        pytest.skip("libfaketime takes only a Linux game past 2038")
    finished = runner.run(b"hard\n", hilo_helper.environment(FAKETIME=moment))
    assert finished.output.endswith(runner.form(f"\nNumber is {card}, H or L? >".encode()))
    assert finished.ending == "exit 0"


@pytest.mark.parametrize("typed, texts", [
    # NUL bytes are part of a word, so no NUL-spoiled word is a keyword.
    (b"\0\nhard\0\n\0hard\nha\0rd\nfinish\0\nfinish\ny\n", [SELECT_AGAIN] * 5 + [QUIT, PRESS_KEY]),
    # Invalid UTF-8 and Shift_JIS bytes are one re-ask each: a lone byte, a lead byte without its
    # trail, "予" in Shift_JIS (its trail is a backslash), a cut UTF-8 character, an overlong
    # slash, a surrogate, and a y with a stray byte.
    (b"finish\n\xff\xfe \x81 \x97\x5c \xe3\x81 \xc0\xaf \xed\xa0\x80 y\x80 n\nfinish\ny\n",
     [QUIT] + [QUIT_AGAIN] * 7 + [BACK_TO_CHOICE, QUIT, PRESS_KEY]),
    # Ctrl+Z in the middle of a line ends the input right there; in a word, its first part stays.
    (b"finish\nn\x1a y\n", [QUIT, BACK_TO_CHOICE]),
    (b"finish\nfin\x1aish\ny\n", [QUIT, QUIT_AGAIN]),
    # CR LF line ends read as LF; lines ended by CR alone run together, since CRs are dropped,
    # and so does a word a CR cuts.
    (b"\r\n\r\nfinish\r\n\r\ny\r\n", [QUIT, PRESS_KEY]),
    (b"finish\ry\r", [SELECT_AGAIN]),
    (b"fin\rish\ny\n", [QUIT, PRESS_KEY]),
    (b"", []),
    # A keyword heading a long word is no keyword.
    (b"finish" + b"x" * 200 + b"\nfinish\ny\n", [SELECT_AGAIN, QUIT, PRESS_KEY]),
    # はい　いいえ in Shift_JIS: an ideographic space parts no words.
    ("はい　いいえ\nfinish\ny\n".encode("cp932"), [SELECT_AGAIN, QUIT, PRESS_KEY]),
    # A word after more blanks than one read takes.
    (b" " * 65534 + b"finish\ny\n", [QUIT, PRESS_KEY]),
], ids=["nul", "invalid", "ctrl_z_line", "ctrl_z_word", "crlf", "cr", "cr_in_word", "none",
        "keyword_heading_a_word", "ideographic_space", "many_blanks"])
def test_strange_bytes_are_words_like_any_other_and_the_game_goes_on(runner, typed, texts):
    finished = runner.run(typed, hilo_helper.environment())
    finished.played(runner.form(transcripts.introduction() + b"".join(texts)))
