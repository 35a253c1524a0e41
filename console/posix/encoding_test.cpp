#include "console/posix/encoding.h"

#include <gtest/gtest.h>

namespace hilo {
namespace {

// Everything the encoder writes for text, and how many pieces it came in.
std::string Encoded(OutputEncoder& encoder, std::string_view text, int* pieces = nullptr) {
  std::string written;
  encoder.Encode(text, [&](std::string_view bytes) {
    written.append(bytes);
    if (pieces != nullptr) ++*pieces;
  });
  return written;
}

TEST(ChooseOutputEncodingTest, PicksTheCharacterSetFromTheLocaleCodeset) {
  const struct {
    std::string_view codeset;
    std::optional<std::string> target;
  } cases[] = {
      {"UTF-8", std::nullopt},
      {"utf8", std::nullopt},
      {"ANSI_X3.4-1968", std::nullopt},  // glibc's C locale
      {"US-ASCII", std::nullopt},        // macOS's C locale
      {"", std::nullopt},
      {"SHIFT_JIS", "CP932"},
      {"Shift_JIS", "CP932"},
      {"SJIS", "CP932"},
      {"CP932", "CP932"},
      {"WINDOWS-31J", "CP932"},
      {"SHIFT_JISX0213", "SHIFT_JISX0213"},  // a different character set, not a spelling
      {"EUC-JP", "EUC-JP"},
      {"ISO-8859-1", "ISO-8859-1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseOutputEncoding(c.codeset), c.target) << c.codeset;
  }
}

TEST(OutputEncoderTest, ConvertsTextsWithAQuestionMarkForWhatCannotBeShown) {
  const struct {
    std::optional<std::string> target;
    std::string_view text;
    std::string_view written;
  } cases[] = {
      // Second bytes equal to the ASCII backslash belong to their character.
      {"CP932", "予", "\x97\x5c"},
      {"CP932", "表", "\x95\x5c"},
      {"CP932", "　", "\x81\x40"},
      {"CP932", "A,　の\n", "A,\x81\x40\x82\xcc\n"},
      {"CP932", "\n\"h\"を\n", "\n\"h\"\x82\xf0\n"},
      {"EUC-JP", "予", "\xcd\xbd"},
      // A stateful encoding shifts back to ASCII at the end of every text.
      {"ISO-2022-JP", "予", "\x1b$B\x4d\x3d\x1b(B"},
      {"ISO-8859-1", "caf\xc3\xa9\n", "caf\xe9\n"},
      // One character the target cannot show costs only that character; no C1 control byte
      // (0x80..0x9F) of UTF-8 ever reaches an 8-bit character set.
      {"ISO-8859-1", "caf\xc3\xa9 予 \"h\"\n", "caf\xe9 ? \"h\"\n"},
      {"ISO-8859-1", "、h。l", "?h?l"},
      {"EUC-KR", "\"h\"をé", "\"h\"\xaa\xf2?"},
      {"ISO-2022-JP", "予é予", "\x1b$B\x4d\x3d\x1b(B?\x1b$B\x4d\x3d\x1b(B"},
      // So do bytes that are no UTF-8 character: a lone byte, each byte of a cut character, and
      // a surrogate, shaped like a character.
      {"CP932", "bad \xff byte", "bad ? byte"},
      {"CP932", "cut \xe4\xba", "cut ??"},
      {"ISO-8859-1", "\xed\xa0\x80h", "?h"},
      {"NO-SUCH-CHARSET", "予\n", "予\n"},
      {std::nullopt, "予\n", "予\n"},
  };
  for (const auto& c : cases) {
    OutputEncoder encoder(c.target);
    EXPECT_EQ(Encoded(encoder, c.text), c.written) << c.target.value_or("none") << ": " << c.text;
  }
}

TEST(OutputEncoderTest, ATextThatFailsDoesNotSpoilTheNext) {
  OutputEncoder encoder(std::string("ISO-2022-JP"));
  EXPECT_EQ(Encoded(encoder, "予"), "\x1b$B\x4d\x3d\x1b(B");
  EXPECT_EQ(Encoded(encoder, "予\xff"), "\x1b$B\x4d\x3d\x1b(B?");
  EXPECT_EQ(Encoded(encoder, "a予"), "a\x1b$B\x4d\x3d\x1b(B");
}

TEST(OutputEncoderTest, ALongTextIsConvertedWholeInPiecesAndTheSameAsItsPartsOneByOne) {
  const struct {
    std::string target;
    std::string_view part;
    std::string_view written;
  } cases[] = {
      {"CP932", "表 ", "\x95\x5c "},
      {"ISO-8859-1", "é予", "\xe9?"},
  };
  for (const auto& c : cases) {
    std::string text;
    std::string written;
    for (int i = 0; i < 10000; ++i) {
      text += c.part;
      written += c.written;
    }
    OutputEncoder encoder(c.target);
    int pieces = 0;
    EXPECT_EQ(Encoded(encoder, text, &pieces), written) << c.target;
    EXPECT_GT(pieces, 1) << c.target;
    std::string one_by_one;
    for (int i = 0; i < 10000; ++i) one_by_one += Encoded(encoder, c.part);
    EXPECT_EQ(one_by_one, written) << c.target;
  }
}

}  // namespace
}  // namespace hilo
