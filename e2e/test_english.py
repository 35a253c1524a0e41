"""The game in English, as the locale chooses it through gettext, LANGUAGE where glibc honours it:
the Japanese original for a language without a catalog, and for a catalog that is missing, cannot
be read, or is not whole. The English games themselves are transcripts, played by every suite."""

import os
import shutil
import struct

import pytest

import hilo_helper
import transcripts

# Quits at the difficulty prompt: every game's first screen, then the quitting dialogue.
TYPED = b"finish\ny\n"


def english():
    return transcripts.named("english_nomal_then_easy")


def japanese():
    return transcripts.named("quit_at_the_choice")


def first_screen_is(game, env, command=None):
    """Asserts that the game, or command, begins with game's texts up to its first prompt, writes
    nothing on standard error, and ends with status 0."""
    finished = hilo_helper.run_on_pipes(TYPED, env, command)
    received = transcripts.through_prompt(finished.output, 1)
    expected = transcripts.through_prompt(game().output, 1)
    assert received == expected, hilo_helper.differ(received, expected)
    assert (finished.errors, finished.ending) == (b"", "exit 0")


# The locales but C, POSIX and C.UTF-8 are made for the run. Where C.UTF-8 stands, glibc's own
# choices differ (2.41 takes it for C, as to LANGUAGE), so the tests leave it to the system.
@pytest.mark.parametrize("locale, language, game", [
    ("en_US.UTF-8", "", english),
    ("en_US.ISO-8859-1", "", english),  # the English is ASCII, the same bytes in any charset
    ("de_DE.UTF-8", "", japanese),  # a language without a catalog
    ("de_DE.UTF-8", "en", english),
    ("de_DE.UTF-8", "fr:en_GB", english),  # a language without a catalog, then English's
    ("de_DE.UTF-8", "fr", japanese),
    ("C", "en", japanese),  # the C locale translates nothing, LANGUAGE or not
    ("POSIX", "en", japanese),
])
def test_the_locale_and_language_choose_where_the_locale_lets_them(locale, language, game):
    first_screen_is(game, hilo_helper.locale_environment(locale, LANGUAGE=language))


def built_catalog():
    """The English catalog of the build, beside the built game as an install lays it out."""
    catalog = os.path.join(os.path.dirname(hilo_helper.BUILT_GAME),
                           "../share/locale/en/LC_MESSAGES/hilo.mo")
    if not os.path.isfile(catalog):
        pytest.skip(f"the build has no English catalog at {catalog}")
    with open(catalog, "rb") as whole:
        return whole.read()


def translation_at(catalog, entry):
    """Where in catalog the entry-th translation's offset is written, and the offset."""
    table, = struct.unpack_from("<I", catalog, 16)
    return table + 8 * entry + 4, struct.unpack_from("<I", catalog, table + 8 * entry + 4)[0]


def pointing_past_its_end(catalog):
    """catalog with its first text's translation (entry 0 is the header) past its end."""
    at, _ = translation_at(catalog, 1)
    return catalog[:at] + struct.pack("<I", len(catalog) + 4096) + catalog[at + 4:]


# How the catalog beside the game is spoiled: none, a folder in its place, empty, cut in its
# header, cut in the middle of its strings, and a translation that points past its end.
SPOILED = {
    "missing": None,
    "unreadable": "folder",
    "empty": lambda mo: b"",
    "cut_in_its_header": lambda mo: mo[:20],
    "cut_mid_strings": lambda mo: mo[:(translation_at(mo, 1)[1] + len(mo)) // 2],
    "string_past_its_end": pointing_past_its_end,
}


@pytest.mark.parametrize("spoiled", ["whole", *SPOILED])
def test_a_catalog_that_is_not_whole_leaves_the_game_in_japanese(tmp_path, spoiled):
    catalog = built_catalog()
    game = tmp_path / "bin/hilo"
    game.parent.mkdir()
    shutil.copy(hilo_helper.BUILT_GAME, game)
    folder = tmp_path / "share/locale/en/LC_MESSAGES"
    folder.mkdir(parents=True)
    how = SPOILED.get(spoiled, lambda mo: mo)
    if how == "folder":
        (folder / "hilo.mo").mkdir()
    elif how is not None:
        (folder / "hilo.mo").write_bytes(how(catalog))
    first_screen_is(english if spoiled == "whole" else japanese,
                    hilo_helper.locale_environment("en_US.UTF-8"), [str(game)])
